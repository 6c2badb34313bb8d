// EditorDialog's File menu handlers: OnLoad, OnClose, OnSave, OnSaveOld, OnSaveAs, OnSaveAsOld.
// Also the recent scenes menu, and the messages of a failed load or write.
#include "editor/EditorDialog.h"

#include "editor/PreviewFrame.h"
#include "resources/Strings.h"
#include "scene/SceneFormat.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>

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

}  // namespace

void EditorDialog::tellUserWhy(const char* text, const std::string& file, const QString& why)
{
    prompts_.message(QCoreApplication::applicationName(),
                     QString::fromLatin1(text) + '\n' + QFile::decodeName(file.c_str()) + QStringLiteral(": ") + why);
}

void EditorDialog::tellUserWhy(const char* text, const std::string& file)
{
    tellUserWhy(text, file, QString::fromStdString(SceneStatusText(scene_.LastStatus())));
}

QString EditorDialog::chooseFile(FileDialogKind kind, FileDialogRequest request)
{
    request.folder = settings_.lastFolder(kind);
    const QString chosen = kind == FileDialogKind::LoadScene ? prompts_.openFile(request) : prompts_.saveFile(request);
    if (!chosen.isEmpty())
        settings_.setLastFolder(kind, chosen);
    return chosen;
}

void EditorDialog::OnLoad()
{
    const QString chosen = chooseFile(FileDialogKind::LoadScene, SceneFileRequest(true));
    if (!chosen.isEmpty())
        openSceneFile(chosen);
}

void EditorDialog::openSceneFile(const QString& path)
{
    if (mayDiscardChanges())
        loadScene(path);
}

void EditorDialog::loadScene(const QString& path)
{
    // The library gets the whole chosen name: "level.1" or a lower-case ".t3d"
    // without its extension would name another file. The file of the scene
    // loaded before stays until this one has loaded.
    const std::string file = LocalPath(path);
    if (!scene_.Load(file.c_str(), 0)) {
        tellUserWhy(kLoadFailedText, WithSceneExtension(file));
        return;
    }
    sceneFile_ = file;
    sceneFileOld_ = scene_.GetSceneHeader()->magic == kOldSceneMagic;
    history_.clear();
    settings_.addRecentScene(path);
    fillRecentScenes();
    ClearFlags();
    detailsList_->clear();
    EnableSceneCommands();
    FillTextureList();
    selectNoTexture();
}

void EditorDialog::fillRecentScenes()
{
    for (int i = 0; i < kRecentSceneCount; ++i)
        actions_.erase(kFirstRecentSceneCommand + i);
    recentScenesMenu_->clear();
    const QStringList scenes = settings_.recentScenes();
    for (int i = 0; i < scenes.size(); ++i) {
        QAction* entry =
            recentScenesMenu_->addAction(QString::fromLatin1(kRecentSceneFormat).arg(i + 1).arg(scenes[i]));
        entry->setData(kFirstRecentSceneCommand + i);
        actions_[kFirstRecentSceneCommand + i] = entry;
        entry->setEnabled(QFileInfo(scenes[i]).isFile());
        connect(entry, &QAction::triggered, this, [this, scene = scenes[i]] { openSceneFile(scene); });
    }
    recentScenesMenu_->setEnabled(!scenes.isEmpty());
}

void EditorDialog::OnClose()
{
    if (!mayDiscardChanges())
        return;
    scene_.Free();
    history_.clear();
    DisableSceneCommands();
    ClearFlags();
    ClearFrame(kSceneFrameId);
}

bool EditorDialog::writeScene(const std::string& path, bool oldFormat)
{
    scene_.GenerateC3D();
    const int written = oldFormat ? scene_.WriteOld(path.c_str()) : scene_.Write(path.c_str());
    if (!written) {
        tellUserWhy(kWriteFailedText, WithSceneExtension(path));
        return false;
    }
    showStatus(QString::fromLatin1(kSavedStatus).arg(QFileInfo(QFile::decodeName(path.c_str())).fileName()));
    return true;
}

void EditorDialog::savedToOwnFile(bool oldFormat)
{
    history_.markSaved();
    sceneFileOld_ = oldFormat;
    updateActions();
}

void EditorDialog::save(bool oldFormat)
{
    if (writeScene(sceneFile_, oldFormat))
        savedToOwnFile(oldFormat);
}

void EditorDialog::saveAs(bool oldFormat)
{
    const QString chosen = chooseFile(FileDialogKind::SaveScene, SceneFileRequest(false));
    if (chosen.isEmpty())
        return;
    const std::string path = LocalPath(chosen);
    if (refuseReplacementFile({WithSceneExtension(path)}))
        return;
    // Another name leaves the loaded file as it was: its replaced textures
    // stay unsaved.
    if (writeScene(path, oldFormat) && isLoadedSceneFile(chosen))
        savedToOwnFile(oldFormat);
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
