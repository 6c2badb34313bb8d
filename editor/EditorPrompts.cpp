#include "editor/EditorPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

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

QString RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(nullptr, request.title);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without a suffix gets the one of the filter shown.
    if (!request.defaultSuffix.isEmpty())
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
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

}  // namespace

EditorPrompts DesktopPrompts()
{
    EditorPrompts prompts;
    prompts.openFile = [](const FileDialogRequest& request) { return RunFileDialog(request, QFileDialog::AcceptOpen); };
    prompts.saveFile = [](const FileDialogRequest& request) { return RunFileDialog(request, QFileDialog::AcceptSave); };
    prompts.message = [](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
        ExecMessageBox(box);
    };
    prompts.askDiscard = [](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Discard | QMessageBox::Cancel,
                        QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Cancel);
        return ExecMessageBox(box) == QMessageBox::Discard;
    };
    prompts.choose = [](const QString& caption, const QString& text, const QStringList& buttons, int defaultButton) {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
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
    prompts_.message(QString::fromLatin1(caption), QString::fromLocal8Bit(text));
}
