// The File menu: Load, Close, Save and Save as in the new and the old format.
#include "editor/EditorDialog.h"

#include "resources/Strings.h"
#include "scene/SceneFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

FileDialogRequest SceneFileRequest(bool opening)
{
    FileDialogRequest request;
    request.title = kSceneDialogTitle;
    if (opening) {
        request.filter = kSceneFileFilter;
        request.defaultSuffix = kSceneDefaultSuffix;
        request.fileMustExist = true;
    }
    return request;
}

} // namespace

// A scene failure: its own text, then which file and why.
void EditorDialog::tellUserWhy(const char* text, const std::string& file)
{
    prompts_.message(QCoreApplication::applicationName(),
                     QString::fromLatin1(text) + '\n' + QFile::decodeName(file.c_str()) + QStringLiteral(": ")
                         + QString::fromStdString(SceneStatusText(scene_.LastStatus())));
}

void EditorDialog::OnLoad()
{
    const QString chosen = prompts_.openFile(SceneFileRequest(true));
    if (chosen.isEmpty() || !mayDiscardChanges())
        return;
    // The scene path is the chosen name without its extension. The library
    // gets the whole name: "level.1" or a lower-case ".t3d" would otherwise
    // name another file. The paths of the scene loaded before stay until this
    // one has loaded.
    const std::string file = LocalPath(chosen);
    if (!scene_.Load(file.c_str(), 0)) {
        tellUserWhy(kLoadFailedText, WithSceneExtension(file));
        return;
    }
    sceneFile_ = file;
    scenePath_ = LocalPath(chosen.left(chosen.size() - kSceneExtensionLength));
    sceneModified_ = false;
    ClearFlags();
    detailsList_->clear();
    EnableSceneCommands();
    FillTextureList();
}

void EditorDialog::OnClose()
{
    if (!mayDiscardChanges())
        return;
    scene_.Free();
    sceneModified_ = false;
    DisableSceneCommands();
    ClearFlags();
    ClearFrame(kSceneFrameId);
}

bool EditorDialog::writeScene(const std::string& path, bool oldFormat)
{
    scene_.GenerateC3D();
    const int written = oldFormat ? scene_.WriteOld(path.c_str()) : scene_.Write(path.c_str());
    if (!written)
        tellUserWhy(kWriteFailedText, WithSceneExtension(path));
    return written != 0;
}

void EditorDialog::save(bool oldFormat)
{
    if (writeScene(sceneFile_, oldFormat))
        sceneModified_ = false;
}

void EditorDialog::saveAs(bool oldFormat)
{
    const QString chosen = prompts_.saveFile(SceneFileRequest(false));
    if (chosen.isEmpty())
        return;
    // Another name leaves the loaded file as it was: its replaced textures
    // stay unsaved.
    if (writeScene(LocalPath(chosen), oldFormat) && isLoadedSceneFile(chosen))
        sceneModified_ = false;
}

bool EditorDialog::isLoadedSceneFile(const QString& path) const
{
    const QString loaded = QFileInfo(QFile::decodeName(sceneFile_.c_str())).canonicalFilePath();
    return !loaded.isEmpty() && QFileInfo(path).canonicalFilePath() == loaded;
}

void EditorDialog::OnSave()
{
    save(false);
}

void EditorDialog::OnSaveOld()
{
    save(true);
}

void EditorDialog::OnSaveAs()
{
    saveAs(false);
}

void EditorDialog::OnSaveAsOld()
{
    saveAs(true);
}
