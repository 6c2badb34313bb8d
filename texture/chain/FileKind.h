// What a file that is not read as a texture is, by its first bytes: TGA has
// no signature, so anything that is not a PNG goes to the TGA reader, and a
// file it refuses may well be another kind of image, a scene or a text. The
// images and scenes named here start with bytes no TGA file the reader takes
// starts with (their second byte would be a reserved colour map type), and a
// chain reader asks only about a file it refused: a file that reads as TGA is
// never called anything else.
#pragma once

#include "texture/TextureReport.h"

#include <cstddef>
#include <cstdint>

enum class FileKind {
    unknown,  // none of those below: the reader's own refusal stands
    empty,
    jpeg,
    gif,
    bmp,
    webp,
    tiff,
    dds,
    ktx,
    psd,
    qoi,
    scene,  // a scene file, either format
    text,   // no NUL byte and valid UTF-8 in its first kFileKindBytes
};

// How many of a file's first bytes tell its kind.
constexpr size_t kFileKindBytes = 512;

// The kind of a file of `fileSize` bytes that starts with head[0, size),
// size being the smaller of fileSize and kFileKindBytes.
FileKind KindOfFile(const uint8_t* head, size_t size, uint64_t fileSize);

// The cause whose message names the kind, with advice where there is one
// ("%s is a JPEG image, not a PNG, TGA or DDS file: save it as PNG"), and the
// words that name an image's kind ("a JPEG image"; empty for the others).
// False for an unknown kind.
bool CauseOfKind(FileKind kind, TextureCause& cause, const char*& words);
