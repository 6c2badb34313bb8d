#include "texture/convert/PixelExpansion.h"

#include <array>
#include <cstring>

// Pixels are little-endian in the record and are handled here as native words.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a little-endian machine is assumed");

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

// One channel of a masked pixel, widened to 8 bits through a table.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = unsigned(__builtin_ctz(mask));
        unsigned bits = 32 - unsigned(__builtin_clz(mask)) - shift_;
        if (bits > 8) {  // keep the top eight bits
            shift_ += bits - 8;
            bits = 8;
        }
        low_ = (1u << bits) - 1;
        for (uint32_t v = 0; v <= low_; ++v)
            table_[v] = WidenChannel(v, bits);
    }

    bool present() const { return mask_ != 0; }
    uint32_t operator()(uint32_t pixel) const { return table_[((pixel & mask_) >> shift_) & low_]; }

private:
    uint32_t mask_;
    unsigned shift_ = 0;
    uint32_t low_ = 0;
    std::array<uint8_t, 256> table_{};
};

// Converts pixels through the record's masks.
class MaskedPixel {
public:
    explicit MaskedPixel(const T3D_TEXTURE& record)
        : red_(record.redMask), green_(record.greenMask), blue_(record.blueMask), alpha_(record.alphaMask)
    {
    }

    uint32_t operator()(uint32_t pixel) const
    {
        const uint32_t alpha = alpha_.present() ? alpha_(pixel) : 0xFF;
        return alpha << 24 | red_(pixel) << 16 | green_(pixel) << 8 | blue_(pixel);
    }

private:
    Channel red_, green_, blue_, alpha_;
};

unsigned MaskWidth(uint32_t mask)
{
    return unsigned(__builtin_popcount(mask));
}

// Each channel value narrowed to the mask's width, in the mask's place.
void FillPackTable(std::array<uint32_t, 256>& table, uint32_t mask)
{
    if (mask == 0)
        return;
    const unsigned shift = unsigned(__builtin_ctz(mask)), bits = MaskWidth(mask);
    for (unsigned c = 0; c < 256; ++c)
        table[c] = uint32_t(NarrowChannel(c, bits)) << shift;
}

bool HasByteMasks(const T3D_TEXTURE& record)
{
    return record.redMask == kMask8888Red && record.greenMask == kMask8888Green && record.blueMask == kMask8888Blue;
}

void Expand24(const T3D_TEXTURE& record, const uint8_t* in, uint32_t* out, size_t count)
{
    if (HasByteMasks(record)) {
        for (size_t i = 0; i < count; ++i, in += 3)
            out[i] = kOpaque | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
        return;
    }
    const MaskedPixel convert(record);
    for (size_t i = 0; i < count; ++i, in += 3)
        out[i] = convert(uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0]);
}

void Expand32(const T3D_TEXTURE& record, const uint8_t* in, uint32_t* out, size_t count)
{
    if (HasByteMasks(record) && (record.alphaMask == kMask8888Alpha || record.alphaMask == 0)) {
        std::memcpy(out, in, count * 4);  // already 0xAARRGGBB, little-endian
        if (record.alphaMask == 0) {
            for (size_t i = 0; i < count; ++i)
                out[i] |= kOpaque;
        }
        return;
    }
    const MaskedPixel convert(record);
    for (size_t i = 0; i < count; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, in + 4 * i, 4);
        out[i] = convert(pixel);
    }
}

}  // namespace

uint8_t WidenChannel(uint32_t value, unsigned bits)
{
    uint32_t repeated = 0;
    unsigned filled = 0;
    while (filled < 8) {
        repeated = repeated << bits | value;
        filled += bits;
    }
    return uint8_t(repeated >> (filled - 8));
}

MaskFault CheckMasks(const PixelMasks& masks, unsigned depth)
{
    const uint32_t all[] = {masks.red, masks.green, masks.blue, masks.alpha};
    const uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    uint32_t taken = 0;
    bool overlapping = false;
    for (uint32_t mask : all) {
        if (mask & ~depthBits)
            return MaskFault::pastDepth;
        // One run: adding its lowest bit carries through the run and clears it.
        if (mask != 0 && ((mask + (mask & (~mask + 1))) & mask) != 0)
            return MaskFault::notOneRun;
        if (MaskWidth(mask) > 8)
            return MaskFault::widerThan8;
        overlapping = overlapping || (taken & mask) != 0;
        taken |= mask;
    }
    if (overlapping)
        return MaskFault::overlapping;
    return masks.red == 0 || masks.green == 0 || masks.blue == 0 ? MaskFault::noColour : MaskFault::none;
}

PixelPacker::PixelPacker(const PixelMasks& masks)
{
    FillPackTable(red_, masks.red);
    FillPackTable(green_, masks.green);
    FillPackTable(blue_, masks.blue);
    FillPackTable(alpha_, masks.alpha);
}

uint16_t PackPixel16(uint32_t argb, bool green565)
{
    const unsigned r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, b = argb & 0xFF;
    if (green565)
        return uint16_t(NarrowChannel(r, 5) << 11 | NarrowChannel(g, 6) << 5 | NarrowChannel(b, 5));
    return uint16_t(NarrowChannel(r, 5) << 10 | NarrowChannel(g, 5) << 5 | NarrowChannel(b, 5));
}

std::vector<uint32_t> ExpandLevelToArgb(const T3D_TEXTURE& record, int level)
{
    if (level < 0 || level >= record.levelCount || level >= kMaxTextureLevels || !record.levels[level])
        return {};
    const size_t count = size_t(LevelWidth(record, level)) * LevelHeight(record, level);
    if (count == 0 || BytesPerPixel(record.depth) == 0)
        return {};

    std::vector<uint32_t> out(count);
    PixelExpander(record).expand(record.levels[level], out.data(), count);
    return out;
}

PixelExpander::PixelExpander(const T3D_TEXTURE& record) : record_(record)
{
    if (record.depth == 8) {
        table_.resize(kPaletteEntries);
        for (int i = 0; i < kPaletteEntries; ++i) {
            const uint8_t* entry = record.palette[i];
            table_[size_t(i)] = kOpaque | uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
        }
    } else if (record.depth == 16) {
        // Every 16-bit value looked up once in a table of all 65536.
        const MaskedPixel convert(record);
        table_.resize(size_t(1) << 16);
        for (uint32_t v = 0; v < table_.size(); ++v)
            table_[v] = convert(v);
    }
}

void PixelExpander::expand(const uint8_t* in, uint32_t* out, size_t count) const
{
    switch (record_.depth) {
    case 8:
        for (size_t i = 0; i < count; ++i)
            out[i] = table_[in[i]];
        break;
    case 16:
        for (size_t i = 0; i < count; ++i)
            out[i] = table_[in[2 * i] | in[2 * i + 1] << 8];
        break;
    case 24:
        Expand24(record_, in, out, count);
        break;
    case 32:
        Expand32(record_, in, out, count);
        break;
    default:
        break;
    }
}
