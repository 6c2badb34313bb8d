#include "texture/TextureFlags.h"

#include "texture/T3DTexture.h"

namespace {

// Each flag bit under the words of its box in the window.
struct FlagWords {
    uint32_t flag;
    const char* words;
};
constexpr FlagWords kFlagWords[] = {
    {kFlagMipmapLevels, "Mipmap levels"},
    {kFlagAlphaLevel, "Alpha level"},
    {kFlagDetailSecondPass, "Detail second pass"},
    {kFlagForce32Bit, "Force 32 bit"},
    {kFlagEnvmap, "Envmap"},
    {kFlagClampedU, "Clamped for U"},
    {kFlagClampedV, "Clamped for V"},
    {kFlagNoZBuffer, "No Z-Buffer"},
};

}  // namespace

uint32_t ReplacedFlags(uint32_t sceneFlags, uint32_t replacementFlags, bool fromName)
{
    const uint32_t taken = kFlagMipmapLevels | (fromName ? kChosenFlags : 0);
    return (sceneFlags & ~taken) | (replacementFlags & taken);
}

std::string FlagChangeText(uint32_t from, uint32_t to)
{
    std::string text;
    for (const FlagWords& flag : kFlagWords) {
        if ((from & flag.flag) == (to & flag.flag))
            continue;
        text += text.empty() ? "" : ", ";
        text += (to & flag.flag) ? "+ " : "- ";
        text += flag.words;
    }
    return text;
}
