#include "editor/TextureFilter.h"

#include "resources/Strings.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QShortcut>

TextureFilter::TextureFilter(QLineEdit* field, QLabel* count, QListWidget* list, QObject* parent)
    : QObject(parent), field_(field), count_(count), list_(list), hidden_(size_t(list->count()), false)
{
    field_->setPlaceholderText(QString::fromLatin1(kTextureFilterPlaceholder));
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textChanged, this, &TextureFilter::apply);
    connect(new QShortcut(QKeySequence::Find, field_->window()), &QShortcut::activated, this, [this] {
        field_->setFocus(Qt::ShortcutFocusReason);
        field_->selectAll();
    });
    // An entry the list gains shows; one it loses takes its mark along.
    QAbstractItemModel* model = list_->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        hidden_.insert(hidden_.begin() + first, size_t(last - first + 1), false);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
        hidden_.erase(hidden_.begin() + first, hidden_.begin() + last + 1);
    });
    connect(model, &QAbstractItemModel::modelReset, this,
            [this, model] { hidden_.assign(size_t(model->rowCount()), false); });
}

void TextureFilter::apply()
{
    const QString text = field_->text();
    const size_t rows = hidden_.size();
    std::vector<bool> hide(rows);
    size_t revealed = 0;  // entries hidden now that will show
    size_t hiding = 0;
    for (size_t row = 0; row < rows; ++row) {
        hide[row] = !list_->item(int(row))->text().contains(text, Qt::CaseInsensitive);
        revealed += hidden_[row] && !hide[row];
        hiding += hide[row];
    }
    // The view unhides entries one by one slowly; all at once, then hiding
    // those that must stay hidden, is quicker when they are fewer.
    if (revealed > hiding)
        showEveryEntry();
    for (size_t row = 0; row < rows; ++row) {
        if (hide[row] != hidden_[row])
            list_->setRowHidden(int(row), hide[row]);
    }
    hidden_ = std::move(hide);
    shown_ = int(rows - hiding);
    const QLocale numbers(QLocale::English);
    count_->setText(
        rows
            ? QString::fromLatin1(kTextureCountFormat).arg(numbers.toString(shown_), numbers.toString(qulonglong(rows)))
            : QString());
    keepSelection();
}

void TextureFilter::showEveryEntry()
{
    // A reset of the view shows every entry, and forgets the current and
    // selected one, which are put back unannounced.
    const int current = list_->currentRow();
    const bool selected = current >= 0 && list_->item(current)->isSelected();
    const QSignalBlocker quiet(list_);
    const QSignalBlocker quietSelection(list_->selectionModel());
    list_->reset();
    if (current >= 0)
        list_->setCurrentRow(current, selected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
    hidden_.assign(hidden_.size(), false);
}

void TextureFilter::keepSelection()
{
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
