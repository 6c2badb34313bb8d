// The walk along a texture's chain of level files that every file format
// shares: level 0 from the given file, each later level from the file the
// mip-chain rule names after the one before, while the level's larger side is
// at least 16 and the levels array has room. The flags come from the names.
// A format whose file holds the whole chain (DDS) fills every level from
// level 0's file, and no other file is looked for; nor is one after a file
// whose name says it is such a chain (IsOneFileChain), whatever it holds.
// Every file is opened and read through texture/io/FileRead.h; a file that
// changes during its read is read once more, then refused. A format supplies
// only the decoding of one open file.
//
// Level 0 that cannot be read fails the read with an error. A later level's
// file that is missing ends the chain quietly; one that is there but cannot
// be read, is damaged or does not fit its level ends it with a warning. The
// levels no file holds are left for the caller to generate.
//
// The naming rule alone decides which files belong to the chain; each file is
// read by its own first bytes, through the one table of formats
// (texture/chain/ChainFormats.h), whatever its name. Level 0's format is the
// chain's; a later level of another format is decoded by that format's reader
// and converted into the chain's format with a warning that names both kinds.
//
// Each file is opened once a read (twice when it changed during the first):
// its CRC-32 is summed as its bytes arrive (texture/io/FileRead.h), and each
// level read comes with its file's stamp and the CRC of the very bytes
// decoded, so that nobody reads the file again to know whether it still is
// what was read.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/io/FileRead.h"
#include "texture/io/FileStamp.h"

#include <memory>
#include <string>
#include <vector>

enum class LevelResult { Read, Missing, Failed, Changed };

struct ChainFormat;
struct PngChainPalette;

// One format's reader of a chain's files: it decodes one open file into its
// level; the walk along the chain (WalkChain) opens the files and calls it.
class ChainFileReader {
public:
    // `kind` names the files in messages: "TGA", "PNG".
    ChainFileReader(TextureRecord& holder, TextureReport& report, const char* kind)
        : holder_(holder), report_(report), kind_(kind)
    {
    }
    virtual ~ChainFileReader() = default;

    // Makes a format's reader over the holder and report it is given;
    // `palette`: where a chain of palette files keeps its palette and indices
    // (nullptr: nowhere). nullptr when the memory cannot be had.
    using Maker = std::unique_ptr<ChainFileReader> (*)(TextureRecord& holder, TextureReport& report,
                                                       PngChainPalette* palette);

protected:
    // Puts a later level read from a file of the other kind, given as a
    // one-level 8-bit RGBA record of the level's size, into level `level` in
    // this chain's format.
    virtual LevelResult takeOtherKind(TextureRecord& rgba, const std::string& path, int level) = 0;

    // Reports problems as warnings: what would fail a read ends only the
    // chain when it is found in a later level.
    class AsWarnings : public TextureReport {
    public:
        explicit AsWarnings(TextureReport& report) : report_(report) {}
        void report(const TextureProblem& problem) override;

    private:
        TextureReport& report_;
    };

    // Decodes level `level` (its record fields set at level 0) from the open
    // file, or says why not through fail() and failUnlessChanged(); Changed
    // when the file changed during the read.
    virtual LevelResult readFile(const InputFile& file, const std::string& path, int level) = 0;

    // Level 0 fails with an error. A later level ends the chain with a
    // warning: the texture is still read, the rest generated. `words` fill
    // the message's %w, `number` its %u.
    LevelResult fail(TextureCause cause, const std::string& path, const std::string& words = {}, unsigned number = 0);

    // A file refused for what it holds (truncated, damaged, of a kind or size
    // not read): when it is another kind of file (a JPEG, a scene, a text:
    // texture/chain/FileKind.h), the message names that kind instead. Any
    // other refusal as failUnlessChanged.
    LevelResult refuseContent(const InputFile& file, TextureCause cause, const std::string& path);

    // A problem found in a file that changed while it was read is the
    // change's doing: the level is read again instead.
    LevelResult failUnlessChanged(const InputFile& file, TextureCause cause, const std::string& path)
    {
        return file.unchanged() ? fail(cause, path) : LevelResult::Changed;
    }

    // A warning about the file of the level being read.
    void warn(TextureCause cause, const std::string& path) const
    {
        Report(report_, Severity::Warning, cause, path, {kind_});
    }

    // How many levels the last file read filled, from level_ on: 1, or every
    // level a one-file chain's file held.
    virtual int levelsHeld() const { return 1; }

    // Whether a later level's file has the level's size (and the depth).
    bool fitsLevel(unsigned width, unsigned height, unsigned depth, int level) const;

    TextureRecord& holder_;
    TextureReport& report_;
    const char* kind_;
    AsWarnings laterLevelReport_{report_};
    int level_ = 0;
    // How many levels a file may fill at most (a one-file chain's reader
    // asks): the read's fileLevels.
    int fileLevels_ = kMaxTextureLevels;

private:
    friend class ChainWalk;
};

// Clears the holder, then reads the chain's files into it, setting the level
// count and flags; no more than `fileLevels` files (level 0 always). Level 0
// is read in `format` when one is given, else by its first bytes. `palette`:
// where a chain of palette files keeps its palette and indices (nullptr:
// nowhere). With `stamps`, each file whose level was read adds its stamp with
// the CRC-32 of the bytes decoded, level 0 first. Returns the chain's format,
// nullptr when level 0 was not read: then the holder is cleared except for
// its name field, which always holds `first` (cut to 255 characters).
[[nodiscard]] const ChainFormat* WalkChain(const std::string& first, TextureRecord& holder, TextureReport& report,
                                           int fileLevels, PngChainPalette* palette,
                                           std::vector<FileStamp>* stamps = nullptr,
                                           const ChainFormat* format = nullptr);
