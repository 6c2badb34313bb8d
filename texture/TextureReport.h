// How the texture code tells its caller about a problem: how bad it is, why
// (a cause a program can act on), the file it is about, a few words that say
// what is wrong with that file, and the whole sentence as the window shows it.
// How a problem is shown belongs to the caller: the editor puts the sentence
// in a message box under a caption of its own, the command-line program
// prints the file and the words on stderr, tests record the cause.
//
// Every cause is one row of one table (TextureReport.cpp) that holds its
// sentence and its detail with their placeholders, so that a message is made
// in one place, MakeProblem, and nowhere put together from pieces.
#pragma once

#include "texture/io/FileRead.h"
#include "texture/io/FileWrite.h"

#include <string>
#include <utility>

enum class TextureCause {
    // Reading a file of a texture's chain, whatever its format.
    NotFound,          // no such file
    PermissionDenied,  // reading it is not allowed
    NotRegularFile,    // a folder, FIFO, device, socket or looping link
    ReadFailed,        // the system refused the read
    ChangedWhileRead,  // it changed under the reader, twice
    TooLarge,          // larger than a reader takes whole
    OutOfMemory,       // a buffer for its bytes or pixels could not be had
    LevelMismatch,     // a later level's file is not the size of its level
    UnsupportedSize,   // no pixels, or more than the limits allow
    ShortOfPixels,     // fewer pixels than its size calls for
    Truncated,         // it ends before its header says it holds
    Damaged,           // bytes that break the format's rules; the decoder's words follow
    NotPng,            // read as PNG, yet without the PNG signature
    // What a file refused as TGA is instead (texture/chain/FileKind.h).
    OtherImage,  // another format's image or texture, named in %w
    SceneFile,
    TextFile,
    EmptyFile,
    // A later level's file of the other kind, read by its own signature (a
    // warning): %k its kind, %w the chain's.
    OtherKindLevel,
    // What the PNG reader gives besides the decoder's words.
    PngIndexBeyondPalette,  // a warning
    PngTooMuchAncillary,    // more than %u MiB of ancillary chunks
    // What the TGA decoder does not take.
    TgaImageType,
    TgaReservedColourMapType,
    TgaPixelDepth,
    TgaGreyDepth,
    TgaIndexDepth,
    TgaEmptyColourMap,
    TgaColourMapEntrySize,
    // Warnings of the TGA reader: the pixels are read all the same.
    TgaIndexBeyondMap,
    TgaRunPastImage,
    TgaColourMapFull,
    // What the DDS decoder does not take.
    DdsPixelFormat,
    DdsPremultiplied,
    DdsSigned,
    DdsHighDynamicRange,
    DdsCubeMap,
    DdsVolume,
    DdsArray,
    // Making the levels no file holds, and converting to a depth.
    NoMemoryForTexture,
    AlphaDropped,  // a warning
    CannotQuantise,
    CannotConvertToDepth,
    // Masks that pixels cannot be packed into (texture/convert/PixelExpansion.h).
    MasksPastDepth,
    MaskNotOneRun,
    MaskWiderThan8,
    MasksOverlap,
    MaskMissing,
    NoMemoryToConvert,
    // Writing a chain of image files.
    WriteFailed,  // a write, flush or close failed otherwise: size limit, I/O error
    WriteDiskFull,
    WriteNoFolder,
    WritePermissionDenied,
    WriteNotRegularFile,
    WriteSameAsInput,
    WriteNameTooLong,
    WriteRenameFailed,
    WriteTerminal,          // binary output refused on a terminal
    WriteStreamNotOpen,     // /dev/fd/N or /proc/self/fd/N with no such stream open for writing
    WriteInDeviceFolder,    // nothing is made or replaced in /dev
    WriteChangedSinceRead,  // another program wrote the file since it was read
    ChainToStream,          // a stream takes a single file, not a chain of levels
    NotWritable,            // no pixels, or a depth that is not written
    ShortChain,             // levels past the written ones have no pixels (a warning)
    ShortOneFileChain,      // the same, of a file that holds every level
    NamingNoDot,            // the mip-chain rule cannot name the level files: ...
    NamingPastDigitNine,    //
    NamingNameTooLong,      //
    // Reading a chain whose level files are older than its first (a warning).
    StaleLevels,
    // Level files never read though they may have been painted, named in %w
    // (warnings): under 16 pixels, made from the level above; past a missing
    // level file, where the chain ends.
    SmallLevelUnread,
    SmallLevelsUnread,
    LevelPastGapUnread,
    LevelsPastGapUnread,
    // A read that its caller stopped.
    Cancelled,
};

// An error stops the read or write; after a warning it goes on.
enum class Severity { Error, Warning };

struct TextureProblem {
    Severity severity = Severity::Error;
    TextureCause cause = TextureCause::ReadFailed;
    std::string file;
    // What is wrong with the file, to follow its name: "is truncated",
    // "does not exist", "could not be written: permission denied".
    std::string detail;
    // The whole sentence, naming the file: "TGA file a.tga is truncated".
    std::string sentence;
};

class TextureReport {
public:
    virtual ~TextureReport() = default;
    virtual void report(const TextureProblem& problem) = 0;
};

// Keeps nothing, for callers that look at the result alone.
class SilentReport : public TextureReport {
public:
    void report(const TextureProblem&) override {}
};

// What fills a message's placeholders besides the file (%s): the kind of file
// (%k, "TGA" or "PNG"), numbers (%u, %v), and words from elsewhere (%w: a
// library's or the system's words, a file name that works).
struct ProblemDetails {
    ProblemDetails(const char* kind = "", unsigned number = 0, unsigned second = 0, std::string words = {})
        : kind(kind), number(number), second(second), words(std::move(words))
    {
    }

    const char* kind;
    unsigned number;
    unsigned second;
    std::string words;
};

// The cause's message about `file`, its placeholders filled in.
[[nodiscard]] TextureProblem MakeProblem(Severity severity, TextureCause cause, const std::string& file,
                                         const ProblemDetails& details = {});

// MakeProblem, told to `report`.
void Report(TextureReport& report, Severity severity, TextureCause cause, const std::string& file,
            const ProblemDetails& details = {});

// The cause a file that cannot be opened or read gives.
TextureCause CauseOf(FileReadStatus status);
TextureCause CauseOf(FileWriteStatus status);

// The reason alone, in a few words, for the messages of other layers that
// give it after their own words: "does not exist", "permission denied", "the
// folder does not exist" (the scene's "could not be written: ..."). Empty for
// a cause that has none.
const char* CauseReason(TextureCause cause);

// CauseReason of a file read's or write's status.
const char* FileReadProblem(FileReadStatus status);
const char* FileWriteProblem(FileWriteStatus status);
