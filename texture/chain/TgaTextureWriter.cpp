#include "texture/chain/TgaTextureWriter.h"

#include "texture/chain/MipChainNaming.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/tga/TgaFormat.h"

#include <algorithm>
#include <cstring>
#include <emmintrin.h>
#include <memory>
#include <string>
#include <vector>

// Pixels are little-endian in the record and are handled here as native words.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a little-endian machine is assumed");

namespace {

constexpr ImageFileKind kTgaFiles{"TGA", ".tga"};
constexpr unsigned kColourMapEntryBytes = 3;
constexpr uint8_t kAlphaBits32 = 8;
constexpr uint16_t kAttributeBit = 0x8000;
// Converted rows go to the file in batches of about this many bytes.
constexpr size_t kBatchBytes = size_t(64) << 10;

// How the record's pixels become the file's.
enum class PixelLayout {
    AsStored,      // the record's bytes are the file's
    From565,       // 5-6-5 to 5-5-5 with the attribute bit
    ThroughMasks,  // expanded through the masks to 32-bit BGRA
};

bool HasMasks(const T3D_TEXTURE& r, uint32_t red, uint32_t green, uint32_t blue)
{
    return r.redMask == red && r.greenMask == green && r.blueMask == blue;
}

PixelLayout LayoutOf(const T3D_TEXTURE& r)
{
    if (HasMasks(r, 0, 0, 0) && r.alphaMask == 0)
        return PixelLayout::AsStored;  // no masks say otherwise: the depth's own layout
    switch (r.depth) {
    case 8:
        return PixelLayout::AsStored;
    case 16:
        // A 1-5-5-5 texture's alpha bit goes out as 32-bit alpha: the attribute
        // bit of a 16-bit file is not read back as alpha.
        if (HasMasks(r, kMask555Red, kMask555Green, kMask555Blue) && r.alphaMask == 0)
            return PixelLayout::AsStored;
        if (r.greenMask == kMask565Green)  // 5-6-5 is known by its green
            return PixelLayout::From565;
        return PixelLayout::ThroughMasks;
    case 24:
        return HasMasks(r, kMask8888Red, kMask8888Green, kMask8888Blue) && r.alphaMask == 0 ? PixelLayout::AsStored
                                                                                            : PixelLayout::ThroughMasks;
    default:
        return HasMasks(r, kMask8888Red, kMask8888Green, kMask8888Blue) && r.alphaMask == kMask8888Alpha
                   ? PixelLayout::AsStored
                   : PixelLayout::ThroughMasks;
    }
}

TgaHeader LevelHeader(const T3D_TEXTURE& record, PixelLayout layout, int level)
{
    TgaHeader header;
    header.width = uint16_t(LevelWidth(record, level));
    header.height = uint16_t(LevelHeight(record, level));
    header.pixelDepth = layout == PixelLayout::ThroughMasks ? 32 : uint8_t(record.depth);
    if (record.depth == 8) {
        header.colourMapType = kTgaColourMapPresent;
        header.imageType = kTgaColourMapped;
        header.colourMapLength = kPaletteEntries;
        header.colourMapEntryBits = 8 * kColourMapEntryBytes;
        return header;
    }
    header.imageType = kTgaTrueColour;
    // No colour map, yet the entry-size byte says 16: every 16-bit file this
    // tool has written carries it, and files written now stay byte for byte
    // the same as those (readers ignore the byte when there is no map).
    if (header.pixelDepth == 16)
        header.colourMapEntryBits = 16;
    if (header.pixelDepth == 32)
        header.descriptor = kAlphaBits32;
    return header;
}

// 5-6-5 to 5-5-5 with the attribute bit set: red and green's top five bits
// one bit down, blue as it is. Eight pixels at a time (SSE2), the rest one
// by one.
void ConvertRow565(const uint8_t* __restrict in, uint8_t* __restrict out, unsigned width)
{
    const __m128i redGreen = _mm_set1_epi16(0x7FE0), blue = _mm_set1_epi16(0x1F);
    const __m128i attribute = _mm_set1_epi16(int16_t(kAttributeBit));
    size_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x));
        const __m128i q = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(p, 1), redGreen), _mm_and_si128(p, blue));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * x), _mm_or_si128(q, attribute));
    }
    for (; x < width; ++x) {
        uint16_t p;
        std::memcpy(&p, in + 2 * x, 2);
        p = uint16_t(kAttributeBit | Pixel565To555(p));
        std::memcpy(out + 2 * x, &p, 2);
    }
}

// Lays out each level's file: header, colour map, rows bottom row first,
// converted a batch of rows at a time where the layout asks.
class TgaLevelEncoder {
public:
    explicit TgaLevelEncoder(const T3D_TEXTURE& record) : record_(record), layout_(LayoutOf(record))
    {
        if (layout_ == PixelLayout::ThroughMasks)
            expander_ = std::make_unique<PixelExpander>(record);
    }

    bool operator()(int level, ByteSink& out)
    {
        const TgaHeader header = LevelHeader(record_, layout_, level);
        uint8_t head[kTgaHeaderSize];
        WriteTgaHeader(header, head);
        if (!out.write(head, sizeof head) || (record_.depth == 8 && !writeColourMap(out)))
            return false;

        return layout_ == PixelLayout::AsStored ? writeStoredRows(level, header, out)
                                                : writeConvertedRows(level, header, out);
    }

private:
    bool writeColourMap(ByteSink& out) const
    {
        uint8_t map[kPaletteEntries * kColourMapEntryBytes];
        for (int i = 0; i < kPaletteEntries; ++i)
            std::memcpy(map + i * kColourMapEntryBytes, record_.palette[i], kColourMapEntryBytes);
        return out.write(map, sizeof map);
    }

    const uint8_t* recordRow(int level, const TgaHeader& header, unsigned y) const
    {
        return record_.levels[level] + size_t(header.width) * BytesPerPixel(record_.depth) * y;
    }

    bool writeStoredRows(int level, const TgaHeader& header, ByteSink& out) const
    {
        const size_t rowBytes = size_t(header.width) * BytesPerPixel(record_.depth);
        for (unsigned y = header.height; y-- > 0;) {
            if (!out.write(recordRow(level, header, y), rowBytes))
                return false;
        }
        return true;
    }

    // Rows converted a batch at a time: a batch is larger than the file's
    // gathering buffer, so it goes straight to write() with no second copy.
    bool writeConvertedRows(int level, const TgaHeader& header, ByteSink& out)
    {
        const size_t rowBytes = size_t(header.width) * header.pixelDepth / 8;
        const unsigned batchRows = unsigned(std::clamp<size_t>(kBatchBytes / rowBytes, 1, header.height));
        batch_.resize(batchRows * rowBytes);
        for (unsigned y = header.height; y > 0;) {
            const unsigned rows = std::min(batchRows, y);
            for (unsigned i = 0; i < rows; ++i)
                convert(recordRow(level, header, --y), batch_.data() + i * rowBytes, header.width);
            if (!out.write(batch_.data(), rows * rowBytes))
                return false;
        }
        return true;
    }

    // A row as the file holds it.
    void convert(const uint8_t* row, uint8_t* out, unsigned width) const
    {
        if (layout_ == PixelLayout::From565)
            ConvertRow565(row, out, width);
        else
            expander_->expand(row, reinterpret_cast<uint32_t*>(out), width);  // B, G, R, A
    }

    const T3D_TEXTURE& record_;
    PixelLayout layout_;
    std::vector<uint8_t> batch_;
    std::unique_ptr<PixelExpander> expander_;
};

}  // namespace

bool TgaTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                      const ImageWriteOptions& options)
{
    TgaLevelEncoder encoder(record);
    return WriteTextureChain(path, record, kTgaFiles, options, report, std::ref(encoder));
}
