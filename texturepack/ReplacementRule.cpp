#include "texturepack/ReplacementRule.h"

#include "texture/TextureFlags.h"
#include "texturepack/EscapedText.h"

#include <cstring>
#include <vector>

namespace {

// Passes every problem on and notes whether one was an error.
class ErrorNotingReport : public TextureReport {
public:
    explicit ErrorNotingReport(TextureReport& to) : to_(to) {}
    void report(const TextureProblem& problem) override
    {
        errorReported_ = errorReported_ || problem.severity == Severity::Error;
        to_.report(problem);
    }
    bool errorReported() const { return errorReported_; }

private:
    TextureReport& to_;
    bool errorReported_ = false;
};

void SetName(T3D_TEXTURE& record, const std::string& name)
{
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, name.data(), std::min(name.size(), sizeof record.name - 1));
}

// The record's name, which fills its field when it is as long as a name may be.
std::string TextureName(const T3D_TEXTURE& record)
{
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

std::string ChangeWords(const T3D_TEXTURE& before, const T3D_TEXTURE& after)
{
    std::vector<std::string> parts;
    if (before.width != after.width || before.height != after.height)
        parts.push_back(std::to_string(before.width) + " x " + std::to_string(before.height) + " -> " +
                        std::to_string(after.width) + " x " + std::to_string(after.height));
    if (before.depth != after.depth)
        parts.push_back(std::to_string(before.depth) + " -> " + std::to_string(after.depth) + " bits");
    if (before.levelCount != after.levelCount)
        parts.push_back(std::to_string(before.levelCount) + " -> " + std::to_string(after.levelCount) + " levels");
    if (before.flags != after.flags)
        parts.push_back("flags " + Hex(before.flags, 2) + " -> " + Hex(after.flags, 2) + " (" +
                        FlagChangeText(before.flags, after.flags) + ")");
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text.empty() ? "new pixels" : text;
}

}  // namespace

std::string TextureNameOfFile(const std::string& first)
{
    std::string name = first.substr(first.find_last_of('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.substr(0, kTextureNameSize - 1);
}

bool TakesSceneFormat(const std::string& first, const ReplaceChoices& choices)
{
    return choices.keepFormat || TakesTextureFormat(first);
}

TextureReadOptions ReplacementReadOptions(const T3D_TEXTURE& scene, const std::string& first,
                                          const ReplaceChoices& choices)
{
    TextureReadOptions options;
    options.filter = choices.filter;
    if (TakesSceneFormat(first, choices))
        options.convertTo = FormatOf(scene, choices.dither);
    return options;
}

int OtherTextureNamed(const VK7Q_HEADER& scene, int index, const std::string* name)
{
    const std::string wanted = name ? *name : TextureName(scene.textures[index]);
    for (int i = 0; i < scene.textureCount; ++i)
        if (i != index && TextureName(scene.textures[i]) == wanted)
            return i;
    return -1;
}

ReplacementOutcome ApplyReplacementRule(const T3D_TEXTURE& scene, T3D_TEXTURE& replacement, const std::string& first,
                                        const ReplaceChoices& choices)
{
    ReplacementOutcome outcome;
    const std::string before = TextureName(scene);
    SetName(replacement, choices.nameFromFile ? TextureNameOfFile(first) : before);
    if (TextureName(replacement) != before)
        outcome.renamedFrom = before;
    outcome.nameFlags = FlagChangeText(scene.flags & kChosenFlags, replacement.flags & kChosenFlags);
    replacement.flags = ReplacedFlags(scene.flags, replacement.flags, choices.flagsFromName);
    outcome.changes = ChangeWords(scene, replacement);
    return outcome;
}

bool ReadReplacement(const std::string& first, const T3D_TEXTURE& scene, const ReplaceChoices& choices,
                     TextureRecord& holder, TextureReport& report, ReplacementOutcome& outcome,
                     const ReplacementRead& read)
{
    ErrorNotingReport noting(report);
    TextureReadOptions options = ReplacementReadOptions(scene, first, choices);
    options.cancel = read.cancel;
    if (!ReadChainLevels(first, options, choices.levels, holder, noting, read.levels, read.rebuildFrom, read.painted) ||
        noting.errorReported())
        return false;
    outcome = ApplyReplacementRule(scene, holder.record(), first, choices);
    return true;
}

std::vector<LevelCost> ReplacementCost(const std::string& first, const T3D_TEXTURE& scene, const T3D_TEXTURE& converted,
                                       const ReplaceChoices& choices, const ReplacementRead& read)
{
    TextureReadOptions options = ReplacementReadOptions(scene, first, choices);
    if (!options.convertTo)
        return ConversionCost(converted, converted);
    options.convertTo.reset();
    options.cancel = read.cancel;
    // What this read meets the first one met already.
    SilentReport silent;
    TextureRecord asRead;
    if (!ReadChainLevels(first, options, choices.levels, asRead, silent, nullptr, read.rebuildFrom, read.painted))
        return {};
    return ConversionCost(asRead.record(), converted);
}
