#include "editor/ImportSummaryDialog.h"

#include "resources/Strings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Room for a dozen rows and the widest texts without a scroll bar, where the
// screen allows.
constexpr int kVisibleRows = 12;

}  // namespace

ImportSummaryDialog::ImportSummaryDialog(const ImportSummary& summary, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kImportSummaryTitle).arg(summary.folder));

    auto* heading = new QLabel(summary.heading);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setWordWrap(true);

    auto* rows = new QTreeWidget;
    rows->setObjectName(QStringLiteral("rows"));
    rows->setRootIsDecorated(false);
    rows->setSelectionMode(QAbstractItemView::NoSelection);
    rows->setHeaderLabels({QString::fromLatin1(kImportTextureColumn), QString::fromLatin1(kImportBeforeColumn),
                           QString::fromLatin1(kImportAfterColumn), QString::fromLatin1(kImportRemarkColumn)});
    const QIcon failed = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    for (const ImportSummaryRow& row : summary.rows) {
        auto* item = new QTreeWidgetItem(rows, {row.texture, row.before, row.after, row.remark});
        if (row.kind == ImportSummaryRow::Kind::Fails)
            item->setIcon(0, failed);
        item->setToolTip(3, row.remark);
    }
    for (int column = 0; column < rows->columnCount(); ++column)
        rows->resizeColumnToContents(column);
    const int rowHeight = rows->sizeHintForRow(0) > 0 ? rows->sizeHintForRow(0) : fontMetrics().height();
    int width = rows->frameWidth() * 2;
    for (int column = 0; column < rows->columnCount(); ++column)
        width += rows->columnWidth(column);
    rows->setMinimumSize(std::min(width, 1000), rows->header()->sizeHint().height() + rowHeight * kVisibleRows);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* import = buttons->addButton(QString::fromLatin1(kImportButtonText), QDialogButtonBox::AcceptRole);
    import->setEnabled(summary.changesSomething);
    (summary.changesSomething ? import : buttons->button(QDialogButtonBox::Cancel))->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(rows, 1);
    layout->addWidget(buttons);
}
