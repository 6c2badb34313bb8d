// The options that say how quorrel-cli reads texture files: how missing mip
// levels are generated, the depth a chain is converted to, and what becomes
// of stale level files.
#pragma once

#include "cli/CommandLine.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/png/PngEncoder.h"
#include "texturepack/ChainRead.h"

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
