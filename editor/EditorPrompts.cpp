#include "editor/EditorPrompts.h"

#include "editor/ExportTexturesDialog.h"
#include "editor/ImportSummaryDialog.h"
#include "resources/Strings.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// Icons and type names for the file dialogs from an entry's kind and name
// alone. Qt's own provider reads a file's first bytes to guess its type, and
// reading a special file (/proc/kmsg, a FIFO, a terminal under /dev) can block
// for ever: typing /proc/ into the name field would freeze the program.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    NameOnlyIconProvider() { setOptions(DontUseCustomDirectoryIcons); }

    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override
    {
        return icon(info.isRoot() ? Drive : info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo& info) const override
    {
        if (info.isRoot())
            return QStringLiteral("Drive");
        if (info.isDir())
            return QStringLiteral("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
    }
};

// The suffix of a name filter's first pattern: "tga" for "... (*.tga)".
QString FilterSuffix(const QString& filter)
{
    const QRegularExpressionMatch pattern = QRegularExpression(QStringLiteral("\\(\\*\\.([^ ;)]+)")).match(filter);
    return pattern.hasMatch() ? pattern.captured(1) : QString();
}

// The detail view's columns that hold a size and a date, and room beside a
// column's text.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
constexpr int kColumnPadding = 16;

// Widens the dialog until the detail view shows every column whole, the size
// and date columns wide enough for their longest texts. Called as the dialog
// is shown, once its views are laid out and before it reaches the screen.
void WidenForColumns(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView* header = view->header();
    const QLocale locale = QLocale::system();
    const std::pair<int, QStringList> columns[] = {
        {kSizeColumn, {locale.formattedDataSize(1023), locale.formattedDataSize(1023 * 1024 + 1023)}},
        {kDateColumn, {locale.toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59, 59)), QLocale::ShortFormat)}},
    };
    for (const auto& [column, samples] : columns) {
        int width = 0;
        for (const QString& sample : samples)
            width = std::max(width, view->fontMetrics().horizontalAdvance(sample) + kColumnPadding);
        if (header->count() > column && header->sectionSize(column) < width)
            header->resizeSection(column, width);
    }
    const int room = view->viewport()->width() -
                     (view->verticalScrollBar()->isVisible() ? 0 : view->verticalScrollBar()->sizeHint().width());
    const int missing = header->length() - room;
    if (missing > 0)
        dialog.resize(dialog.width() + missing, dialog.height());
}

// Calls WidenForColumns when the dialog it watches is first shown.
class WidenOnShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            WidenForColumns(static_cast<QFileDialog&>(*watched));
        }
        return false;
    }
};

QString RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode, QWidget* window)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(window, request.title);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(request.choosesFolder   ? QFileDialog::Directory
                       : request.fileMustExist ? QFileDialog::ExistingFile
                                               : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ShowDirsOnly, request.choosesFolder);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.selectedFilter.isEmpty()) {
        dialog.selectNameFilter(request.selectedFilter);
        dialog.setDefaultSuffix(FilterSuffix(request.selectedFilter));
    }
    // A name typed without a suffix gets the one of the filter shown; the
    // title follows that filter where it names one.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(FilterSuffix(filter));
        if (!request.titleFormat.isEmpty())
            dialog.setWindowTitle(request.titleFormat.arg(FilterSuffix(filter)));
    });
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);
    WidenOnShow widen;
    dialog.installEventFilter(&widen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (request.filterChosen)
        *request.filterChosen = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

// The window manager draws a box's caption in its title bar, beside the
// window's icon and buttons; a box sized to a short text alone cuts it off.
constexpr int kTitleBarRoom = 160;  // pixels beside the caption's text

int ExecMessageBox(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box.exec();
}

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Information:
        break;
    }
    return QMessageBox::Information;
}

}  // namespace

EditorPrompts DesktopPrompts(std::function<QWidget*()> window)
{
    EditorPrompts prompts;
    prompts.openFile = [window](const FileDialogRequest& request) {
        return RunFileDialog(request, QFileDialog::AcceptOpen, window());
    };
    prompts.saveFile = [window](const FileDialogRequest& request) {
        return RunFileDialog(request, QFileDialog::AcceptSave, window());
    };
    prompts.message = [window](const QString& caption, const QString& text, MessageKind kind) {
        QMessageBox box(IconOf(kind), caption, text, QMessageBox::Ok, window());
        ExecMessageBox(box);
    };
    prompts.askUnsaved = [window](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Question, caption, text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window());
        box.button(QMessageBox::Save)->setText(QString::fromLatin1(kSaveButton));
        box.button(QMessageBox::Discard)->setText(QString::fromLatin1(kDiscardButton));
        box.button(QMessageBox::Cancel)->setText(QString::fromLatin1(kCancelButton));
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (ExecMessageBox(box)) {
        case QMessageBox::Save:
            return UnsavedAnswer::Save;
        case QMessageBox::Discard:
            return UnsavedAnswer::Discard;
        default:
            return UnsavedAnswer::Cancel;
        }
    };
    prompts.choose = [window](const QString& caption, const QString& text, const QStringList& buttons,
                              int defaultButton) {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, window());
        QList<QAbstractButton*> added;
        for (qsizetype i = 0; i < buttons.size(); ++i)
            added.append(
                box.addButton(buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
        if (defaultButton >= 0 && defaultButton < added.size())
            box.setDefaultButton(qobject_cast<QPushButton*>(added[defaultButton]));
        if (!added.isEmpty())
            box.setEscapeButton(added.last());
        ExecMessageBox(box);
        const qsizetype chosen = added.indexOf(box.clickedButton());
        return int(chosen < 0 ? added.size() - 1 : chosen);
    };
    prompts.chooseExport = [window](ExportChoice& choice) {
        const auto browse = [window](const QString& folder) {
            FileDialogRequest request;
            request.title = QString::fromLatin1(kPackFolderDialogTitle);
            request.choosesFolder = true;
            request.folder = folder;
            return RunFileDialog(request, QFileDialog::AcceptOpen, window());
        };
        ExportTexturesDialog dialog(choice, browse, window());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        choice = dialog.choice();
        return true;
    };
    prompts.confirmImport = [window](const ImportSummary& summary) {
        ImportSummaryDialog dialog(summary, window());
        return dialog.exec() == QDialog::Accepted;
    };
    return prompts;
}

const char* CaptionOf(Severity severity)
{
    return severity == Severity::Warning ? kWarningCaption : kErrorCaption;
}

void PromptReport::report(const TextureProblem& problem)
{
    show(CaptionOf(problem.severity), problem.sentence);
}

void PromptReport::show(const char* caption, const std::string& text)
{
    const MessageKind kind = std::string_view(caption) == kWarningCaption ? MessageKind::Warning : MessageKind::Error;
    prompts_.message(QString::fromLatin1(caption), QString::fromLocal8Bit(text), kind);
}
