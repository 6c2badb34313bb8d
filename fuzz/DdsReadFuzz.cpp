// The DDS decoder on one file's bytes, and the chain reader on the same file
// (crate_A.dds in the scratch folder, read through the one reader entry):
// both refuse it or both make the same levels, every one the file held up to
// the size's count, and the reader then generates the rest.
#include "fuzz/FuzzSupport.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/MipGeneration.h"
#include "texture/dds/DdsDecoder.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureRecord decoded;
    const bool refused = DecodeDds(data, size, decoded).has_value();
    Require(!refused || decoded.record().levels[0] == nullptr, "a refused file left pixels");

    const std::string path = PutScratchFile("crate_A.dds", data, size);
    ChainFiles files;
    SilentReport report;
    const bool read = ReadChainFiles(path, files, report);
    if (refused) {
        // A file that does not start with the magic is another format's.
        Require(!read || size < 4 || std::memcmp(data, "DDS ", 4) != 0,
                "the chain reader took a file the decoder refused");
        return 0;
    }
    const T3D_TEXTURE& record = decoded.record();
    Require(record.width > 0 && record.height > 0, "a texture read has no size");
    Require(record.levelCount >= 1 &&
                record.levelCount <= std::max(1, GeneratedLevelCount(record.width, record.height)),
            "more levels than the size has");
    Require(read && SameTexture(record, files.texture.record()), "the chain reader made other levels");
    TouchLevels(record);
    if (GenerateMipLevels(decoded))
        Require(record.levelCount == std::max(1, GeneratedLevelCount(record.width, record.height)),
                "a level was not generated");
    return 0;
}
