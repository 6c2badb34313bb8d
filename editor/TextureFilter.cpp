#include "editor/TextureFilter.h"

#include "resources/Strings.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QShortcut>

TextureFilter::TextureFilter(QLineEdit* field, QLabel* count, QListWidget* list, QObject* parent)
    : QObject(parent), field_(field), count_(count), list_(list)
{
    field_->setPlaceholderText(QString::fromLatin1(kTextureFilterPlaceholder));
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textChanged, this, &TextureFilter::apply);
    connect(new QShortcut(QKeySequence::Find, field_->window()), &QShortcut::activated, this, [this] {
        field_->setFocus(Qt::ShortcutFocusReason);
        field_->selectAll();
    });
}

void TextureFilter::apply()
{
    const QString text = field_->text();
    const int rows = list_->count();
    shown_ = 0;
    for (int row = 0; row < rows; ++row) {
        const bool shows = list_->item(row)->text().contains(text, Qt::CaseInsensitive);
        if (list_->isRowHidden(row) == shows)
            list_->setRowHidden(row, !shows);
        shown_ += shows;
    }
    const QLocale numbers(QLocale::English);
    count_->setText(rows
                        ? QString::fromLatin1(kTextureCountFormat).arg(numbers.toString(shown_), numbers.toString(rows))
                        : QString());
    QListWidgetItem* current = list_->currentItem();
    if (current && current->isSelected() && current->isHidden()) {
        list_->clearSelection();
        emit selectionHidden();
    } else if (current) {
        list_->scrollToItem(current);
    }
}

bool TextureFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        field_->clear();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
