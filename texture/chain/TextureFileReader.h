// Reading a texture from the files of its mip chain, whatever their format.
//
// The first file decides the chain's format by its contents: a PNG by its
// 8-byte signature, a DDS by its magic, whatever its name; anything else is
// read as TGA. A DDS file is the whole chain, every level in it. Later
// levels follow the mip-chain naming rule (crate_A.png, crate_A1.png, ...),
// each file read by its own signature too; one of the other kind is converted
// into the first file's format, with a warning. The levels no file holds are
// generated with the chosen filter. A PNG chain reads as a 32-bit texture; a
// TGA chain keeps its files' depth. Asked for a depth, the chain is completed
// in 8-bit RGBA and converted to it once.
//
// A read is two steps that a caller may also take apart: reading the files
// (ReadChainFiles), then making the texture of them (CompleteChain), as often
// as it likes and with other options each time, without reading again.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/convert/DepthConversion.h"
#include "texture/convert/MipGeneration.h"
#include "texture/io/FileStamp.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct PngChainPalette;

// Whether a file's name marks it as a texture file: .tga, .png or .dds, any
// case, a file named just ".tga" included.
// The folder tree, the editor's selection and drops, and quorrel-cli all ask
// this one question.
bool IsTextureFileName(const std::string& path);

// Whether the chain whose first file is at `path` goes into a scene texture
// in that texture's format whatever the choices: a PNG or a DDS chain (by the
// file's first bytes, or, when it cannot be opened, by its name), not a TGA
// one. The replacement rule asks this.
bool TakesTextureFormat(const std::string& path);

// The kind of the chain whose first file is at `path`, as messages name it
// ("PNG", "DDS", "TGA"), told as TakesTextureFormat tells it.
const char* ChainKindOf(const std::string& path);

// Whether the chain that starts at `first` is that one file, holding every
// level itself: a .dds file (any case), told by its name so that asking opens
// nothing. No level file beside it is read, looked for or watched, and
// TextureReadOptions::fileLevels counts its levels instead of files. (A DDS
// file under another name is still read whole, its levels all from it.)
bool IsOneFileChain(const std::string& first);

struct TextureReadOptions {
    // How the levels that no file holds are made.
    MipFilter filter = MipFilter::point;
    // The depth (and pixel layout) to convert to; none keeps the files' own.
    std::optional<DepthOptions> convertTo;
    // How many levels come from files at most (level 0 always): the levels
    // from this one on are made from the one above even where a file holds
    // them (texture/StaleLevels.h finds files not to be used). A one-file
    // chain's file gives at most this many of its levels.
    int fileLevels = kMaxTextureLevels;
    // Set to true by another thread, it stops the read at its next step
    // (after the files, after the levels made, in a conversion), failing
    // without a word; none: never.
    const std::atomic<bool>* cancel = nullptr;
};

// The depth, masks and dithering that make a texture like `model` (a scene
// texture that a replacement takes the place of).
DepthOptions FormatOf(const T3D_TEXTURE& model, bool dither = true);

// Clears the holder, then reads the chain that starts at `path`. True when
// level 0 was read (and any conversion succeeded); every problem, warnings
// included, is told to `report`. With `stamps`: the stamp of each file whose
// level was read, as ChainFiles::stamps has them.
[[nodiscard]] bool ReadTextureChain(const std::string& path, TextureRecord& holder, TextureReport& report,
                                    const TextureReadOptions& options = {}, std::vector<FileStamp>* stamps = nullptr);

// A chain's files as read, before anything is made of them: the levels the
// files hold, with the flags their names spell; whether the chain was read as
// PNG, and whether it takes a scene texture's format; a PNG chain's palette and indices while its files share one; and
// the stamp of each file whose level was read, level 0 first, with the CRC-32 of the very bytes decoded.
struct ChainFiles {
    ChainFiles();
    ~ChainFiles();
    ChainFiles(ChainFiles&&) noexcept;
    ChainFiles& operator=(ChainFiles&&) noexcept;

    TextureRecord texture;
    bool png = false;
    // Its format's chains take a scene texture's format (TakesTextureFormat).
    bool takesTextureFormat = false;
    std::unique_ptr<PngChainPalette> palette;
    std::vector<FileStamp> stamps;
};

// Reads the files of the chain that starts at `path` into `files`, at most
// options.fileLevels of them; the other options do not count here. True when
// level 0 was read.
[[nodiscard]] bool ReadChainFiles(const std::string& path, ChainFiles& files, TextureReport& report,
                                  const TextureReadOptions& options = {});

// Makes the texture of a chain's files into `holder` as ReadTextureChain does
// once it has read them: the levels no file holds generated, then converted
// as the options say (options.fileLevels does not count here: the files are
// read). `files` stays as it is; `path` names the chain in messages.
[[nodiscard]] bool CompleteChain(const ChainFiles& files, TextureRecord& holder, TextureReport& report,
                                 const TextureReadOptions& options, const std::string& path);
