#include "editor/EditorPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(nullptr, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace

EditorPrompts DesktopPrompts()
{
    EditorPrompts prompts;
    prompts.openFile = [](const FileDialogRequest& request) {
        return RunFileDialog(request, QFileDialog::AcceptOpen);
    };
    prompts.saveFile = [](const FileDialogRequest& request) {
        return RunFileDialog(request, QFileDialog::AcceptSave);
    };
    prompts.message = [](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    };
    prompts.askDiscard = [](const QString& caption, const QString& text) {
        return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                     QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel)
            == QMessageBox::Discard;
    };
    return prompts;
}

void PromptReport::report(const std::string& caption, const std::string& text)
{
    prompts_.message(QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text));
}
