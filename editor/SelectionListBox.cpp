#include "editor/SelectionListBox.h"

#include <QMouseEvent>

SelectionListBox::SelectionListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
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
