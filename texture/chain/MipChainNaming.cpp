#include "texture/chain/MipChainNaming.h"

#include "texture/T3DTexture.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

// U spells the V-clamping bit and V the U-clamping bit. That is how the chains
// already on users' disks were named, so the crossing stays: swapping it would
// turn every clamped texture read back from an existing chain the other way.
const FlagLetter FlagLetterTable[7] = {
    {'A', kFlagAlphaLevel}, {'F', kFlagForce32Bit}, {'D', kFlagDetailSecondPass}, {'E', kFlagEnvmap},
    {'U', kFlagClampedV},   {'V', kFlagClampedU},   {'Z', kFlagNoZBuffer},
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
// dot and whose file name has its last dot at `dot`; empty when its version
// digit is 9, which has no successor.
std::string BumpSuffix(const std::string& path, size_t suffix, size_t cut, size_t dot)
{
    const size_t digitAt = path.find_first_of("0123456789", suffix);
    const bool found = digitAt < cut;
    const char digit = found ? path[digitAt] : '0';
    if (digit == '9')
        return {};

    std::string next = path;
    if (!found)
        next.insert(dot, 1, '1');
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

// Where the file name starts: after the last separator (`/` or `\\`).
size_t FileNameStart(const std::string& path)
{
    const size_t slash = FindLastOf(path, 0, path.size(), "\\/");
    return slash == kNotFound ? 0 : slash + 1;
}

}  // namespace

uint32_t NextMipLevelName(const std::string& path, std::string& next)
{
    next.clear();
    const size_t base = FileNameStart(path);
    const size_t dot = FindLastOf(path, base, path.size(), ".");
    const size_t underscore = FindLastOf(path, base, path.size(), "_");
    if (underscore == kNotFound) {
        if (dot != kNotFound)
            next = path.substr(0, dot) + "_1" + path.substr(dot);
        return 0;  // a name without a suffix carries no flags
    }
    const size_t suffix = underscore + 1;
    const size_t suffixDot = FindLastOf(path, suffix, path.size(), ".");
    const size_t cut = suffixDot == kNotFound ? path.size() : suffixDot;
    if (dot != kNotFound)
        next = BumpSuffix(path, suffix, cut, dot);
    return FlagsSpelledBy(path.substr(suffix, cut - suffix));
}

uint32_t MipChainNaming(const char* path, char* next)
{
    std::string result;
    const uint32_t flags = NextMipLevelName(path, result);
    if (result.empty() || result.size() >= size_t(kPathBufferSize))
        result = path;
    CopyCut(result, next);
    return flags;
}

TextureCause NamingCause(ChainNaming naming)
{
    switch (naming) {
    case ChainNaming::NoDot:
        return TextureCause::NamingNoDot;
    case ChainNaming::PastDigitNine:
        return TextureCause::NamingPastDigitNine;
    case ChainNaming::Ok:
    case ChainNaming::NameTooLong:
        break;
    }
    return TextureCause::NamingNameTooLong;
}

const char* ChainNamingProblem(ChainNaming naming)
{
    return naming == ChainNaming::Ok ? "" : CauseReason(NamingCause(naming));
}

ChainNaming PlanChainNames(const std::string& first, int levels, std::vector<std::string>& files)
{
    files.assign(1, first);
    while (int(files.size()) < levels) {
        std::string next;
        NextMipLevelName(files.back(), next);
        if (next.empty()) {
            const size_t base = FileNameStart(first);
            return FindLastOf(first, base, first.size(), ".") == kNotFound ? ChainNaming::NoDot
                                                                           : ChainNaming::PastDigitNine;
        }
        files.push_back(std::move(next));
    }
    for (const std::string& file : files) {
        const size_t slash = file.rfind('/');
        if (file.size() - (slash == kNotFound ? 0 : slash + 1) > NAME_MAX)
            return ChainNaming::NameTooLong;
    }
    return ChainNaming::Ok;
}

namespace {

// A file name taken apart where the rule looks: head, suffix (the part after
// the last underscore, when there is one) and extension (from the last dot).
struct NameParts {
    std::string head;
    bool hasSuffix = false;
    std::string suffix;
    std::string extension;

    std::string joined(const std::string& tag) const
    {
        return head + tag + (hasSuffix ? "_" + suffix : "") + extension;
    }
};

NameParts SplitName(const std::string& name)
{
    NameParts parts;
    const size_t dot = FindLastOf(name, 0, name.size(), ".");
    const std::string stem = name.substr(0, dot);
    parts.extension = dot == kNotFound ? "" : name.substr(dot);
    const size_t underscore = FindLastOf(stem, 0, stem.size(), "_");
    parts.head = stem.substr(0, underscore);
    parts.hasSuffix = underscore != kNotFound;
    if (parts.hasSuffix)
        parts.suffix = stem.substr(underscore + 1);
    return parts;
}

// The suffix without its digits, so that the levels count up from 1; "0"
// where nothing else remains, so that it counts from 0 and spells no flag.
std::string WithoutDigits(const std::string& suffix)
{
    std::string letters;
    for (char c : suffix) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            letters += c;
    }
    return letters.empty() ? "0" : letters;
}

// The flag letters the suffix spells, each once, in the table's order.
std::string FlagLettersOf(const std::string& suffix)
{
    const uint32_t flags = FlagsSpelledBy(suffix);
    std::string letters;
    for (const FlagLetter& row : FlagLetterTable) {
        if (flags & row.flag)
            letters += row.letter;
    }
    return letters;
}

// Cuts `excess` bytes off the end of the text, and then any UTF-8 sequence
// the cut left without its end.
std::string CutEnd(const std::string& text, size_t excess)
{
    size_t keep = text.size() - excess;
    while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80)
        --keep;
    return text.substr(0, keep);
}

size_t LongestFileName(const std::vector<std::string>& files)
{
    size_t longest = 0;
    for (const std::string& file : files)
        longest = std::max(longest, file.size() - (file.rfind('/') == kNotFound ? 0 : file.rfind('/') + 1));
    return longest;
}

}  // namespace

std::string WorkingChainName(const std::string& first, int levels, const std::string& extension, const std::string& tag)
{
    std::vector<std::string> files;
    const ChainNaming naming = PlanChainNames(first, levels, files);
    if (naming == ChainNaming::Ok && tag.empty())
        return first;

    const size_t base = FileNameStart(first);
    const std::string folder = first.substr(0, base);
    std::string name = first.substr(base);
    if (naming == ChainNaming::NoDot || FindLastOf(name, 0, name.size(), ".") == kNotFound)
        name += extension;
    NameParts parts = SplitName(name);
    if (naming == ChainNaming::PastDigitNine)
        parts.suffix = WithoutDigits(parts.suffix);

    std::string candidate = folder + parts.joined(tag);
    if (PlanChainNames(candidate, levels, files) == ChainNaming::NameTooLong) {
        const size_t excess = LongestFileName(files) - NAME_MAX;
        if (excess < parts.head.size()) {
            parts.head = CutEnd(parts.head, excess);
            candidate = folder + parts.joined(tag);
        }
    }
    if (!parts.head.empty() && PlanChainNames(candidate, levels, files) == ChainNaming::Ok)
        return candidate;

    // Nothing of the name could be kept but its flag letters.
    const std::string letters = FlagLettersOf(parts.suffix);
    return folder + "texture" + tag + (letters.empty() ? "" : "_" + letters) + extension;
}
