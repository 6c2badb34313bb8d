#include "editor/SceneTextureList.h"

#include "editor/DialogUnits.h"
#include "editor/SceneDocument.h"
#include "editor/SelectionListBox.h"
#include "resources/DialogTemplate.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QListWidget>

#include <cstring>

SceneTextureList::SceneTextureList(SceneDocument& document, SelectionListBox* list, QListWidget* details,
                                   const FlagBoxes& boxes, QObject* parent)
    : QObject(parent), document_(document), list_(list), details_(details), boxes_(boxes)
{
    connect(list_, &SelectionListBox::selectionNotified, this, &SceneTextureList::entrySelected);
}

QString SceneTextureList::TextureName(const T3D_TEXTURE& texture)
{
    return QString::fromLocal8Bit(texture.name, int(strnlen(texture.name, kTextureNameSize)));
}

const T3D_TEXTURE* SceneTextureList::chosenTexture() const
{
    return chosen_ ? document_.texture(index_) : nullptr;
}

void SceneTextureList::FillTextureList()
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (unsigned i = 0; const T3D_TEXTURE* texture = document_.texture(i); ++i)
        list_->insertItem(int(i), TextureName(*texture));
}

void SceneTextureList::clear()
{
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    details_->clear();
    chosen_ = false;
}

void SceneTextureList::chooseNone()
{
    {
        const QSignalBlocker quiet(list_);
        list_->clearSelection();
        list_->setCurrentItem(nullptr);
    }
    chosen_ = false;
    index_ = 0;
    details_->clear();
    ClearFlags();
}

const T3D_TEXTURE* SceneTextureList::takeSelection()
{
    const int row = list_->selectedRow();
    if (row < 0)
        return nullptr;
    chosen_ = true;
    index_ = uint16_t(row);
    ShowDetails();
    ShowFlags();
    return chosenTexture();
}

const T3D_TEXTURE* SceneTextureList::showChanged(int index)
{
    chosen_ = true;
    index_ = uint16_t(index);
    RefreshTextureEntry();
    ShowDetails();
    ShowFlags();
    return chosenTexture();
}

void SceneTextureList::markUnsaved(const std::set<int>& indices)
{
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        const bool unsaved = indices.count(row) > 0;
        if (item->font().bold() == unsaved)
            continue;
        QFont font = list_->font();
        font.setBold(unsaved);
        item->setFont(font);
        item->setData(Qt::AccessibleDescriptionRole,
                      unsaved ? QString::fromLatin1(kUnsavedEntryDescription) : QString());
    }
}

void SceneTextureList::ShowDetails()
{
    details_->clear();
    const T3D_TEXTURE* texture = document_.texture(index_);
    if (!texture)
        return;
    const int values[] = {texture->width, texture->height, texture->depth, texture->levelCount};
    for (int line = 0; line < 4; ++line) {
        auto* item = new QListWidgetItem(QString::asprintf(kDetailFormat, values[line]));
        // One line per label: the labels stand 8 dialog units apart.
        item->setSizeHint(QSize(0, DialogUnitsToPixelsY(kDetailsLineHeight)));
        details_->insertItem(line, item);
    }
}

void SceneTextureList::ShowFlags()
{
    ClearFlags();
    const T3D_TEXTURE* texture = document_.texture(index_);
    if (!texture)
        return;
    for (int bit = 0; bit < kFlagBoxCount; ++bit) {
        if (texture->flags & (1u << bit))
            boxes_[bit]->setChecked(true);
    }
}

void SceneTextureList::ClearFlags()
{
    for (QCheckBox* box : boxes_)
        box->setChecked(false);
}

void SceneTextureList::RefreshTextureEntry()
{
    const T3D_TEXTURE* texture = document_.texture(index_);
    if (!texture)
        return;
    const QSignalBlocker quiet(list_);
    delete list_->takeItem(index_);
    list_->insertItem(index_, TextureName(*texture));
    list_->setCurrentRow(index_);
}
