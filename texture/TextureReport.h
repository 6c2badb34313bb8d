// How the texture code tells its caller about a problem: how bad it is, why
// (a cause a program can act on), the file it is about, a few words that say
// what is wrong with that file, and the whole sentence as the window shows it.
// How a problem is shown belongs to the caller: the editor puts the sentence
// in a message box under a caption of its own, the command-line program
// prints the file and the words on stderr, tests record the cause.
#pragma once

#include <string>

enum class TextureCause {
    NotFound,          // no such file
    PermissionDenied,  // reading or writing it is not allowed
    NotRegularFile,    // a folder, FIFO, device, socket or looping link
    ReadFailed,        // the system refused the read
    ChangedWhileRead,  // it changed under the reader, twice
    Truncated,         // it ends before what its header says it holds
    Damaged,           // bytes that break the format's rules
    UnsupportedKind,   // an image type, depth or colour map this code does not take
    UnsupportedSize,   // no pixels, or more than the limits allow
    LevelMismatch,     // a later level's file is not the size of its level
    OutOfMemory,       // a buffer for the bytes or pixels could not be had
    CannotConvert,     // the pixels cannot take the depth asked for
    ColoursChanged,    // colours or alpha not kept exactly (a warning)
    WriteFailed,       // the system refused to create, write or put the file in place
    Naming,            // the mip-chain rule cannot name the level files
    ShortChain,        // levels past the written ones have no pixels (a warning)
    StaleLevels,       // a chain's level files are older than its first file (a warning)
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

// A fixed message: its cause, the sentence with %s for the file (and %u for
// a number where it has one), and the detail, with %u likewise.
struct TextureMessage {
    TextureCause cause;
    const char* sentence;
    const char* detail;
};

// The message about `path` as a problem, %s and %u filled in.
[[nodiscard]] TextureProblem MakeProblem(Severity severity, const TextureMessage& message, const std::string& path,
                                         unsigned number = 0);

void ReportError(TextureReport& report, const TextureMessage& message, const std::string& path);
void ReportWarning(TextureReport& report, const TextureMessage& message, const std::string& path);
