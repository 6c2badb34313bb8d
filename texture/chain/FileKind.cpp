#include "texture/chain/FileKind.h"

#include <cstring>

namespace {

struct Signature {
    FileKind kind;
    const char* bytes;
    size_t size;
};

// clang-format off
const Signature kSignatures[] = {
    {FileKind::jpeg,  "\xFF\xD8\xFF", 3},
    {FileKind::gif,   "GIF87a", 6},
    {FileKind::gif,   "GIF89a", 6},
    {FileKind::tiff,  "II*\0", 4},
    {FileKind::tiff,  "MM\0*", 4},
    {FileKind::dds,   "DDS ", 4},
    {FileKind::ktx,   "\xABKTX ", 5},  // KTX 1 and 2
    {FileKind::psd,   "8BPS", 4},
    {FileKind::qoi,   "qoif", 4},
    // The two scene formats' magic numbers (scene/SceneFormat.h, which this
    // layer does not include).
    {FileKind::scene, "VK7N", 4},
    {FileKind::scene, "VK7O", 4},
};
// clang-format on

bool StartsWith(const uint8_t* head, size_t size, const char* bytes, size_t n, size_t at = 0)
{
    return size >= at + n && std::memcmp(head + at, bytes, n) == 0;
}

uint32_t LittleEndian32(const uint8_t* at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

// "BM" alone is too short a mark: the header that follows the file header
// must have one of the sizes BMP files use.
bool IsBmp(const uint8_t* head, size_t size)
{
    if (!StartsWith(head, size, "BM", 2) || size < 18)
        return false;
    switch (LittleEndian32(head + 14)) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

// No NUL byte, and valid UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF). A sequence cut by the end of `head` counts as valid when the
// file goes on past it.
bool IsText(const uint8_t* head, size_t size, uint64_t fileSize)
{
    for (size_t i = 0; i < size;) {
        const uint8_t lead = head[i];
        if (lead == 0)
            return false;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if (i + k == size)
                return fileSize > size;
            const uint8_t next = head[i + k];
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

FileKind KindOfFile(const uint8_t* head, size_t size, uint64_t fileSize)
{
    if (fileSize == 0)
        return FileKind::empty;
    for (const Signature& signature : kSignatures) {
        if (StartsWith(head, size, signature.bytes, signature.size))
            return signature.kind;
    }
    if (StartsWith(head, size, "RIFF", 4) && StartsWith(head, size, "WEBP", 4, 8))
        return FileKind::webp;
    if (IsBmp(head, size))
        return FileKind::bmp;
    return IsText(head, size, fileSize) ? FileKind::text : FileKind::unknown;
}

bool CauseOfKind(FileKind kind, TextureCause& cause, const char*& words)
{
    cause = TextureCause::OtherImage;
    words = "";
    switch (kind) {
    case FileKind::unknown:
        return false;
    case FileKind::empty:
        cause = TextureCause::EmptyFile;
        return true;
    case FileKind::scene:
        cause = TextureCause::SceneFile;
        return true;
    case FileKind::text:
        cause = TextureCause::TextFile;
        return true;
    case FileKind::jpeg:
        words = "a JPEG image";
        return true;
    case FileKind::gif:
        words = "a GIF image";
        return true;
    case FileKind::bmp:
        words = "a BMP image";
        return true;
    case FileKind::webp:
        words = "a WebP image";
        return true;
    case FileKind::tiff:
        words = "a TIFF image";
        return true;
    case FileKind::dds:
        words = "a DDS texture";
        return true;
    case FileKind::ktx:
        words = "a KTX texture";
        return true;
    case FileKind::psd:
        words = "a Photoshop (PSD) image";
        return true;
    case FileKind::qoi:
        words = "a QOI image";
        return true;
    }
    return false;
}
