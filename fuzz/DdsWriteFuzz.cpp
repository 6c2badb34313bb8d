// The DDS encoder fed what the decoder made of one file, with every smaller
// level generated, and its bytes decoded again. The first input byte chooses
// how the record is written: bit 0 writes an 8-bit record as a palette DDS
// (else as 32-bit colours); bits 1-4, when not 0, the most levels written.
// The rest is the DDS file. The written file must decode to the same texture
// with the levels written (an 8-bit one written as colours: the same pixels).
#include "fuzz/FuzzSupport.h"
#include "texture/convert/MipGeneration.h"
#include "texture/dds/DdsDecoder.h"
#include "texture/dds/DdsEncoder.h"

#include <algorithm>
#include <vector>

namespace {

class MemorySink : public ByteSink {
public:
    bool write(const void* data, size_t size) override
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
        return true;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    TextureRecord original;
    if (DecodeDds(data + 1, size - 1, original).has_value() || !GenerateMipLevels(original))
        return 0;
    const bool indexed = (data[0] & 1) != 0;
    const int most = data[0] >> 1 & 15;
    T3D_TEXTURE written = original.record();
    if (most != 0)
        written.levelCount = uint16_t(std::min<int>(most, written.levelCount));

    MemorySink sink;
    Require(
        EncodeDds(written, written.levelCount, sink, indexed ? DdsPaletteLayout::indexed : DdsPaletteLayout::expanded),
        "a record the decoder made cannot be written");
    TextureRecord again;
    Require(!DecodeDds(sink.bytes().data(), sink.bytes().size(), again).has_value(), "the written file cannot be read");
    if (written.depth == 8 && !indexed) {
        Require(again.record().depth == 32 && again.record().levelCount == written.levelCount,
                "an 8-bit texture's colours came back in another shape");
        Require(SamePixels(written, again.record()), "an 8-bit texture's colours were not kept");
    } else {
        Require(SameTexture(written, again.record()), "the written file reads back different");
    }
    return 0;
}
