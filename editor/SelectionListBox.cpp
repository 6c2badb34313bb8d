#include "editor/SelectionListBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace {

// Rows a few pixels taller than a line of text: underscores sit below the
// baseline, lower than the font's own descent allows for.
class RoomyRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        constexpr int kPadding = 2;  // above and below the text
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return size.expandedTo(QSize(0, option.fontMetrics.height() + 2 * kPadding));
    }
};

}  // namespace

SelectionListBox::SelectionListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setItemDelegate(new RoomyRowDelegate(this));
    // Every row as large as the first: a scene's 65,535 entries are laid out
    // again at once when a filter shows them all.
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow() >= 0)
            emit selectionNotified();
    });
}

int SelectionListBox::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void SelectionListBox::focusInEvent(QFocusEvent* event)
{
    const bool nothingChosen = selectedRow() < 0;
    QListWidget::focusInEvent(event);
    // The view makes its first entry current on focus; with nothing chosen,
    // it stays without a current entry.
    if (nothingChosen && selectedRow() < 0 && currentIndex().isValid()) {
        const QSignalBlocker quiet(this);
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    viewport()->update();
}

void SelectionListBox::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    viewport()->update();
}

void SelectionListBox::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    // With a current entry the entry draws the focus; without one, the list.
    if (!hasFocus() || currentIndex().isValid())
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = viewport()->rect().adjusted(1, 1, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void SelectionListBox::mousePressEvent(QMouseEvent* event)
{
    const int rowBefore = selectedRow();
    QListWidget::mousePressEvent(event);
    // A press on the entry already selected changes no selection; it still
    // selects.
    const int pressedRow = indexAt(event->position().toPoint()).row();
    if (pressedRow >= 0 && pressedRow == rowBefore && selectedRow() == rowBefore)
        emit selectionNotified();
}
