// The options that say how quorrel-cli reads texture files: how missing mip
// levels are generated, the depth a chain is converted to, and what becomes
// of stale level files.
#pragma once

#include "cli/CommandLine.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/png/PngEncoder.h"
#include "texturepack/ChainRead.h"

#include <cstdint>
#include <string>

// --mip-filter point|box; point when absent. False, with `error` set, for
// another value.
bool MipFilterOption(const CommandArguments& args, MipFilter& filter, std::string& error);

// --depth 8|16|24|32, with --rgb565 (5-6-5 at depth 16) and --no-dither (no
// dithering at depth 8): the depth chains are converted to, left empty
// without --depth. False, with `error` set, for another depth or --rgb565
// with a depth other than 16.
bool DepthOption(const CommandArguments& args, std::optional<DepthOptions>& depth, std::string& error);

// --png-level 1-12, deflate's effort for the PNG files written (fastest to
// smallest); kDefaultPngLevel when absent. False, with `error` set, for
// another value.
bool PngLevelOption(const CommandArguments& args, int& level, std::string& error);

// --levels files|rebuild; warn when absent. False, with `error` set, for
// another value.
bool LevelsOption(const CommandArguments& args, StaleLevelChoice& choice, std::string& error);

// What --flags asks of a texture's flags: the bits it sets and those it clears.
struct FlagEdit {
    uint32_t set = 0;
    uint32_t clear = 0;

    uint32_t appliedTo(uint32_t flags) const { return (flags & ~clear) | set; }
};

// --flags +E-Z|0xNN: letters of file names' suffixes (texture/chain/
// MipChainNaming.h), each set after + and cleared after -, the last word on a
// letter winning; or 0xNN, the bits 0x02-0x80 as given, the others kept. No
// edit when absent. False, with `error` set, for a letter no flag has, a
// letter before any sign, or a number with the mipmap bit (it follows the
// levels) or bits past 0x80.
bool FlagsOption(const CommandArguments& args, FlagEdit& edit, std::string& error);
