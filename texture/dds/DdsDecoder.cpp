#include "texture/dds/DdsDecoder.h"

#include "texture/TextureLimits.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/dds/Bc7Block.h"

#include <squish.h>

#include <algorithm>
#include <cstring>

namespace {

// A record's sides are 16 bits.
constexpr uint32_t kMaxSide = 65535;
constexpr unsigned kBlockSide = 4;

// What a pixel format becomes, before sizes and levels.
struct PixelKind {
    DdsPixels pixels = DdsPixels::raw;
    unsigned depth = 32;
    PixelMasks masks;      // the record's
    PixelMasks fileMasks;  // the stored pixels'
    bool grey = false;
    unsigned storedBits = 0;
};

PixelMasks Masks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    PixelMasks m;
    m.red = red;
    m.green = green;
    m.blue = blue;
    m.alpha = alpha;
    return m;
}

PixelMasks StandardMasks32()
{
    return Masks(kMask8888Red, kMask8888Green, kMask8888Blue, kMask8888Alpha);
}

PixelKind Blocks(DdsPixels pixels)
{
    PixelKind kind;
    kind.pixels = pixels;
    kind.masks = StandardMasks32();
    return kind;
}

// Pixels whose masks a record holds keep their bytes; 8-bit grey keeps its
// values as indices into a ramp; any other layout is expanded to 8-8-8-8.
PixelKind FromMasks(unsigned bits, const PixelMasks& masks, bool grey)
{
    PixelKind kind;
    kind.storedBits = bits;
    kind.grey = grey;
    kind.fileMasks = masks;
    if (grey && bits == 8 && masks.red == 0xFF && masks.alpha == 0) {
        kind.depth = 8;
        return kind;
    }
    if (!grey && bits >= 16 && CheckMasks(masks, bits) == MaskFault::none) {
        kind.depth = bits;
        kind.masks = masks;
        return kind;
    }
    kind.pixels = DdsPixels::masks;
    kind.masks = StandardMasks32();
    return kind;
}

std::optional<DdsRefusal> FromFourCC(uint32_t fourCC, PixelKind& kind)
{
    switch (fourCC) {
    case kFourCCDxt1:
        kind = Blocks(DdsPixels::bc1);
        return std::nullopt;
    case kFourCCDxt3:
        kind = Blocks(DdsPixels::bc2);
        return std::nullopt;
    case kFourCCDxt5:
        kind = Blocks(DdsPixels::bc3);
        return std::nullopt;
    case kFourCCAti1:
    case kFourCCBc4u:
        kind = Blocks(DdsPixels::bc4);
        return std::nullopt;
    case kFourCCAti2:
    case kFourCCBc5u:
        kind = Blocks(DdsPixels::bc5);
        return std::nullopt;
    case kFourCCDxt2:
    case kFourCCDxt4:
        return DdsRefusal{TextureCause::DdsPremultiplied};
    case kFourCCBc4s:
    case kFourCCBc5s:
        return DdsRefusal{TextureCause::DdsSigned};
    default:
        return DdsRefusal{TextureCause::DdsPixelFormat};
    }
}

// Whether a mask is empty or one run of bits, as every channel's is.
bool EmptyOrOneRun(uint32_t mask)
{
    const uint64_t run = mask ? uint64_t(mask >> __builtin_ctz(mask)) + 1 : 0;
    return (run & (run - 1)) == 0;
}

std::optional<DdsRefusal> FromLegacy(const DdsPixelFormat& pf, PixelKind& kind)
{
    if (pf.flags & DDPF_FOURCC)
        return FromFourCC(pf.fourCC, kind);
    if (pf.flags & DDPF_BUMPDUDV)
        return DdsRefusal{TextureCause::DdsSigned};
    const unsigned bits = pf.rgbBitCount;
    if (pf.flags & DDPF_PALETTEINDEXED8) {
        if (bits != 8)
            return DdsRefusal{TextureCause::DdsPixelFormat};
        kind.pixels = DdsPixels::palette;
        kind.depth = 8;
        kind.storedBits = 8;
        return std::nullopt;
    }
    if (!(pf.flags & (DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA)) || (pf.flags & (DDPF_YUV | DDPF_PALETTEINDEXED4)) ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return DdsRefusal{TextureCause::DdsPixelFormat};
    const bool grey = !(pf.flags & DDPF_RGB) && (pf.flags & DDPF_LUMINANCE);
    const bool alpha = pf.flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA);
    PixelMasks masks;
    if (pf.flags & (DDPF_RGB | DDPF_LUMINANCE))
        masks = Masks(pf.redMask, grey ? 0 : pf.greenMask, grey ? 0 : pf.blueMask, 0);
    if (alpha)
        masks.alpha = pf.alphaMask;
    const uint64_t within = (uint64_t(1) << bits) - 1;
    const uint32_t all = masks.red | masks.green | masks.blue | masks.alpha;
    const bool runs = EmptyOrOneRun(masks.red) && EmptyOrOneRun(masks.green) && EmptyOrOneRun(masks.blue) &&
                      EmptyOrOneRun(masks.alpha);
    if (!runs || all == 0 || (all & ~within) || (alpha && masks.alpha == 0) ||
        ((pf.flags & (DDPF_RGB | DDPF_LUMINANCE)) && (masks.red | masks.green | masks.blue) == 0))
        return DdsRefusal{TextureCause::DdsPixelFormat};
    kind = FromMasks(bits, masks, grey);
    return std::nullopt;
}

std::optional<DdsRefusal> FromDxgi(uint32_t format, PixelKind& kind)
{
    switch (format) {
    case DXGI_FORMAT_R8G8B8A8_TYPELESS:
    case DXGI_FORMAT_R8G8B8A8_UNORM:
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
        kind = FromMasks(32, Masks(0xFF, 0xFF00, 0xFF0000, 0xFF000000), false);
        return std::nullopt;
    case DXGI_FORMAT_B8G8R8A8_TYPELESS:
    case DXGI_FORMAT_B8G8R8A8_UNORM:
    case DXGI_FORMAT_B8G8R8A8_UNORM_SRGB:
        kind = FromMasks(32, StandardMasks32(), false);
        return std::nullopt;
    case DXGI_FORMAT_B8G8R8X8_TYPELESS:
    case DXGI_FORMAT_B8G8R8X8_UNORM:
    case DXGI_FORMAT_B8G8R8X8_UNORM_SRGB:
        kind = FromMasks(32, Masks(kMask8888Red, kMask8888Green, kMask8888Blue, 0), false);
        return std::nullopt;
    case DXGI_FORMAT_B5G6R5_UNORM:
        kind = FromMasks(16, Masks(kMask565Red, kMask565Green, kMask555Blue, 0), false);
        return std::nullopt;
    case DXGI_FORMAT_B5G5R5A1_UNORM:
        kind = FromMasks(16, Masks(kMask555Red, kMask555Green, kMask555Blue, 0x8000), false);
        return std::nullopt;
    case DXGI_FORMAT_B4G4R4A4_UNORM:
        kind = FromMasks(16, Masks(0xF00, 0xF0, 0xF, 0xF000), false);
        return std::nullopt;
    case DXGI_FORMAT_R8_UNORM:  // one channel, shown as grey
        kind = FromMasks(8, Masks(0xFF, 0, 0, 0), true);
        return std::nullopt;
    case DXGI_FORMAT_A8_UNORM:
        kind = FromMasks(8, Masks(0, 0, 0, 0xFF), false);
        return std::nullopt;
    case DXGI_FORMAT_BC1_TYPELESS:
    case DXGI_FORMAT_BC1_UNORM:
    case DXGI_FORMAT_BC1_UNORM_SRGB:
        kind = Blocks(DdsPixels::bc1);
        return std::nullopt;
    case DXGI_FORMAT_BC2_TYPELESS:
    case DXGI_FORMAT_BC2_UNORM:
    case DXGI_FORMAT_BC2_UNORM_SRGB:
        kind = Blocks(DdsPixels::bc2);
        return std::nullopt;
    case DXGI_FORMAT_BC3_TYPELESS:
    case DXGI_FORMAT_BC3_UNORM:
    case DXGI_FORMAT_BC3_UNORM_SRGB:
        kind = Blocks(DdsPixels::bc3);
        return std::nullopt;
    case DXGI_FORMAT_BC4_TYPELESS:
    case DXGI_FORMAT_BC4_UNORM:
        kind = Blocks(DdsPixels::bc4);
        return std::nullopt;
    case DXGI_FORMAT_BC5_TYPELESS:
    case DXGI_FORMAT_BC5_UNORM:
        kind = Blocks(DdsPixels::bc5);
        return std::nullopt;
    case DXGI_FORMAT_BC7_TYPELESS:
    case DXGI_FORMAT_BC7_UNORM:
    case DXGI_FORMAT_BC7_UNORM_SRGB:
        kind = Blocks(DdsPixels::bc7);
        return std::nullopt;
    case DXGI_FORMAT_R8G8B8A8_SNORM:
    case DXGI_FORMAT_R8G8_SNORM:
    case DXGI_FORMAT_R8_SNORM:
    case DXGI_FORMAT_BC4_SNORM:
    case DXGI_FORMAT_BC5_SNORM:
        return DdsRefusal{TextureCause::DdsSigned};
    case DXGI_FORMAT_BC6H_TYPELESS:
    case DXGI_FORMAT_BC6H_UF16:
    case DXGI_FORMAT_BC6H_SF16:
        return DdsRefusal{TextureCause::DdsHighDynamicRange};
    default:
        return DdsRefusal{TextureCause::DdsPixelFormat};
    }
}

// A cube map, a volume or an array is more than the one picture a texture is.
std::optional<DdsRefusal> CheckOnePicture(const DdsHeader& header)
{
    if (header.caps2 & DDSCAPS2_CUBEMAP)
        return DdsRefusal{TextureCause::DdsCubeMap};
    if ((header.caps2 & DDSCAPS2_VOLUME) || ((header.flags & DDSD_DEPTH) && header.depth > 1))
        return DdsRefusal{TextureCause::DdsVolume};
    return std::nullopt;
}

std::optional<DdsRefusal> CheckDx10(const DdsHeaderDx10& dx10)
{
    if (dx10.resourceDimension == DDS_DIMENSION_TEXTURE3D)
        return DdsRefusal{TextureCause::DdsVolume};
    if (dx10.resourceDimension != DDS_DIMENSION_TEXTURE2D && dx10.resourceDimension != DDS_DIMENSION_TEXTURE1D)
        return DdsRefusal{TextureCause::Damaged, "its resource dimension is not a texture's"};
    if (dx10.miscFlag & DDS_RESOURCE_MISC_TEXTURECUBE)
        return DdsRefusal{TextureCause::DdsCubeMap};
    if (dx10.arraySize == 0)
        return DdsRefusal{TextureCause::Damaged, "its array size is 0"};
    if (dx10.arraySize > 1)
        return DdsRefusal{TextureCause::DdsArray};
    if ((dx10.miscFlags2 & DDS_ALPHA_MODE_MASK) == DDS_ALPHA_MODE_PREMULTIPLIED)
        return DdsRefusal{TextureCause::DdsPremultiplied};
    return std::nullopt;
}

unsigned BlockBytes(DdsPixels pixels)
{
    return pixels == DdsPixels::bc1 || pixels == DdsPixels::bc4 ? 8 : 16;
}

uint64_t StoredBytes(const DdsLayout& layout, unsigned width, unsigned height)
{
    if (layout.blocks())
        return uint64_t((width + kBlockSide - 1) / kBlockSide) * ((height + kBlockSide - 1) / kBlockSide) *
               BlockBytes(layout.pixels);
    return (uint64_t(width) * layout.storedBits + 7) / 8 * height;
}

int MaxLevelsOfSize(uint32_t width, uint32_t height)
{
    int levels = 1;
    for (uint32_t side = std::max(width, height); side > 1; side >>= 1)
        ++levels;
    return levels;
}

// Where each level starts, from the first byte after the headers.
std::optional<DdsRefusal> PlaceLevels(const DdsHeader& header, uint64_t start, int maxLevels, DdsLayout& layout)
{
    const uint32_t count = std::max<uint32_t>(header.mipMapCount, 1);
    if (count > uint32_t(MaxLevelsOfSize(header.width, header.height)))
        return DdsRefusal{TextureCause::Damaged, "it claims more mip levels than its size has"};
    layout.fileLevels = int(count);
    layout.levels = std::min(
        {layout.fileLevels, std::max(GeneratedLevelCount(layout.width, layout.height), 1), std::max(maxLevels, 1)});
    uint64_t at = start;
    for (int level = 0; level < layout.fileLevels; ++level) {
        if (level < kMaxTextureLevels)
            layout.levelOffset[level] = at;
        at += StoredBytes(layout, std::max(header.width >> level, 1u), std::max(header.height >> level, 1u));
    }
    layout.dataEnd = at;
    return std::nullopt;
}

std::optional<DdsRefusal> CheckHeader(const DdsHeader& header)
{
    if (header.size != kDdsHeaderSize)
        return DdsRefusal{TextureCause::Damaged, "its header size is not 124"};
    if (header.pixelFormat.size != kDdsPixelFormatSize)
        return DdsRefusal{TextureCause::Damaged, "its pixel format size is not 32"};
    return CheckOnePicture(header);
}

// One channel of a stored pixel, widened to 8 bits: by repeating its bits
// when it has at most 8, else its top 8.
class MaskedChannel {
public:
    MaskedChannel(uint32_t mask, uint8_t none) : mask_(mask), none_(none)
    {
        for (; mask && !(mask >> shift_ & 1); ++shift_) {
        }
        for (uint32_t m = mask >> shift_; m & 1; m >>= 1)
            ++bits_;
    }

    uint8_t operator()(uint32_t pixel) const
    {
        if (!mask_)
            return none_;
        const uint32_t v = (pixel & mask_) >> shift_;
        return bits_ <= 8 ? WidenChannel(v, bits_) : uint8_t(v >> (bits_ - 8));
    }

private:
    uint32_t mask_;
    uint8_t none_;
    unsigned shift_ = 0, bits_ = 0;
};

void ExpandMasked(const DdsLayout& layout, const uint8_t* stored, size_t count, uint8_t* out)
{
    const PixelMasks& m = layout.fileMasks;
    const MaskedChannel red(m.red, 0), green(m.green, 0), blue(m.blue, 0), alpha(m.alpha, 255);
    const unsigned bytes = layout.storedBits / 8;
    for (size_t i = 0; i < count; ++i, stored += bytes, out += 4) {
        uint32_t pixel = 0;
        for (unsigned b = 0; b < bytes; ++b)
            pixel |= uint32_t(stored[b]) << (8 * b);
        const uint8_t r = red(pixel);
        out[0] = layout.grey ? r : blue(pixel);
        out[1] = layout.grey ? r : green(pixel);
        out[2] = r;
        out[3] = alpha(pixel);
    }
}

// One 4 x 4 block to 8-bit RGBA. libsquish 1.15 decodes BC4 and BC5 as BC1
// whatever their flag: their blocks are BC3's alpha block, decoded as such.
void DecodeBlock(DdsPixels pixels, const uint8_t* block, uint8_t rgba[64])
{
    switch (pixels) {
    case DdsPixels::bc1:
        squish::Decompress(rgba, block, squish::kDxt1);
        return;
    case DdsPixels::bc2:
        squish::Decompress(rgba, block, squish::kDxt3);
        return;
    case DdsPixels::bc3:
        squish::Decompress(rgba, block, squish::kDxt5);
        return;
    case DdsPixels::bc7:
        DecodeBc7Block(block, rgba);
        return;
    default:
        break;
    }
    uint8_t asBc3[16] = {};
    uint8_t channel[64];
    const int channels = pixels == DdsPixels::bc5 ? 2 : 1;
    for (int c = 0; c < channels; ++c) {
        std::memcpy(asBc3, block + 8 * c, 8);
        squish::Decompress(channel, asBc3, squish::kDxt5);
        for (int i = 0; i < 16; ++i)
            rgba[4 * i + c] = channel[4 * i + 3];
    }
    for (int i = 0; i < 16; ++i) {
        if (pixels == DdsPixels::bc4)
            rgba[4 * i + 1] = rgba[4 * i + 2] = rgba[4 * i];
        else
            rgba[4 * i + 2] = 0;
        rgba[4 * i + 3] = 255;
    }
}

// Block-compressed data into 8-8-8-8 pixels (blue first in memory), the
// blocks past the level's edges cut.
void DecodeBlocks(const DdsLayout& layout, unsigned width, unsigned height, const uint8_t* stored, uint8_t* out)
{
    const unsigned blockBytes = BlockBytes(layout.pixels);
    uint8_t rgba[64];
    for (unsigned by = 0; by < height; by += kBlockSide) {
        for (unsigned bx = 0; bx < width; bx += kBlockSide, stored += blockBytes) {
            DecodeBlock(layout.pixels, stored, rgba);
            const unsigned rows = std::min(kBlockSide, height - by), columns = std::min(kBlockSide, width - bx);
            for (unsigned y = 0; y < rows; ++y) {
                uint8_t* to = out + (size_t(by + y) * width + bx) * 4;
                for (unsigned x = 0; x < columns; ++x, to += 4) {
                    const uint8_t* from = rgba + (y * kBlockSide + x) * 4;
                    to[0] = from[2];
                    to[1] = from[1];
                    to[2] = from[0];
                    to[3] = from[3];
                }
            }
        }
    }
}

}  // namespace

uint64_t DdsLayout::storedBytes(int level) const
{
    return StoredBytes(*this, levelWidth(level), levelHeight(level));
}

uint64_t DdsLayout::levelBytes(int level) const
{
    return uint64_t(levelWidth(level)) * levelHeight(level) * (depth / 8);
}

std::optional<DdsRefusal> DecodeDdsHeader(const uint8_t* bytes, size_t size, int maxLevels, DdsLayout& layout)
{
    ByteCursor in(bytes, size);
    uint32_t magic = 0;
    DdsHeader header;
    if (!in.readU32(magic) || magic != kDdsMagic)
        return DdsRefusal{TextureCause::Damaged, "it does not start with DDS"};
    if (!ReadDdsHeader(in, header))
        return DdsRefusal{TextureCause::Truncated};
    if (std::optional<DdsRefusal> refusal = CheckHeader(header))
        return refusal;
    PixelKind kind;
    const DdsPixelFormat& pf = header.pixelFormat;
    if ((pf.flags & DDPF_FOURCC) && pf.fourCC == kFourCCDx10) {
        DdsHeaderDx10 dx10;
        if (!ReadDdsHeaderDx10(in, dx10))
            return DdsRefusal{TextureCause::Truncated};
        if (std::optional<DdsRefusal> refusal = CheckDx10(dx10))
            return refusal;
        if (std::optional<DdsRefusal> refusal = FromDxgi(dx10.dxgiFormat, kind))
            return refusal;
    } else if (std::optional<DdsRefusal> refusal = FromLegacy(pf, kind)) {
        return refusal;
    }
    if (header.width == 0 || header.height == 0 || header.width > kMaxSide || header.height > kMaxSide ||
        uint64_t(header.width) * header.height * (kind.depth / 8) > kMaxLevelBytes)
        return DdsRefusal{TextureCause::UnsupportedSize};

    DdsLayout l;
    l.width = header.width;
    l.height = header.height;
    l.pixels = kind.pixels;
    l.depth = kind.depth;
    l.masks = kind.depth == 8 ? PixelMasks() : kind.masks;
    l.fileMasks = kind.fileMasks;
    l.grey = kind.grey;
    l.storedBits = kind.storedBits;
    l.paletteOffset = in.offset();
    const uint64_t start = in.offset() + (kind.pixels == DdsPixels::palette ? kDdsPaletteSize : 0);
    if (std::optional<DdsRefusal> refusal = PlaceLevels(header, start, maxLevels, l))
        return refusal;
    layout = l;
    return std::nullopt;
}

std::optional<DdsRefusal> CheckDdsFileSize(const DdsLayout& layout, uint64_t fileSize)
{
    if (fileSize < layout.dataEnd)
        return DdsRefusal{TextureCause::Truncated};
    return std::nullopt;
}

void SetDdsRecordFormat(T3D_TEXTURE& record, const DdsLayout& layout, const uint8_t* palette)
{
    record.width = uint16_t(layout.width);
    record.height = uint16_t(layout.height);
    record.depth = uint16_t(layout.depth);
    SetMasks(record, layout.masks);
    if (layout.depth != 8)
        return;
    for (int i = 0; i < kPaletteEntries; ++i) {
        const uint8_t grey = uint8_t(i);
        const uint8_t* entry = palette ? palette + 4 * i : nullptr;
        SetPaletteColour(record, i, entry ? Rgb{entry[0], entry[1], entry[2]} : Rgb{grey, grey, grey});
    }
}

void DecodeDdsLevel(const DdsLayout& layout, int level, const uint8_t* stored, uint8_t* out)
{
    const unsigned width = layout.levelWidth(level), height = layout.levelHeight(level);
    if (layout.blocks())
        DecodeBlocks(layout, width, height, stored, out);
    else if (layout.pixels == DdsPixels::masks)
        ExpandMasked(layout, stored, size_t(width) * height, out);
    else if (stored != out)
        std::memcpy(out, stored, size_t(layout.levelBytes(level)));
}

std::optional<DdsRefusal> DecodeDds(const uint8_t* data, size_t size, TextureRecord& holder, int maxLevels)
{
    holder.clear();
    DdsLayout layout;
    std::optional<DdsRefusal> refusal = DecodeDdsHeader(data, size, maxLevels, layout);
    if (!refusal)
        refusal = CheckDdsFileSize(layout, size);
    if (refusal)
        return refusal;
    T3D_TEXTURE& record = holder.record();
    SetDdsRecordFormat(record, layout, layout.pixels == DdsPixels::palette ? data + layout.paletteOffset : nullptr);
    for (int level = 0; level < layout.levels; ++level) {
        uint8_t* pixels = holder.allocateLevel(level, layout.levelBytes(level));
        if (!pixels) {
            holder.clear();
            return DdsRefusal{TextureCause::OutOfMemory};
        }
        DecodeDdsLevel(layout, level, data + layout.levelOffset[level], pixels);
    }
    record.levelCount = uint16_t(layout.levels);
    record.flags = layout.levels > 1 ? uint32_t(kFlagMipmapLevels) : 0u;
    return std::nullopt;
}
