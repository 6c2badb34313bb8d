#include "editor/DialogControls.h"

#include "editor/DialogUnits.h"
#include "editor/FlagBox.h"
#include "editor/GrowingLayout.h"
#include "editor/PreviewFrame.h"
#include "editor/SelectionListBox.h"
#include "foldertree/FolderTree.h"
#include "resources/DialogTemplate.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

// Narrow and small enough that every label and check box text fits the size
// its template gives it (DejaVu Sans at this size would clip "Mipmap level");
// the condensed face comes with Debian's fonts-dejavu-extra.
constexpr int kDialogFontPixelSize = 10;
constexpr const char* kDialogFontFamily = "DejaVu Sans Condensed";

void TagControl(QWidget* widget, int id, const char* text)
{
    if (id != kNoControlId)
        widget->setObjectName(QString::number(id));
    widget->setProperty("controlId", id);
    widget->setAccessibleName(QString::fromLatin1(text));
}

}  // namespace

DialogControls::DialogControls(QWidget* client, FolderTree* tree) : folderTree(tree)
{
    int flagBox = 0;
    for (const ControlTemplate& control : kMainDialogControls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::TextureList:
            makeTextureFilter(client);
            widget = textures = new SelectionListBox(client);
            break;
        case ControlKind::DetailsList:
            details = new QListWidget(client);
            details->setSelectionMode(QAbstractItemView::NoSelection);
            details->setFocusPolicy(Qt::NoFocus);  // it only shows
            widget = details;
            break;
        case ControlKind::Label:
            widget = new QLabel(QString::fromLatin1(control.text), client);
            break;
        case ControlKind::StatusLine:
            widget = statusLine = new QLabel(client);
            statusLine->setWordWrap(true);
            statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            break;
        case ControlKind::FlagBox:
            widget = flagBoxes[flagBox++] = new FlagBox(QString::fromLatin1(control.text), client);
            break;
        case ControlKind::FolderTree:
            if (!folderTree)
                folderTree = new FolderTree;
            folderTree->setParent(client);
            widget = folderTree;
            break;
        case ControlKind::Frame:
            widget = frames[control.id == kSceneFrameId ? 0 : 1] =
                new PreviewFrame(TemplatePlace(control).size(), client);
            break;
        }
        TagControl(widget, control.id, control.text);
        placed_.emplace_back(widget, &control);
    }
}

void DialogControls::makeTextureFilter(QWidget* client)
{
    textureFilter = new QLineEdit(client);
    // Ctrl+F or a click reaches it; Tab goes round the list, frames and tree.
    textureFilter->setFocusPolicy(Qt::ClickFocus);
    TagControl(textureFilter, kTextureFilterId, kTextureFilterPlaceholder);
    textureCount = new QLabel(client);
    textureCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TagControl(textureCount, kTextureCountId, "");
}

void DialogControls::placeTextureList(const QRect& place) const
{
    const int field = DialogUnitsToPixelsY(kTextureFilterHeight);
    const int count = DialogUnitsToPixelsY(kDetailsLineHeight);
    textureFilter->setGeometry(place.x(), place.y(), place.width(), field);
    textureCount->setGeometry(place.x(), place.y() + field, place.width(), count);
    textures->setGeometry(place.adjusted(0, field + count, 0, 0));
}

QFont DialogControls::Font()
{
    QFont font(kDialogFontFamily);
    font.setPixelSize(kDialogFontPixelSize);
    return font;
}

void DialogControls::place(QSize size) const
{
    for (const auto& [widget, control] : placed_) {
        const QRect place = GrownPlace(*control, size.expandedTo(TemplateClientSize()));
        if (auto* preview = qobject_cast<PreviewFrame*>(widget)) {
            // The drawing area takes the place; the edge lies around it.
            const int edge = preview->frameWidth();
            preview->setGeometry(place.adjusted(-edge, -edge, edge, edge));
        } else if (widget == textures) {
            placeTextureList(place);
        } else {
            widget->setGeometry(place);
        }
    }
}

void DialogControls::say(const QString& text) const
{
    statusLine->setText(text);
    statusLine->setToolTip(text);
    statusLine->setAccessibleName(text);
}
