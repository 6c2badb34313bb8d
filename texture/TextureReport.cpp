#include "texture/TextureReport.h"

#include <cstddef>

namespace {

// One message: the window's sentence, the detail that follows the file's name
// on quorrel-cli's stderr, and the reason alone where other layers use it.
// Placeholders: %s the file, %k the kind of file, %u and %v numbers, %w words
// given with the problem, %r the row's reason.
struct MessageRow {
    TextureCause cause;
    const char* sentence;
    const char* detail;
    const char* reason;
};

// clang-format off
constexpr MessageRow kMessages[] = {
    {TextureCause::NotFound, "Can't find %k file %s", "%r", "does not exist"},
    {TextureCause::PermissionDenied, "Can't read %k file %s: %r", "%r", "permission denied"},
    {TextureCause::NotRegularFile, "%k file %s %r", "%r", "is not a regular file"},
    {TextureCause::ReadFailed, "Can't read %k file %s", "%r", "could not be read"},
    {TextureCause::ChangedWhileRead, "%k file %s %r", "%r", "changed while it was read"},
    {TextureCause::TooLarge, "%k file %s %r", "%r", "is too large"},
    {TextureCause::OutOfMemory, "Not enough memory for %k file %s", "%r", "does not fit in memory"},
    {TextureCause::LevelMismatch, "%k file %s does not fit its mip level", "does not fit its mip level", nullptr},
    {TextureCause::UnsupportedSize, "%k file %s has an unsupported size", "has an unsupported size", nullptr},
    {TextureCause::ShortOfPixels, "%k file %s holds fewer pixels than its size", "holds fewer pixels than its size",
     nullptr},
    {TextureCause::Truncated, "%k file %s is truncated", "is truncated", nullptr},
    {TextureCause::Damaged, "%k file %s is damaged: %w", "is damaged: %w", nullptr},
    {TextureCause::NotPng, "%k file %s is damaged", "is damaged", nullptr},
    {TextureCause::OtherImage, "%s is %w, not a PNG, TGA or DDS file: save it as PNG",
     "is %w, not a PNG, TGA or DDS file: save it as PNG", nullptr},
    {TextureCause::SceneFile, "%s is a scene file, not a PNG, TGA or DDS file: open it with File, Load",
     "is a scene file, not a PNG, TGA or DDS file: open it with File, Load", nullptr},
    {TextureCause::TextFile, "%s is a text file, not a PNG, TGA or DDS file",
     "is a text file, not a PNG, TGA or DDS file", nullptr},
    {TextureCause::EmptyFile, "%s is empty", "is empty", nullptr},
    {TextureCause::OtherKindLevel, "%s is a %k file in a chain of %w files: it is read as %k, in the chain's format",
     "is a %k file in a chain of %w files: it is read as %k, in the chain's format", nullptr},
    {TextureCause::PngIndexBeyondPalette, "PNG file %s has colour indices beyond its palette (shown black)",
     "has colour indices beyond its palette (shown black)", nullptr},
    {TextureCause::PngTooMuchAncillary, "PNG file %s holds more than %u MiB of text and other data beside its pixels",
     "holds more than %u MiB of text and other data beside its pixels", nullptr},

    {TextureCause::TgaImageType, "TGA file %s has an image type that is not read",
     "has an image type that is not read", nullptr},
    {TextureCause::TgaReservedColourMapType, "TGA file %s has a reserved colour map type",
     "has a reserved colour map type", nullptr},
    {TextureCause::TgaPixelDepth, "TGA file %s has an unsupported pixel depth", "has an unsupported pixel depth",
     nullptr},
    {TextureCause::TgaGreyDepth, "TGA file %s holds grey pixels of more than 8 bits",
     "holds grey pixels of more than 8 bits", nullptr},
    {TextureCause::TgaIndexDepth, "TGA file %s holds colour indices of other than 8 bits",
     "holds colour indices of other than 8 bits", nullptr},
    {TextureCause::TgaEmptyColourMap, "TGA file %s has an empty colour map", "has an empty colour map", nullptr},
    {TextureCause::TgaColourMapEntrySize, "Error with TGA palette!", "has a colour map entry size that is not read",
     nullptr},
    {TextureCause::TgaIndexBeyondMap, "TGA file %s has colour indices beyond its colour map (shown black)",
     "has colour indices beyond its colour map (shown black)", nullptr},
    {TextureCause::TgaRunPastImage, "TGA file %s has run-length packets running past the image (cut at its end)",
     "has run-length packets running past the image (cut at its end)", nullptr},
    {TextureCause::TgaColourMapFull,
     "TGA file %s has more colours than the colour map holds (the nearest ones are used)",
     "has more colours than the colour map holds (the nearest ones are used)", nullptr},

    {TextureCause::DdsPixelFormat, "DDS file %s has a pixel format that is not read",
     "has a pixel format that is not read", nullptr},
    {TextureCause::DdsPremultiplied, "DDS file %s holds premultiplied alpha, which is not read: save it with straight alpha",
     "holds premultiplied alpha, which is not read: save it with straight alpha", nullptr},
    {TextureCause::DdsSigned, "DDS file %s holds signed values, which a texture cannot hold",
     "holds signed values, which a texture cannot hold", nullptr},
    {TextureCause::DdsHighDynamicRange, "DDS file %s holds BC6H high dynamic range colours, which a texture cannot hold",
     "holds BC6H high dynamic range colours, which a texture cannot hold", nullptr},
    {TextureCause::DdsCubeMap, "DDS file %s is a cube map: a texture is one picture, not six faces",
     "is a cube map: a texture is one picture, not six faces", nullptr},
    {TextureCause::DdsVolume, "DDS file %s is a volume texture: a texture is one picture, not a stack of slices",
     "is a volume texture: a texture is one picture, not a stack of slices", nullptr},
    {TextureCause::DdsArray, "DDS file %s is an array of textures: a texture is one picture",
     "is an array of textures: a texture is one picture", nullptr},

    {TextureCause::NoMemoryForTexture, "Not enough memory for the texture of %s", "does not fit in memory", nullptr},
    {TextureCause::AlphaDropped, "%s is not opaque: the texture it goes into has no alpha, so its alpha is dropped",
     "is not opaque: the texture it goes into has no alpha, so its alpha is dropped", nullptr},
    {TextureCause::CannotQuantise, "Can't reduce the colours of %s to 256", "can't have its colours reduced to 256",
     nullptr},
    {TextureCause::CannotConvertToDepth, "Can't convert %s to a texture of %u bits",
     "can't be converted to a texture of %u bits", nullptr},
    {TextureCause::MasksPastDepth, "Can't convert %s: the texture it goes into has masks past its %u bits",
     "can't be converted: the texture it goes into has masks past its %u bits", nullptr},
    {TextureCause::MaskNotOneRun, "Can't convert %s: the texture it goes into has a mask that is not one run of bits",
     "can't be converted: the texture it goes into has a mask that is not one run of bits", nullptr},
    {TextureCause::MaskWiderThan8, "Can't convert %s: the texture it goes into has a mask of more than 8 bits",
     "can't be converted: the texture it goes into has a mask of more than 8 bits", nullptr},
    {TextureCause::MasksOverlap, "Can't convert %s: the texture it goes into has masks that share bits",
     "can't be converted: the texture it goes into has masks that share bits", nullptr},
    {TextureCause::MaskMissing, "Can't convert %s: the texture it goes into lacks a red, green or blue mask",
     "can't be converted: the texture it goes into lacks a red, green or blue mask", nullptr},
    {TextureCause::NoMemoryToConvert, "Not enough memory to convert %s", "does not fit in memory to be converted",
     nullptr},

    {TextureCause::WriteFailed, "Can't write %k file %s", "could not be written", "the write failed"},
    {TextureCause::WriteDiskFull, "Can't write %k file %s: %r", "could not be written: %r", "the disk is full"},
    {TextureCause::WriteNoFolder, "Can't write %k file %s: %r", "could not be written: %r",
     "the folder does not exist"},
    {TextureCause::WritePermissionDenied, "Can't write %k file %s: %r", "could not be written: %r",
     "permission denied"},
    {TextureCause::WriteNotRegularFile, "Can't write %k file %s: %r", "could not be written: %r",
     "not a regular file"},
    {TextureCause::WriteSameAsInput, "Can't write %k file %s: %r", "could not be written: %r",
     "it is a file the output is made from"},
    {TextureCause::WriteNameTooLong, "Can't write %k file %s: %r", "could not be written: %r",
     "the name is too long"},
    {TextureCause::WriteRenameFailed, "Can't write %k file %s: %r", "could not be written: %r",
     "it could not be put in place"},
    {TextureCause::WriteTerminal, "Can't write %k file %s: %r", "could not be written: %r",
     "it is a terminal, which takes no binary output"},
    {TextureCause::WriteStreamNotOpen, "Can't write %k file %s: %r", "could not be written: %r",
     "no stream of that number is open for writing"},
    {TextureCause::WriteInDeviceFolder, "Can't write %k file %s: %r", "could not be written: %r",
     "no file is made or replaced in /dev"},
    {TextureCause::WriteChangedSinceRead, "Can't write %k file %s: %r", "could not be written: %r",
     "it changed since it was loaded"},
    {TextureCause::ChainToStream, "Can't write a chain of %u mip levels: %s is a stream, which takes a single file",
     "could not be written: it is a stream, which takes a single file, not a chain of %u mip levels", nullptr},
    {TextureCause::NotWritable, "Can't write this texture to %k file %s",
     "could not be written: the texture has no pixels or a depth that is not written", nullptr},
    {TextureCause::ShortChain, "%k file %s is the last mip level written: levels %u to %v have no pixels",
     "is the last mip level written: levels %u to %v have no pixels", nullptr},
    {TextureCause::ShortOneFileChain, "%k file %s holds the mip levels with pixels: levels %u to %v have none",
     "holds the mip levels with pixels: levels %u to %v have none", nullptr},
    {TextureCause::NamingNoDot, "Can't name all %u mip levels after %k file %s: %r. A name that works: %w",
     "its %u mip levels can't all be named: %r; a name that works: %w",
     "its file name has no dot to number the levels before"},
    {TextureCause::NamingPastDigitNine, "Can't name all %u mip levels after %k file %s: %r. A name that works: %w",
     "its %u mip levels can't all be named: %r; a name that works: %w", "its level numbers would run past 9"},
    {TextureCause::NamingNameTooLong, "Can't name all %u mip levels after %k file %s: %r. A name that works: %w",
     "its %u mip levels can't all be named: %r; a name that works: %w", "a level's file name would be too long"},
    {TextureCause::StaleLevels, "The smaller levels of %s are older than it: %w",
     "has smaller levels older than itself: %w; used as they are", nullptr},
    {TextureCause::SmallLevelUnread, "%w is not read: levels under 16 pixels are made from the one above",
     "%w is not read: levels under 16 pixels are made from the one above", nullptr},
    {TextureCause::SmallLevelsUnread, "%w are not read: levels under 16 pixels are made from the one above",
     "%w are not read: levels under 16 pixels are made from the one above", nullptr},
    {TextureCause::LevelPastGapUnread, "%w is not read: the chain ends at the level file missing before it",
     "%w is not read: the chain ends at the level file missing before it", nullptr},
    {TextureCause::LevelsPastGapUnread, "%w are not read: the chain ends at the level file missing before them",
     "%w are not read: the chain ends at the level file missing before them", nullptr},
    {TextureCause::Cancelled, "Reading %k file %s was cancelled", "%r", "was not read to the end: cancelled"},
};
// clang-format on

constexpr bool RowsInCauseOrder()
{
    for (size_t i = 0; i < std::size(kMessages); ++i) {
        if (size_t(kMessages[i].cause) != i)
            return false;
    }
    return true;
}
static_assert(RowsInCauseOrder(), "one row per cause, in the order of the causes");
static_assert(size_t(TextureCause::Cancelled) + 1 == std::size(kMessages), "a cause without its row");

const MessageRow& RowOf(TextureCause cause)
{
    return kMessages[size_t(cause)];
}

// The text with its placeholders filled in one pass, so that a % in a file's
// name or in given words is never taken for a placeholder.
std::string Filled(const char* text, const MessageRow& row, const std::string& file, const ProblemDetails& details)
{
    std::string out;
    for (const char* c = text; *c; ++c) {
        if (*c != '%' || !c[1]) {
            out += *c;
            continue;
        }
        switch (*++c) {
        case 's':
            out += file;
            break;
        case 'k':
            out += details.kind;
            break;
        case 'u':
            out += std::to_string(details.number);
            break;
        case 'v':
            out += std::to_string(details.second);
            break;
        case 'w':
            out += details.words;
            break;
        case 'r':
            out += row.reason ? row.reason : "";
            break;
        default:
            out += '%';
            out += *c;
        }
    }
    return out;
}

}  // namespace

TextureProblem MakeProblem(Severity severity, TextureCause cause, const std::string& file,
                           const ProblemDetails& details)
{
    const MessageRow& row = RowOf(cause);
    return {severity, cause, file, Filled(row.detail, row, file, details), Filled(row.sentence, row, file, details)};
}

void Report(TextureReport& report, Severity severity, TextureCause cause, const std::string& file,
            const ProblemDetails& details)
{
    report.report(MakeProblem(severity, cause, file, details));
}

TextureCause CauseOf(FileReadStatus status)
{
    switch (status) {
    case FileReadStatus::NotFound:
        return TextureCause::NotFound;
    case FileReadStatus::PermissionDenied:
        return TextureCause::PermissionDenied;
    case FileReadStatus::NotRegularFile:
        return TextureCause::NotRegularFile;
    case FileReadStatus::TooLarge:
        return TextureCause::TooLarge;
    case FileReadStatus::Changed:
        return TextureCause::ChangedWhileRead;
    case FileReadStatus::OutOfMemory:
        return TextureCause::OutOfMemory;
    case FileReadStatus::Cancelled:
        return TextureCause::Cancelled;
    case FileReadStatus::Ok:
    case FileReadStatus::ReadFailed:
        break;
    }
    return TextureCause::ReadFailed;
}

TextureCause CauseOf(FileWriteStatus status)
{
    switch (status) {
    case FileWriteStatus::NoFolder:
        return TextureCause::WriteNoFolder;
    case FileWriteStatus::PermissionDenied:
        return TextureCause::WritePermissionDenied;
    case FileWriteStatus::NotRegularFile:
        return TextureCause::WriteNotRegularFile;
    case FileWriteStatus::SameAsInput:
        return TextureCause::WriteSameAsInput;
    case FileWriteStatus::NameTooLong:
        return TextureCause::WriteNameTooLong;
    case FileWriteStatus::DiskFull:
        return TextureCause::WriteDiskFull;
    case FileWriteStatus::RenameFailed:
        return TextureCause::WriteRenameFailed;
    case FileWriteStatus::TerminalOutput:
        return TextureCause::WriteTerminal;
    case FileWriteStatus::StreamNotOpen:
        return TextureCause::WriteStreamNotOpen;
    case FileWriteStatus::InDeviceFolder:
        return TextureCause::WriteInDeviceFolder;
    case FileWriteStatus::ChangedSinceRead:
        return TextureCause::WriteChangedSinceRead;
    case FileWriteStatus::Ok:
    case FileWriteStatus::WriteFailed:
        break;
    }
    return TextureCause::WriteFailed;
}

const char* CauseReason(TextureCause cause)
{
    const char* reason = RowOf(cause).reason;
    return reason ? reason : "";
}

const char* FileReadProblem(FileReadStatus status)
{
    return CauseReason(CauseOf(status));
}

const char* FileWriteProblem(FileWriteStatus status)
{
    return CauseReason(CauseOf(status));
}
