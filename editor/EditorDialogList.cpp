// EditorDialog's texture list handlers: FillTextureList, OnTextureSelected, ShowDetails, ShowFlags.
// Also the details lines and the flag boxes of the chosen entry.
#include "editor/EditorDialog.h"

#include "editor/DialogUnits.h"
#include "editor/SelectionListBox.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QListWidget>

#include <cstring>

QString EditorDialog::textureName(const T3D_TEXTURE& texture)
{
    return QString::fromLocal8Bit(texture.name, int(strnlen(texture.name, kTextureNameSize)));
}

const T3D_TEXTURE* EditorDialog::sceneTexture(unsigned index)
{
    const VK7Q_HEADER* header = scene_.GetSceneHeader();
    if (!header || !header->textures || index >= header->textureCount)
        return nullptr;
    return &header->textures[index];
}

void EditorDialog::FillTextureList()
{
    const QSignalBlocker quiet(textureList_);
    textureList_->clear();
    for (unsigned i = 0; const T3D_TEXTURE* texture = sceneTexture(i); ++i)
        textureList_->insertItem(int(i), textureName(*texture));
}

void EditorDialog::OnTextureSelected()
{
    const int row = textureList_->selectedRow();
    if (row < 0)
        return;
    textureSelected_ = true;
    selectedIndex_ = uint16_t(row);
    ShowDetails();
    ShowFlags();
    if (const T3D_TEXTURE* texture = sceneTexture(selectedIndex_))
        DrawTexture(*texture, kSceneFrameId);
}

void EditorDialog::selectNoTexture()
{
    {
        const QSignalBlocker quiet(textureList_);
        textureList_->clearSelection();
        textureList_->setCurrentItem(nullptr);
    }
    textureSelected_ = false;
    selectedIndex_ = 0;
    detailsList_->clear();
    ClearFlags();
    ClearFrame(kSceneFrameId);
}

void EditorDialog::showChangedTexture(int index)
{
    textureSelected_ = true;
    selectedIndex_ = uint16_t(index);
    RefreshTextureEntry();
    ShowDetails();
    ShowFlags();
}

void EditorDialog::ShowDetails()
{
    detailsList_->clear();
    const T3D_TEXTURE* texture = sceneTexture(selectedIndex_);
    if (!texture)
        return;
    const int values[] = {texture->width, texture->height, texture->depth, texture->levelCount};
    for (int line = 0; line < 4; ++line) {
        auto* item = new QListWidgetItem(QString::asprintf(kDetailFormat, values[line]));
        // One line per label: the labels stand 8 dialog units apart.
        item->setSizeHint(QSize(0, DialogUnitsToPixelsY(kDetailsLineHeight)));
        detailsList_->insertItem(line, item);
    }
}

void EditorDialog::ShowFlags()
{
    ClearFlags();
    const T3D_TEXTURE* texture = sceneTexture(selectedIndex_);
    if (!texture)
        return;
    for (int bit = 0; bit < kFlagBoxCount; ++bit) {
        if (texture->flags & (1u << bit))
            flagBoxes_[bit]->setChecked(true);
    }
}

void EditorDialog::ClearFlags()
{
    for (QCheckBox* box : flagBoxes_)
        box->setChecked(false);
}

void EditorDialog::RefreshTextureEntry()
{
    const T3D_TEXTURE* texture = sceneTexture(selectedIndex_);
    if (!texture)
        return;
    const QSignalBlocker quiet(textureList_);
    delete textureList_->takeItem(selectedIndex_);
    textureList_->insertItem(selectedIndex_, textureName(*texture));
    textureList_->setCurrentRow(selectedIndex_);
    DrawTexture(*texture, kSceneFrameId);
}
