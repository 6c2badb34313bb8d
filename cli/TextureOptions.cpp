#include "cli/TextureOptions.h"

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
