// What the replacement frame shows: with View > "Replacement as it will go
// in" and a scene texture chosen, the replacement converted into that
// texture's format as Replace would convert it with the Action menu's
// choices (Replacement::asItGoesIn; where Replace would ask about older level
// files, its first answer, said in the caption), with "Converting ..." across
// the frame until it is made; otherwise, or when that conversion would give
// the read as it is (a TGA chain keeping its format), the files as read.
// The caption says
// which; the tooltip what Replace would do and what the conversion costs each
// level. The window calls show() whenever the replacement, the chosen scene
// texture or a choice changed.
#pragma once

#include "editor/Replacement.h"

#include <QObject>
#include <QString>

class MainMenu;
class Previews;
class SceneTextureList;
struct T3D_TEXTURE;

class ReplacementView : public QObject {
    Q_OBJECT
public:
    ReplacementView(Replacement& replacement, Previews& previews, const SceneTextureList& textureList,
                    const MainMenu& menu, QObject* parent);

    // Draws the replacement frame anew from what it stands for now.
    void show();
    // The record the frame shows; nullptr when it shows none.
    const T3D_TEXTURE* shown() const { return shown_; }

private:
    // The conversion Replace would make into `scene` with the menu's choices.
    Replacement::Conversion conversionFor(const T3D_TEXTURE& scene) const;
    QString captionOf(const T3D_TEXTURE& scene) const;
    QString tooltipOf(const T3D_TEXTURE* scene, const Replacement::Made* made) const;

    Replacement& replacement_;
    Previews& previews_;
    const SceneTextureList& textureList_;
    const MainMenu& menu_;
    const T3D_TEXTURE* shown_ = nullptr;
    int level_ = 0;  // the level last shown
};
