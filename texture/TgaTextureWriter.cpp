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

// Pixels are little-endian in the record and are handled here as native words.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a little-endian machine is assumed");

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

void ConvertRow565(const uint8_t* __restrict in, uint8_t* __restrict out, unsigned width)
{
    for (size_t x = 0; x < width; ++x) {
        uint16_t p;
        std::memcpy(&p, in + 2 * x, 2);
        p = To555(p);
        std::memcpy(out + 2 * x, &p, 2);
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

// A buffer that gathers a level file's bytes, header and rows, and writes them
// in blocks of whole rows. One block serves every level of a record.
class BlockWriter {
public:
    // Room for at least `minimum` bytes, and for the record's largest file up
    // to kBlockBytes.
    BlockWriter(const T3D_TEXTURE& record, size_t minimum)
    {
        const uint64_t largest = kTgaHeaderSize + ColourMapSize(record) + LevelByteCount(record, 0);
        capacity_ = std::max<size_t>(minimum, size_t(std::min<uint64_t>(largest, kBlockBytes)));
        block_.reset(static_cast<uint8_t*>(std::malloc(capacity_)));
    }

    bool ready() const { return block_ != nullptr; }
    void start(int fd)
    {
        fd_ = fd;
        used_ = 0;
    }

    // Space for the next n bytes (n within the capacity), writing out what
    // the block holds first when they would not fit. Null when that write fails.
    uint8_t* next(size_t n)
    {
        if (used_ + n > capacity_ && !flush())
            return nullptr;
        uint8_t* at = block_.get() + used_;
        used_ += n;
        return at;
    }

    bool flush()
    {
        const bool written = WriteAll(fd_, block_.get(), used_);
        used_ = 0;
        return written;
    }

private:
    // Large enough that each write call moves much; small enough to stay in
    // cache until the kernel copies it, and never a fresh buffer the size of
    // a large level.
    static constexpr uint64_t kBlockBytes = 1 << 20;

    Bytes block_;
    size_t capacity_ = 0;
    size_t used_ = 0;
    int fd_ = -1;
};

// Writes the level's file: header, colour map, rows bottom row first.
bool WriteLevelBytes(const T3D_TEXTURE& record, int level, BlockWriter& out)
{
    const TgaHeader header = LevelHeader(record, level);
    uint8_t* at = out.next(kTgaHeaderSize + ColourMapSize(record));  // the block is empty: room
    WriteTgaHeader(header, at);
    at += kTgaHeaderSize;
    if (record.depth == 8) {
        for (const auto& entry : record.palette) {
            std::memcpy(at, entry, kColourMapEntryBytes);
            at += kColourMapEntryBytes;
        }
    }

    const size_t rowBytes = size_t(header.width) * BytesPerPixel(record.depth);
    const bool convert565 = record.depth == 16 && record.greenMask == kMask565Green;
    for (unsigned y = header.height; y-- > 0;) {
        const uint8_t* row = record.levels[level] + rowBytes * y;
        uint8_t* to = out.next(rowBytes);
        if (!to)
            return false;
        if (convert565)
            ConvertRow565(row, to, header.width);
        else
            std::memcpy(to, row, rowBytes);
    }
    return out.flush();
}

bool WriteLevel(const std::string& path, const T3D_TEXTURE& record, int level, BlockWriter& out,
                TextureReport& report)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        ReportTgaError(report, kCantWriteTga, path);
        return false;
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    out.start(fd);
    const bool written = WriteLevelBytes(record, level, out);
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

    if (levels == 0)
        return true;
    const size_t levelZeroRow = size_t(LevelWidth(record, 0)) * BytesPerPixel(record.depth);
    BlockWriter out(record, kTgaHeaderSize + ColourMapSize(record) + levelZeroRow);
    if (!out.ready()) {
        ReportTgaError(report, kNoMemoryForTga, path);
        return false;
    }

    std::string current = path;
    for (int level = 0; level < levels; ++level) {
        std::string next;
        NextMipLevelName(current, next);
        if (!WriteLevel(current, record, level, out, report))
            return false;
        if (next.empty() && level + 1 < levels) {
            ReportTgaError(report, kNoNameAfterTga, current);
            return false;
        }
        current = next;
    }
    return true;
}
