// The TGA writer fed what the decoder made of one file, with every smaller
// level generated. The first input byte chooses how the record is written:
// bit 0 relabels a 16-bit record as 5-6-5, which the writer converts; bits
// 1-3 relabel the record's masks with a layout of FuzzLayoutFor of its depth,
// which both image writers must keep. The rest is the TGA file. The written
// chain is read back and must give the same texture (a converted one only the
// same size and depth; a relabelled one the same pixels, from TGA and PNG).
#include "fuzz/FuzzSupport.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/chain/TgaTextureWriter.h"
#include "texture/convert/MipGeneration.h"
#include "texture/tga/TgaDecoder.h"

#include <string>
#include <unistd.h>

namespace {

// Removes whatever an earlier input left of the written chain, so that the
// read-back walks only files this input wrote.
void RemoveWrittenChain(std::string path)
{
    while (!path.empty()) {
        unlink(path.c_str());
        std::string next;
        NextMipLevelName(path, next);
        path = next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool as565 = (data[0] & 1) != 0;
    TextureRecord original;
    TgaWarnings warnings;
    if (DecodeTga(data + 1, size - 1, original, warnings) || !GenerateMipLevels(original))
        return 0;
    SilentReport report;
    T3D_TEXTURE& record = original.record();
    const bool converted = as565 && record.depth == 16;
    if (converted)
        record.greenMask = kMask565Green;

    const FuzzLayout* layout = FuzzLayoutFor(data[0] >> 1 & 7);
    if (!converted && layout && layout->depth == record.depth) {
        SetMasks(record, layout->masks);
        for (const bool png : {false, true}) {
            const std::string target = ScratchFolder() + (png ? "/out_A.png" : "/out_A.tga");
            RemoveWrittenChain(target);
            const bool written = png ? PngTextureWriter(target.c_str(), record, report)
                                     : TgaTextureWriter(target.c_str(), record, report);
            Require(written, "a relabelled record cannot be written");
            TextureRecord again;
            Require(ReadTextureChain(target, again, report), "a relabelled record's file cannot be read");
            Require(SamePixels(record, again.record()), "a layout's pixels were not kept");
        }
        return 0;
    }

    const std::string target = ScratchFolder() + "/out_A.tga";
    RemoveWrittenChain(target);
    Require(TgaTextureWriter(target.c_str(), record, report), "a record the reader made cannot be written");
    TextureRecord again;
    Require(TgaTextureReader(target.c_str(), again, report), "the written file cannot be read");
    if (converted) {
        Require(again.record().width == record.width && again.record().height == record.height &&
                    again.record().depth == 16,
                "a converted texture changed size or depth");
        TouchLevels(again.record());
    } else {
        Require(SameTexture(record, again.record()), "the written chain reads back different");
    }
    return 0;
}
