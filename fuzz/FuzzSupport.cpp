#include "fuzz/FuzzSupport.h"

#include "texture/convert/PixelExpansion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string MakeScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quorrel-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("quorrel fuzz: cannot make a scratch folder");
        std::abort();
    }
    return pattern;
}

const std::string& Folder()
{
    static const std::string folder = MakeScratchFolder();
    return folder;
}

void RemoveScratchFolder()
{
    if (DIR* dir = opendir(Folder().c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlink((Folder() + "/" + entry->d_name).c_str());
        }
        closedir(dir);
    }
    rmdir(Folder().c_str());
}

}  // namespace

const std::string& ScratchFolder()
{
    const std::string& folder = Folder();  // made before the clean-up is registered, so it outlives it
    static const bool cleanupRegistered = std::atexit(RemoveScratchFolder) == 0;
    (void)cleanupRegistered;
    return folder;
}

std::string PutScratchFile(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = ScratchFolder() + "/" + name;
    if (!data) {
        unlink(path.c_str());
        return path;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(fd >= 0, "scratch file cannot be created");
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        Require(n > 0, "scratch file cannot be written");
        done += size_t(n);
    }
    close(fd);
    return path;
}

uint64_t TouchLevels(const T3D_TEXTURE& record)
{
    uint64_t sum = 0;
    for (int level = 0; level < record.levelCount && level < kMaxTextureLevels; ++level) {
        const uint64_t bytes = LevelByteCount(record, level);
        Require(bytes == 0 || record.levels[level] != nullptr, "a counted level has no buffer");
        for (uint64_t i = 0; i < bytes; ++i)
            sum += record.levels[level][i];
    }
    return sum;
}

bool SameTexture(const T3D_TEXTURE& a, const T3D_TEXTURE& b)
{
    if (a.width != b.width || a.height != b.height || a.depth != b.depth || a.levelCount != b.levelCount ||
        a.redMask != b.redMask || a.greenMask != b.greenMask || a.blueMask != b.blueMask || a.alphaMask != b.alphaMask)
        return false;
    if (a.depth == 8 && std::memcmp(a.palette, b.palette, sizeof a.palette) != 0)
        return false;
    for (int level = 0; level < a.levelCount && level < kMaxTextureLevels; ++level) {
        const uint64_t bytes = LevelByteCount(a, level);
        if (bytes > 0 && std::memcmp(a.levels[level], b.levels[level], size_t(bytes)) != 0)
            return false;
    }
    return true;
}

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "quorrel fuzz: property broken: %s\n", what);
    std::abort();
}

const FuzzLayout* FuzzLayoutFor(unsigned option)
{
    // clang-format off
    static const FuzzLayout kLayouts[] = {
        {16, {0x0F00, 0x00F0, 0x000F, 0xF000}},
        {16, {0x7C00, 0x03E0, 0x001F, 0x8000}},
        {24, {0xFC0000, 0x03F000, 0x000FC0, 0x00003F}},
        {32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}},
        {32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}},
        {16, {0xF800, 0x0FE0, 0x001F, 0}},
        {32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}},
    };
    // clang-format on
    return option >= 1 && option <= 7 ? &kLayouts[option - 1] : nullptr;
}

bool SamePixels(const T3D_TEXTURE& a, const T3D_TEXTURE& b)
{
    if (a.width != b.width || a.height != b.height || a.levelCount != b.levelCount)
        return false;
    for (int level = 0; level < a.levelCount && level < kMaxTextureLevels; ++level) {
        if (ExpandLevelToArgb(a, level) != ExpandLevelToArgb(b, level))
            return false;
    }
    return true;
}
