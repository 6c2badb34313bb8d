// The texture reader on a PNG mip chain: an option byte, then up to three
// files split as for tga_chain (see ChainSplit.h), named wall_A.png,
// wall_A1.png and wall_A2.png; any of them may be a TGA file. Option bit 0:
// box filter for the generated levels; bits 1-2: no conversion, or to depth
// 8, 16 (5-6-5) or 24; bit 3: no dithering; bits 4-6: instead, conversion to
// a layout of FuzzLayoutFor, which must be taken exactly or, where pixels
// cannot be packed into its masks, refused.
#include "fuzz/ChainSplit.h"
#include "fuzz/FuzzSupport.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/PixelExpansion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t option = data[0];
    const ChainParts parts = SplitChainInput(data + 1, size - 1);
    const std::string path = PutChainFiles(parts, ".png");
    TextureReadOptions options;
    options.filter = (option & 1) != 0 ? MipFilter::box : MipFilter::point;
    constexpr unsigned kDepths[4] = {0, 8, 16, 24};
    if (const unsigned depth = kDepths[option >> 1 & 3])
        options.convertTo = DepthOptions{depth, depth == 16, (option & 8) == 0};
    const FuzzLayout* layout = FuzzLayoutFor(option >> 4 & 7);
    if (layout) {
        options.convertTo = DepthOptions{layout->depth};
        options.convertTo->masks = layout->masks;
    }

    TextureRecord holder;
    SilentReport report;
    if (!ReadTextureChain(path, holder, report, options))
        return 0;
    const T3D_TEXTURE& record = holder.record();
    Require(parts.data[0] != nullptr, "a chain with no first file was read");
    Require(record.width > 0 && record.height > 0, "a texture read has no size");
    Require(record.levelCount >= 1 && record.levelCount <= kMaxTextureLevels, "level count out of range");
    Require(record.levelCount >= GeneratedLevelCount(record.width, record.height), "a level was not generated");
    Require(!options.convertTo || record.depth == options.convertTo->depth, "not converted to the depth asked");
    if (layout) {
        Require(CheckMasks(layout->masks, layout->depth) == MaskFault::none, "masks that cannot hold pixels taken");
        Require(MasksOf(record) == layout->masks, "not converted to the masks asked");
    }
    Require((record.flags & kFlagAlphaLevel) != 0, "the name's flag letter was lost");
    TouchLevels(record);
    return 0;
}
