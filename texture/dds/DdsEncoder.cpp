#include "texture/dds/DdsEncoder.h"

#include "texture/dds/DdsFormat.h"
#include "texture/io/LittleEndian.h"

#include <algorithm>

namespace {

// An 8-bit texture's colours go out through a buffer of this many pixels.
constexpr size_t kExpandChunkPixels = 4096;

// The pixel format a record's levels are written in: its bits per pixel and
// masks, and whether the pixels are palette indices.
struct DdsPixels {
    unsigned bits = 0;
    PixelMasks masks;
    bool indexed = false;
};

// The record's masks; a record with none has its depth's usual ones (as the
// TGA writer and the previews take it).
PixelMasks OwnMasks(const T3D_TEXTURE& record)
{
    if (MasksOf(record) != PixelMasks())
        return MasksOf(record);
    T3D_TEXTURE standard = record;
    SetStandardMasks(standard, record.depth);
    return MasksOf(standard);
}

DdsPixels PixelsFor(const T3D_TEXTURE& record, DdsPaletteLayout palette)
{
    if (record.depth != 8)
        return {record.depth, OwnMasks(record), false};
    if (palette == DdsPaletteLayout::indexed)
        return {8, {}, true};
    // Opaque alpha rather than none: some readers take a 32-bit DDS without
    // alpha for 24-bit pixels.
    return {32, {kMask8888Red, kMask8888Green, kMask8888Blue, kMask8888Alpha}, false};
}

uint32_t PixelFormatFlags(const DdsPixels& pixels)
{
    if (pixels.indexed)
        return DDPF_PALETTEINDEXED8;
    return DDPF_RGB | (pixels.masks.alpha != 0 ? DDPF_ALPHAPIXELS : 0);
}

DdsHeader HeaderFor(const T3D_TEXTURE& record, int levels, const DdsPixels& pixels)
{
    const bool chain = levels > 1;
    DdsHeader header;
    header.flags =
        DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | (chain ? DDSD_MIPMAPCOUNT : 0);
    header.height = record.height;
    header.width = record.width;
    header.pitchOrLinearSize = record.width * (pixels.bits / 8);
    header.mipMapCount = chain ? uint32_t(levels) : 0;
    header.pixelFormat.flags = PixelFormatFlags(pixels);
    header.pixelFormat.rgbBitCount = pixels.bits;
    header.pixelFormat.redMask = pixels.masks.red;
    header.pixelFormat.greenMask = pixels.masks.green;
    header.pixelFormat.blueMask = pixels.masks.blue;
    header.pixelFormat.alphaMask = pixels.masks.alpha;
    header.caps = DDSCAPS_TEXTURE | (chain ? DDSCAPS_COMPLEX | DDSCAPS_MIPMAP : 0);
    return header;
}

// The record's palette (blue, green, red, unused) as a palette DDS holds it:
// red, green, blue and alpha, opaque.
bool WritePalette(const T3D_TEXTURE& record, ByteSink& sink)
{
    uint8_t entries[kDdsPaletteEntries][4];
    for (size_t i = 0; i < kDdsPaletteEntries; ++i) {
        const uint8_t* bgr = record.palette[i];
        entries[i][0] = bgr[2];
        entries[i][1] = bgr[1];
        entries[i][2] = bgr[0];
        entries[i][3] = 0xFF;
    }
    return sink.write(entries, sizeof entries);
}

// An 8-bit level's indices as 32-bit pixels of their palette colours, alpha
// opaque.
bool WriteExpandedLevel(const T3D_TEXTURE& record, int level, ByteSink& sink)
{
    const uint8_t* indices = record.levels[level];
    const size_t count = size_t(LevelByteCount(record, level));
    uint8_t chunk[kExpandChunkPixels * 4];
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(kExpandChunkPixels, count - done);
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* bgr = record.palette[indices[done + i]];
            std::copy(bgr, bgr + 3, chunk + 4 * i);
            chunk[4 * i + 3] = 0xFF;
        }
        if (!sink.write(chunk, 4 * n))
            return false;
        done += n;
    }
    return true;
}

}  // namespace

bool EncodeDds(const T3D_TEXTURE& record, int levels, ByteSink& sink, DdsPaletteLayout palette)
{
    if (BytesPerPixel(record.depth) == 0)
        return false;
    const DdsPixels pixels = PixelsFor(record, palette);
    uint8_t header[kDdsMagicSize + kDdsHeaderSize];
    PutU32(header, kDdsMagic);
    WriteDdsHeader(HeaderFor(record, levels, pixels), header + kDdsMagicSize);
    if (!sink.write(header, sizeof header) || (pixels.indexed && !WritePalette(record, sink)))
        return false;
    const bool expand = record.depth == 8 && !pixels.indexed;
    for (int level = 0; level < levels; ++level) {
        if (!(expand ? WriteExpandedLevel(record, level, sink)
                     : sink.write(record.levels[level], size_t(LevelByteCount(record, level)))))
            return false;
    }
    return true;
}
