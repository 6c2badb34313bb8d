// The scene object: loads a scene file (new or old format), hands out its
// header and texture records, replaces textures, and writes the scene back in
// either format. Plain C++, no Qt. Every operation reports success as non-zero;
// LastStatus() tells why a load or write failed.
// Records handed out through the header are for reading; they and their level
// pointers stay valid until the next Load, ReplaceT3DTexture,
// TakeT3DTexture, AppendT3DTexture or Free. docs/scene-format.md describes the files.
#pragma once

#include "scene/SceneStatus.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"
#include "texture/io/FileStamp.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The scene header. Readers rely on the texture count at offset 12 and the
// texture array pointer (records at a stride of sizeof(T3D_TEXTURE)) at 84
// with 32-bit pointers, at the next aligned offset (88) with 64-bit ones.
struct VK7Q_HEADER {
    uint32_t magic;    // kNewSceneMagic or kOldSceneMagic (scene/SceneFormat.h): the
                       // format the scene was read from; new for a scene built here
    uint16_t version;  // that format's version
    uint16_t reserved0;
    uint32_t sectionCount;  // opaque sections carried through load and save
    uint16_t textureCount;
    uint16_t reserved1;
    uint8_t reserved2[68];
    T3D_TEXTURE* textures;
};

static_assert(offsetof(VK7Q_HEADER, textureCount) == 12);
static_assert(sizeof(void*) != 4 || offsetof(VK7Q_HEADER, textures) == 84);
static_assert(sizeof(void*) != 8 || offsetof(VK7Q_HEADER, textures) == 88);

// The file that Load, Write and WriteOld use for `path`: the path with ".T3D" added when its file name has no extension
// (no dot after the first character) and nothing (no file, link, folder or device) has that very name; a path with an
// extension, naming something that exists, or naming a stream (/dev/stdout), as it is. So a scene that was given a name
// without extension is read and written under that name, and nothing is ever made beside a device or stream.
std::string WithSceneExtension(const std::string& path);

class SceneData;

class CVK7QScene {
public:
    CVK7QScene();
    ~CVK7QScene();
    CVK7QScene(const CVK7QScene&) = delete;
    CVK7QScene& operator=(const CVK7QScene&) = delete;

    // Loads path, or path + ".T3D" when path has no extension and names no
    // file (see WithSceneExtension). The second
    // argument is accepted and ignored. On failure the scene loaded before
    // stays loaded and unchanged.
    int Load(const char* path, int);
    // The current header; 0 textures when no scene is loaded.
    VK7Q_HEADER* GetSceneHeader();
    // Copies the record and all its level pixels into the scene at index; the
    // caller keeps its buffers. Fails, changing nothing, for an index out of
    // range or a record that is not a whole texture.
    int ReplaceT3DTexture(int index, const T3D_TEXTURE* record);
    // The same without a copy: the record's level buffers go into the scene
    // and the record is left empty (as it was when this fails).
    int TakeT3DTexture(int index, TextureRecord& record);
    // Gives the texture at index these flags and this name (cut to 255
    // characters) in place, its pixels untouched. Fails, changing nothing,
    // for an index out of range or no name.
    int SetT3DTextureInfo(int index, uint32_t flags, const char* name);
    // Appends a copy of the record and its pixels as the scene's last
    // texture; with no scene loaded, starts a new, empty one first.
    int AppendT3DTexture(const T3D_TEXTURE* record);
    // Rebuilds the new format's derived data (the texture directory) from the
    // current textures, checksumming every texture's pixels anew.
    int GenerateC3D();
    // Writes the new or the old format; ".T3D" is added to a path without an
    // extension that names no file. Write brings derived data that a change made stale up to
    // date first. A failed write leaves an existing file whole.
    // The file the scene was loaded from is replaced only while it is as it
    // was loaded (or last written here): when another program wrote it
    // meanwhile, the write fails with ChangedOnDisk and leaves it as it is.
    int Write(const char* path);
    int WriteOld(const char* path);
    // Whether another program changed the file the scene was loaded from (or
    // last written to it) since then; false when no file was loaded.
    bool FileChangedOnDisk() const;
    // The next write replaces the file loaded whatever became of it: the
    // user chose to write over another program's changes.
    void IgnoreChangesOnDisk() { loadedStamp_ = FileStamp(); }
    // Releases everything; afterwards no scene is loaded.
    void Free();

    // A flag that, set to true by another thread, stops a Load under way at
    // its next chunk of the file (failing, the scene before kept, with the
    // file read status Cancelled); nullptr, the default: never.
    void SetLoadCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
    // Likewise for Write and WriteOld: stopped between pieces of the file,
    // before it is put in place (failing, the file on disk as it was).
    void SetWriteCancel(const std::atomic<bool>* cancel) { writeCancel_ = cancel; }

    // Why the last Load, Write or WriteOld failed (cause None when it
    // worked); the other operations leave it as it is.
    const SceneStatus& LastStatus() const { return status_; }

private:
    SceneStatus LoadFile(const std::string& path);
    SceneStatus WriteFile(const char* path, bool oldFormat);
    bool IsLoadedFile(const std::string& file) const;

    std::unique_ptr<SceneData> data_;
    std::string loadedFile_;  // resolved (ResolvedPath); empty for a scene built here
    // How it stood when read or last written here; its CRC is dropped once a
    // look finds the bytes as read after the file's tick is over.
    mutable FileStamp loadedStamp_;
    SceneStatus status_;
    const std::atomic<bool>* cancel_ = nullptr;
    const std::atomic<bool>* writeCancel_ = nullptr;
};
