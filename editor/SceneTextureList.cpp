#include "editor/SceneTextureList.h"

#include "editor/DialogUnits.h"
#include "editor/FlagBox.h"
#include "editor/SceneDocument.h"
#include "editor/SelectionListBox.h"
#include "editor/TextureFilter.h"
#include "resources/DialogTemplate.h"
#include "resources/Strings.h"
#include "texture/TextureFlags.h"

#include <QListWidget>
#include <QStringList>

#include <cstring>

SceneTextureList::SceneTextureList(SceneDocument& document, SelectionListBox* list, QLineEdit* filter, QLabel* count,
                                   QListWidget* details, const FlagBoxes& boxes, QObject* parent)
    : QObject(parent), document_(document), list_(list), filter_(new TextureFilter(filter, count, list, this)),
      details_(details), boxes_(boxes)
{
    connect(list_, &SelectionListBox::selectionNotified, this, &SceneTextureList::entrySelected);
    connect(filter_, &TextureFilter::selectionHidden, this, &SceneTextureList::selectionHidden);
    // "Mipmap levels" (bit 0) follows the level count.
    for (int bit = 1; bit < kFlagBoxCount; ++bit)
        connect(boxes_[bit], &FlagBox::clicked, this, [this, bit] { flagBoxClicked(bit); });
    // Only Rename opens an entry. Its new text is taken once the editor is
    // closed, since showing the change puts a new entry in the row's place.
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        QMetaObject::invokeMethod(
            this, [this, row = list_->row(item)] { entryEdited(row); }, Qt::QueuedConnection);
    });
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
    filter_->apply();
}

void SceneTextureList::clear()
{
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    filter_->apply();
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
    QStringList lines;
    for (const int value : values)
        lines.append(QString::asprintf(kDetailFormat, value));
    // Bits beyond the boxes, which no box shows, are kept: a line says them.
    if (const uint32_t others = texture->flags & ~((1u << kFlagBoxCount) - 1))
        lines.append(QString::asprintf(kOtherFlagsDetailFormat, others));
    for (const QString& line : lines) {
        auto* item = new QListWidgetItem(line);
        // One line per label: the labels stand 8 dialog units apart.
        item->setSizeHint(QSize(0, DialogUnitsToPixelsY(kDetailsLineHeight)));
        details_->addItem(item);
    }
}

void SceneTextureList::ShowFlags()
{
    ClearFlags();
    const T3D_TEXTURE* texture = document_.texture(index_);
    if (!texture)
        return;
    for (int bit = 0; bit < kFlagBoxCount; ++bit) {
        boxes_[bit]->setChecked(texture->flags & (1u << bit));
        boxes_[bit]->setEditable(bit != 0);
    }
}

void SceneTextureList::ClearFlags()
{
    for (FlagBox* box : boxes_) {
        box->setChecked(false);
        box->setEditable(false);
    }
}

void SceneTextureList::flagBoxClicked(int bit)
{
    const T3D_TEXTURE* texture = chosenTexture();
    if (!texture)
        return;
    const uint32_t flag = 1u << bit;
    const uint32_t flags = boxes_[bit]->isChecked() ? texture->flags | flag : texture->flags & ~flag;
    if (flags == texture->flags)
        return;
    const QString said = QString::fromLatin1(kFlagEditStatus)
                             .arg(TextureName(*texture), QString::fromStdString(FlagChangeText(texture->flags, flags)));
    if (document_.setTextureInfo(index_, flags, texture->name))
        emit textureEdited(index_, said);
    else
        ShowFlags();
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

void SceneTextureList::startRename()
{
    QListWidgetItem* item = chosenTexture() ? list_->item(index_) : nullptr;
    if (!item)
        return;
    {
        const QSignalBlocker quiet(list_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    list_->editItem(item);
}

void SceneTextureList::entryEdited(int row)
{
    const T3D_TEXTURE* texture = chosenTexture();
    QListWidgetItem* item = list_->item(row);
    if (!texture || !item || row != index_ || item->text() == TextureName(*texture))
        return;
    const QString before = TextureName(*texture);
    const QString name = item->text();
    const QString refusal = renameRefusal(name);
    if (refusal.isEmpty() && document_.setTextureInfo(index_, texture->flags, name.toLocal8Bit().toStdString())) {
        emit textureEdited(index_, QString::fromLatin1(kRenamedStatus).arg(before, name));
        return;
    }
    {
        const QSignalBlocker quiet(list_);
        item->setText(before);
    }
    if (!refusal.isEmpty())
        emit refused(refusal);
}

QString SceneTextureList::renameRefusal(const QString& name)
{
    const QByteArray bytes = name.toLocal8Bit();
    if (bytes.isEmpty() || bytes.size() >= kTextureNameSize)
        return QString::fromLatin1(kNameSizeStatus);
    for (unsigned i = 0; const T3D_TEXTURE* other = document_.texture(i); ++i)
        if (i != index_ && bytes == other->name)
            return QString::fromLatin1(kNameTakenStatus).arg(i).arg(name);
    return QString();
}
