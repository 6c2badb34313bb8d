#include "scene/CVK7QScene.h"

#include "scene/NewSceneFormat.h"
#include "scene/OldSceneFormat.h"
#include "scene/SceneData.h"
#include "scene/SceneFile.h"
#include "scene/SceneFormat.h"
#include "scene/SceneReader.h"
#include "texture/io/FileRead.h"
#include "texture/io/FileWrite.h"

#include <utility>

namespace {

// Brings the derived data up to date, working out only missing checksums.
void RefreshDirectory(SceneData& scene)
{
    if (scene.directoryCurrent)
        return;
    scene.computeChecksums(false);
    scene.directory = BuildDirectory(scene);
    scene.directoryCurrent = true;
}

}  // namespace

CVK7QScene::CVK7QScene() : data_(std::make_unique<SceneData>())
{
}

CVK7QScene::~CVK7QScene() = default;

int CVK7QScene::Load(const char* path, int)
{
    status_ = LoadFile(path ? path : "");
    return status_.ok();
}

SceneStatus CVK7QScene::LoadFile(const std::string& path)
{
    if (path.empty())
        return {SceneCause::FileUnreadable, FileReadStatus::NotFound, std::string()};
    ByteBlock bytes;
    BlockCrcs crcs;
    FileStamp stamp;
    const std::string file = WithSceneExtension(path);
    if (const FileReadStatus read = ReadSceneFile(file, bytes, crcs, cancel_, &stamp); read != FileReadStatus::Ok)
        return {SceneCause::FileUnreadable, read, std::string()};
    auto scene = std::make_unique<SceneData>();
    SceneStatus status = ReadScene(std::move(bytes), *scene, crcs);
    if (status.ok()) {
        data_ = std::move(scene);
        loadedFile_ = ResolvedPath(file);
        loadedStamp_ = stamp;
    }
    return status;
}

VK7Q_HEADER* CVK7QScene::GetSceneHeader()
{
    return &data_->header();
}

int CVK7QScene::ReplaceT3DTexture(int index, const T3D_TEXTURE* record)
{
    if (!data_->loaded() || !record || index < 0 || size_t(index) >= data_->textures().size())
        return 0;
    SceneTexture texture;
    if (!CopySceneTexture(*record, texture))
        return 0;
    data_->replaceTexture(size_t(index), std::move(texture));
    return 1;
}

int CVK7QScene::TakeT3DTexture(int index, TextureRecord& record)
{
    if (!data_->loaded() || index < 0 || size_t(index) >= data_->textures().size())
        return 0;
    SceneTexture texture;
    if (!TakeSceneTexture(record, texture))
        return 0;
    data_->replaceTexture(size_t(index), std::move(texture));
    return 1;
}

int CVK7QScene::SetT3DTextureInfo(int index, uint32_t flags, const char* name)
{
    if (!data_->loaded() || !name || index < 0 || size_t(index) >= data_->textures().size())
        return 0;
    data_->setTextureInfo(size_t(index), flags, name);
    return 1;
}

int CVK7QScene::AppendT3DTexture(const T3D_TEXTURE* record)
{
    if (!record || data_->textures().size() >= kMaxSceneTextures)
        return 0;
    SceneTexture texture;
    if (!CopySceneTexture(*record, texture))
        return 0;
    if (!data_->loaded())
        data_->startEmpty();
    data_->appendTexture(std::move(texture));
    return 1;
}

int CVK7QScene::GenerateC3D()
{
    if (!data_->loaded())
        return 0;
    data_->computeChecksums(true);
    data_->directory = BuildDirectory(*data_);
    data_->directoryCurrent = true;
    return 1;
}

int CVK7QScene::Write(const char* path)
{
    status_ = WriteFile(path, false);
    return status_.ok();
}

int CVK7QScene::WriteOld(const char* path)
{
    status_ = WriteFile(path, true);
    return status_.ok();
}

SceneStatus CVK7QScene::WriteFile(const char* path, bool oldFormat)
{
    if (!data_->loaded())
        return SceneFailure(SceneCause::NothingLoaded);
    if (!path || !*path)
        return SceneFailure(SceneCause::WriteFailed, "no file name");
    ScenePieces pieces;
    if (!oldFormat)
        RefreshDirectory(*data_);
    if (!(oldFormat ? LayOutOldScene(*data_, pieces) : LayOutNewScene(*data_, pieces)))
        return SceneFailure(SceneCause::WriteFailed, "the scene is too large for the format");
    const std::string file = WithSceneExtension(path);
    if (!IsLoadedFile(file))
        return WriteFileAtomically(file, pieces, {nullptr, nullptr, writeCancel_});
    FileStamp written;
    const SceneStatus status = WriteFileAtomically(file, pieces, {&loadedStamp_, &written, writeCancel_});
    if (status.ok())
        loadedStamp_ = written;
    return status;
}

// Whether `file` is the file the scene was loaded from: the same path, or
// the same file under another name.
bool CVK7QScene::IsLoadedFile(const std::string& file) const
{
    return !loadedFile_.empty() && !IsStreamTarget(file) &&
           (ResolvedPath(file) == loadedFile_ || StampOf(file).sameFile(loadedStamp_));
}

bool CVK7QScene::FileChangedOnDisk() const
{
    if (loadedFile_.empty() || !loadedStamp_.exists)
        return false;
    if (StampOf(loadedFile_) != loadedStamp_)
        return true;
    if (!loadedStamp_.hasCrc)
        return false;
    const int64_t lookedAt = NowNanoseconds();
    if (StampWithCrc(loadedFile_) != loadedStamp_)
        return true;
    // Its bytes are as read; once the tick it was written in is over, a
    // rewrite would show in its times, and the stamp alone tells from now on.
    if (!ModifiedWithinTickOf(loadedStamp_, lookedAt))
        loadedStamp_.hasCrc = false;
    return false;
}

void CVK7QScene::Free()
{
    data_ = std::make_unique<SceneData>();
    loadedFile_.clear();
    loadedStamp_ = FileStamp();
}
