// The left side of the main window: the texture list (control 1000), the
// details list (1006) and the flag boxes (1007 to 1014). The list names every
// texture of the scene at its index; the entry the user chose is the chosen
// texture, whose width, height, depth and level count the details show and
// whose flags the boxes tick. Load and Close choose none. Entries replaced and
// not yet saved are drawn bold. The user ticks and unticks the chosen
// texture's flags in the boxes (all but "Mipmap levels") and renames it in
// its entry: each change goes into the scene as one step of its history. A
// name must fit the record's name field and be no other texture's.
//
// The controls are made by the window from its template and given here; this
// class fills them and keeps which entry is chosen. What the chosen texture
// looks like is drawn by the window.
#pragma once

#include "resources/ResourceIds.h"
#include "texture/T3DTexture.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <set>

class FlagBox;
class QLabel;
class QLineEdit;
class QListWidget;
class TextureFilter;
class SceneDocument;
class SelectionListBox;

class SceneTextureList : public QObject {
    Q_OBJECT
public:
    using FlagBoxes = std::array<FlagBox*, kFlagBoxCount>;

    // `filter` and `count` are the field that finds textures and their count
    // (editor/TextureFilter.h).
    SceneTextureList(SceneDocument& document, SelectionListBox* list, QLineEdit* filter, QLabel* count,
                     QListWidget* details, const FlagBoxes& boxes, QObject* parent);

    // The name an entry shows for a texture.
    static QString TextureName(const T3D_TEXTURE& texture);

    // Names every texture of the scene at its index.
    void FillTextureList();
    // Empties both lists and forgets that an entry was chosen.
    void clear();
    // Chooses no entry: no selection, empty details, no flags.
    void chooseNone();
    // Makes the entry the user selected the chosen one and shows its details
    // and flags. The chosen texture, or nullptr when no entry is selected or
    // the scene holds no texture at its index.
    const T3D_TEXTURE* takeSelection();
    // Makes entry [index] the chosen one after its texture changed: its name
    // anew, selected, with its details and flags. The texture, or nullptr.
    const T3D_TEXTURE* showChanged(int index);

    // The chosen texture, or nullptr when none is chosen or the scene holds no
    // texture at the chosen index.
    const T3D_TEXTURE* chosenTexture() const;
    int chosenIndex() const { return index_; }

    // Draws the entries of `indices` bold, saying so to assistive tools, and
    // every other entry plainly; the entries' texts stay the names.
    void markUnsaved(const std::set<int>& indices);

    void ShowDetails();
    void ShowFlags();
    void ClearFlags();
    void RefreshTextureEntry();
    // Opens the chosen texture's entry for the user to type its new name.
    void startRename();

signals:
    // The user selected an entry, by mouse or keyboard, also the one already
    // selected.
    void entrySelected();
    // The user changed texture [index] in place (its flags or name); `said`
    // tells how ("crate_A: + Envmap").
    void textureEdited(int index, const QString& said);
    // A change the user asked for was refused; `why` says so.
    void refused(const QString& why);
    // The field that finds textures hid the selected entry, which is no
    // longer selected.
    void selectionHidden();

private:
    // The user ticked or unticked the box of flag 1 << bit.
    void flagBoxClicked(int bit);
    // The user finished typing in entry [row]: a new name for its texture.
    void entryEdited(int row);
    // Why the chosen texture may not be named `name`; empty when it may.
    QString renameRefusal(const QString& name);

    SceneDocument& document_;
    SelectionListBox* list_;
    TextureFilter* filter_;
    QListWidget* details_;
    FlagBoxes boxes_;
    bool chosen_ = false;
    // 16 bits, as the scene counts its textures.
    uint16_t index_ = 0;
};
