#include "texture/chain/ChainFormats.h"

#include "texture/chain/DdsTextureReader.h"
#include "texture/chain/PngTextureReader.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/dds/DdsFormat.h"
#include "texture/io/LittleEndian.h"
#include "texture/png/PngDecoder.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace {

bool IsDdsMagic(const uint8_t* head, size_t size)
{
    return size >= kDdsMagicSize && GetU32(head) == kDdsMagic;
}

// clang-format off
const ChainFormat kFormats[] = {
    {"PNG", ".png", true,  false, true,  IsPngSignature, MakePngFileReader},
    {"DDS", ".dds", false, true,  true,  IsDdsMagic,     MakeDdsFileReader},
    {"TGA", ".tga", false, false, false, nullptr,        MakeTgaFileReader},
};
// clang-format on

bool HasExtension(const std::string& name, const char* extension)
{
    const size_t n = std::strlen(extension);
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, extension) == 0;
}

}  // namespace

const ChainFormat& FormatOfHead(const uint8_t* head, size_t size)
{
    return *std::find_if(std::begin(kFormats), std::end(kFormats),
                         [&](const ChainFormat& format) { return !format.startsAs || format.startsAs(head, size); });
}

const ChainFormat& FormatOfFile(const InputFile& file)
{
    uint8_t head[kFormatHeadBytes];
    const size_t size = size_t(std::min<uint64_t>(file.size(), sizeof head));
    return FormatOfHead(head, file.readAt(0, head, size) == FileReadStatus::Ok ? size : 0);
}

const ChainFormat* FormatOfName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (const ChainFormat& format : kFormats) {
        if (HasExtension(name, format.extension))
            return &format;
    }
    return nullptr;
}

const ChainFormat& FormatOfPath(const std::string& path)
{
    InputFile file;
    return file.open(path) == FileReadStatus::Ok ? FormatOfFile(file) : FormatByName(path);
}

const ChainFormat& FormatByName(const std::string& path)
{
    const ChainFormat* named = FormatOfName(path);
    return named ? *named : TgaChainFormat();
}

const ChainFormat& TgaChainFormat()
{
    return kFormats[2];
}
