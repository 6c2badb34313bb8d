#include "editor/SceneDocument.h"

#include "scene/SceneFormat.h"

#include <QFile>
#include <QFileInfo>

std::string SceneDocument::FileFor(const std::string& chosen)
{
    return WithSceneExtension(chosen);
}

bool SceneDocument::load(const std::string& chosen)
{
    // The scene library gets the file decided here: "level.1" or a lower-case
    // ".t3d" without its extension would name another file.
    const std::string file = FileFor(chosen);
    if (!scene_.Load(file.c_str(), 0)) {
        failedFile_ = file;
        return false;
    }
    loaded_ = true;
    file_ = file;
    oldFormat_ = scene_.GetSceneHeader()->magic == kOldSceneMagic;
    history_.clear();
    return true;
}

void SceneDocument::close()
{
    scene_.Free();
    history_.clear();
    loaded_ = false;
}

QString SceneDocument::fileName() const
{
    return QFileInfo(QFile::decodeName(file_.c_str())).fileName();
}

const T3D_TEXTURE* SceneDocument::texture(unsigned index)
{
    const VK7Q_HEADER* header = scene_.GetSceneHeader();
    if (!header || !header->textures || index >= header->textureCount)
        return nullptr;
    return &header->textures[index];
}

bool SceneDocument::write(const std::string& target, bool oldFormat)
{
    scene_.GenerateC3D();
    if (!(oldFormat ? scene_.WriteOld(target.c_str()) : scene_.Write(target.c_str()))) {
        failedFile_ = target;
        return false;
    }
    return true;
}

bool SceneDocument::save(bool oldFormat)
{
    if (!write(file_, oldFormat))
        return false;
    history_.markSaved();
    oldFormat_ = oldFormat;
    return true;
}

bool SceneDocument::saveAs(const std::string& target, bool oldFormat)
{
    // Another file leaves the loaded one as it was: its replaced textures stay
    // unsaved.
    if (!write(target, oldFormat))
        return false;
    if (isOwnFile(target)) {
        history_.markSaved();
        oldFormat_ = oldFormat;
    }
    return true;
}

bool SceneDocument::isOwnFile(const std::string& target) const
{
    const QString own = QFileInfo(QFile::decodeName(file_.c_str())).canonicalFilePath();
    return !own.isEmpty() && QFileInfo(QFile::decodeName(target.c_str())).canonicalFilePath() == own;
}

QString SceneDocument::failure() const
{
    return QString::fromStdString(SceneStatusText(scene_.LastStatus()));
}
