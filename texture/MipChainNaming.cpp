#include "texture/MipChainNaming.h"

#include "texture/T3DTexture.h"

#include <cctype>
#include <algorithm>
#include <cstring>

const FlagLetter FlagLetterTable[7] = {
    {'A', kFlagAlphaLevel},
    {'F', kFlagForce32Bit},
    {'D', kFlagDetailSecondPass},
    {'E', kFlagEnvmap},
    {'U', kFlagClampedV},
    {'V', kFlagClampedU},
    {'Z', kFlagNoZBuffer},
};

namespace {

constexpr size_t kNotFound = std::string::npos;

// Searches text[begin, end) from the end for a character of `set`. The first
// character of the range is never examined: a leading separator, underscore or
// dot does not count.
size_t FindLastOf(const std::string& text, size_t begin, size_t end, const char* set)
{
    for (size_t i = end; i > begin + 1; --i) {
        if (std::strchr(set, text[i - 1]))
            return i - 1;
    }
    return kNotFound;
}

uint32_t FlagsSpelledBy(const std::string& letters)
{
    uint32_t flags = 0;
    for (char c : letters) {
        const char upper = char(std::toupper(static_cast<unsigned char>(c)));
        for (const FlagLetter& row : FlagLetterTable) {
            if (row.letter == upper)
                flags |= row.flag;
        }
    }
    return flags;
}

// The next name for a path whose suffix is path[suffix, cut) once cut at its
// dot; empty when its version digit is 9, which has no successor.
std::string BumpSuffix(const std::string& path, size_t suffix, size_t cut)
{
    const size_t digitAt = path.find_first_of("0123456789", suffix);
    const bool found = digitAt < cut;
    const char digit = found ? path[digitAt] : '0';
    if (digit == '9')
        return {};

    std::string next = path;
    if (!found) {
        const size_t anyDot = FindLastOf(next, 0, next.size(), ".");
        if (anyDot != kNotFound)
            next.insert(anyDot, 1, '1');
    }
    const size_t underscore = FindLastOf(next, 0, next.size(), "_");
    for (size_t i = underscore + 1; i < next.size(); ++i) {
        if (next[i] == digit)
            next[i] = char(digit + 1);
    }
    return next;
}

void CopyCut(const std::string& text, char* out)
{
    const size_t n = std::min(text.size(), size_t(kPathBufferSize - 1));
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

uint32_t MipChainNaming(const char* path, char* next)
{
    const std::string text = path;
    const size_t slash = FindLastOf(text, 0, text.size(), "\\/");
    const size_t base = slash == kNotFound ? 0 : slash + 1;
    const size_t underscore = FindLastOf(text, base, text.size(), "_");

    std::string result;
    uint32_t flags = 0;
    if (underscore == kNotFound) {
        const size_t dot = FindLastOf(text, 0, text.size(), ".");
        if (dot != kNotFound)
            result = text.substr(0, dot) + "_1" + text.substr(dot);
    } else {
        const size_t suffix = underscore + 1;
        const size_t dot = FindLastOf(text, suffix, text.size(), ".");
        const size_t cut = dot == kNotFound ? text.size() : dot;
        flags = FlagsSpelledBy(text.substr(suffix, cut - suffix));
        result = BumpSuffix(text, suffix, cut);
    }

    if (result.empty() || result.size() >= size_t(kPathBufferSize))
        result = text;
    CopyCut(result, next);
    return flags;
}

uint32_t NextMipLevelName(const std::string& path, std::string& next)
{
    char buffer[kPathBufferSize];
    const uint32_t flags = MipChainNaming(path.c_str(), buffer);
    const bool bumped = path.size() < size_t(kPathBufferSize) && path != buffer;
    next = bumped ? buffer : "";
    return flags;
}
