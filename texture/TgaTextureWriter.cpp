#include "texture/TgaTextureWriter.h"

#include "texture/MipChainNaming.h"
#include "texture/TextureMessages.h"
#include "texture/TgaFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kColourMapEntryBytes = 3;
constexpr uint8_t kAlphaBits32 = 8;
constexpr uint16_t kAttributeBit = 0x8000;

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};
using Bytes = std::unique_ptr<uint8_t[], FreeDeleter>;

bool IsWritable(const T3D_TEXTURE& record, int levels)
{
    if (BytesPerPixel(record.depth) == 0)
        return false;
    for (int level = 0; level < levels; ++level) {
        if (!record.levels[level])
            return false;
    }
    return true;
}

TgaHeader LevelHeader(const T3D_TEXTURE& record, int level)
{
    TgaHeader header;
    header.width = uint16_t(LevelWidth(record, level));
    header.height = uint16_t(LevelHeight(record, level));
    header.pixelDepth = uint8_t(record.depth);
    if (record.depth == 8) {
        header.colourMapType = kTgaColourMapPresent;
        header.imageType = kTgaColourMapped;
        header.colourMapLength = kPaletteEntries;
        header.colourMapEntryBits = 8 * kColourMapEntryBytes;
        return header;
    }
    header.imageType = kTgaTrueColour;
    if (record.depth == 16)
        header.colourMapEntryBits = 16;
    if (record.depth == 32)
        header.descriptor = kAlphaBits32;
    return header;
}

size_t ColourMapSize(const T3D_TEXTURE& record)
{
    return record.depth == 8 ? kPaletteEntries * kColourMapEntryBytes : 0;
}

// 5-6-5 to 5-5-5: red's five bits, green's top five, blue's five, and the
// attribute bit set.
uint16_t To555(uint16_t p)
{
    return uint16_t(kAttributeBit | (p >> 11) << 10 | ((p >> 6) & 0x1F) << 5 | (p & 0x1F));
}

void ConvertRow565(const uint8_t* in, uint8_t* out, unsigned width)
{
    for (unsigned x = 0; x < width; ++x) {
        const uint16_t p = To555(uint16_t(in[2 * x] | in[2 * x + 1] << 8));
        out[2 * x] = uint8_t(p);
        out[2 * x + 1] = uint8_t(p >> 8);
    }
}

// Lays out the level's whole file: header, colour map, rows bottom row first.
void BuildLevelFile(const T3D_TEXTURE& record, int level, uint8_t* out)
{
    WriteTgaHeader(LevelHeader(record, level), out);
    out += kTgaHeaderSize;
    if (record.depth == 8) {
        for (const auto& entry : record.palette) {
            std::memcpy(out, entry, kColourMapEntryBytes);
            out += kColourMapEntryBytes;
        }
    }

    const unsigned width = LevelWidth(record, level);
    const unsigned height = LevelHeight(record, level);
    const size_t rowBytes = size_t(width) * BytesPerPixel(record.depth);
    const bool convert565 = record.depth == 16 && record.greenMask == kMask565Green;
    for (unsigned y = height; y-- > 0; out += rowBytes) {
        const uint8_t* row = record.levels[level] + rowBytes * y;
        if (convert565)
            ConvertRow565(row, out, width);
        else
            std::memcpy(out, row, rowBytes);
    }
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

bool WriteLevel(const std::string& path, const T3D_TEXTURE& record, int level, TextureReport& report)
{
    const uint64_t size = kTgaHeaderSize + ColourMapSize(record) + LevelByteCount(record, level);
    Bytes bytes(size <= SIZE_MAX ? static_cast<uint8_t*>(std::malloc(size_t(size))) : nullptr);
    if (!bytes) {
        ReportTgaError(report, kNoMemoryForTga, path);
        return false;
    }
    BuildLevelFile(record, level, bytes.get());

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        ReportTgaError(report, kCantWriteTga, path);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool written = WriteAll(fd, bytes.get(), size_t(size));
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        if (regular)
            ::unlink(path.c_str());  // a part of a level would read as a damaged file
        ReportTgaError(report, kCantWriteTga, path);
        return false;
    }
    return true;
}

} // namespace

bool TgaTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report)
{
    const int levels = std::min<int>(record.levelCount, kMaxTextureLevels);
    if (levels > 0 && !IsWritable(record, levels)) {
        ReportTgaError(report, kTextureNotWritable, path);
        return false;
    }

    std::string current = path;
    for (int level = 0; level < levels; ++level) {
        std::string next;
        NextMipLevelName(current, next);
        if (!WriteLevel(current, record, level, report))
            return false;
        if (next.empty() && level + 1 < levels) {
            ReportTgaError(report, kNoNameAfterTga, current);
            return false;
        }
        current = next;
    }
    return true;
}
