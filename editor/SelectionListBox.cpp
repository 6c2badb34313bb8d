#include "editor/SelectionListBox.h"

#include <QMouseEvent>
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

} // namespace

SelectionListBox::SelectionListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setItemDelegate(new RoomyRowDelegate(this));
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit selectionNotified();
    });
}

void SelectionListBox::mousePressEvent(QMouseEvent* event)
{
    const int rowBefore = currentRow();
    QListWidget::mousePressEvent(event);
    // A press on the entry already current changes no row; it still selects.
    const int pressedRow = indexAt(event->position().toPoint()).row();
    if (pressedRow >= 0 && pressedRow == rowBefore && currentRow() == rowBefore)
        emit selectionNotified();
}
