#include "cli/TextureOptions.h"

#include "texture/TextureFlags.h"
#include "texture/chain/MipChainNaming.h"

#include <cctype>
#include <cstdlib>

namespace {

// The flag a suffix's letter spells, in either case; 0 for none.
uint32_t FlagOfLetter(char letter)
{
    for (const FlagLetter& entry : FlagLetterTable)
        if (entry.letter == std::toupper(static_cast<unsigned char>(letter)))
            return entry.flag;
    return 0;
}

bool HexFlags(const std::string& text, FlagEdit& edit, std::string& error)
{
    const bool digits =
        text.size() > 2 && text.size() <= 4 && text.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
    const uint32_t value = digits ? uint32_t(std::strtoul(text.c_str() + 2, nullptr, 16)) : ~0u;
    if ((value & ~kChosenFlags) != 0) {
        error = "--flags 0xNN sets the bits 0x02 to 0x80 (the mipmap bit 0x01 follows the levels), not '" + text + "'";
        return false;
    }
    edit = {value, kChosenFlags};
    return true;
}

bool LetterFlags(const std::string& text, FlagEdit& edit, std::string& error)
{
    char sign = 0;
    bool letters = false;
    for (const char c : text) {
        const uint32_t flag = FlagOfLetter(c);
        if (c == '+' || c == '-') {
            sign = c;
        } else if (sign && flag) {
            (sign == '+' ? edit.set : edit.clear) |= flag;
            (sign == '+' ? edit.clear : edit.set) &= ~flag;
            letters = true;
        } else {
            letters = false;
            break;
        }
    }
    if (!letters)
        error = "--flags wants + or - before the letters A, D, E, F, U, V and Z, or 0xNN, not '" + text + "'";
    return letters;
}

}  // namespace

bool MipFilterOption(const CommandArguments& args, MipFilter& filter, std::string& error)
{
    const auto found = args.options.find("--mip-filter");
    if (found == args.options.end() || found->second == "point") {
        filter = MipFilter::point;
        return true;
    }
    if (found->second == "box") {
        filter = MipFilter::box;
        return true;
    }
    error = "--mip-filter wants point or box, not '" + found->second + "'";
    return false;
}

bool DepthOption(const CommandArguments& args, std::optional<DepthOptions>& depth, std::string& error)
{
    depth.reset();
    if (!args.has("--depth"))
        return true;
    long value = 0;
    if (!OptionAsNumber(args, "--depth", 8, 32, value, error))
        return false;
    if (value != 8 && value != 16 && value != 24 && value != 32) {
        error = "--depth wants 8, 16, 24 or 32, not '" + args.options.at("--depth") + "'";
        return false;
    }
    if (args.has("--rgb565") && value != 16) {
        error = "--rgb565 goes only with --depth 16";
        return false;
    }
    depth = DepthOptions{unsigned(value), args.has("--rgb565"), !args.has("--no-dither")};
    return true;
}

bool LevelsOption(const CommandArguments& args, StaleLevelChoice& choice, std::string& error)
{
    const auto found = args.options.find("--levels");
    if (found == args.options.end()) {
        choice = StaleLevelChoice::warn;
        return true;
    }
    if (found->second == "files" || found->second == "rebuild") {
        choice = found->second == "files" ? StaleLevelChoice::files : StaleLevelChoice::rebuild;
        return true;
    }
    error = "--levels wants files or rebuild, not '" + found->second + "'";
    return false;
}

bool PngLevelOption(const CommandArguments& args, int& level, std::string& error)
{
    long value = kDefaultPngLevel;
    if (!OptionAsNumber(args, "--png-level", kMinPngLevel, kMaxPngLevel, value, error))
        return false;
    level = int(value);
    return true;
}

bool FlagsOption(const CommandArguments& args, FlagEdit& edit, std::string& error)
{
    edit = {};
    const auto found = args.options.find("--flags");
    if (found == args.options.end())
        return true;
    const std::string& text = found->second;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return HexFlags(text, edit, error);
    return LetterFlags(text, edit, error);
}
