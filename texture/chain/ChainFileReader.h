// The walk along a texture's chain of level files that every file format
// shares: level 0 from the given file, each later level from the file the
// mip-chain rule names after the one before, while the level's larger side is
// at least 16 and the levels array has room. The flags come from the names.
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
// read by its own signature (a PNG by PNG's, anything else as TGA), whatever
// its name. A later level of the other kind is decoded by that kind's reader,
// given as readOtherKindWith(), and converted into the first level's format
// with a warning that names both kinds.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/io/FileRead.h"

#include <memory>
#include <string>

enum class LevelResult { Read, Missing, Failed, Changed };

class ChainFileReader {
public:
    // `kind` names the files in messages: "TGA", "PNG".
    ChainFileReader(TextureRecord& holder, TextureReport& report, const char* kind)
        : holder_(holder), report_(report), kind_(kind)
    {
    }
    virtual ~ChainFileReader() = default;

    // Clears the holder, then reads the chain's files into it, setting the
    // level count and flags; no more than `fileLevels` files (level 0 always).
    // Returns the number of levels read; with none the holder is cleared
    // except for its name field, which always holds `first` (cut to 255
    // characters).
    [[nodiscard]] int readChain(const std::string& first, int fileLevels = kMaxTextureLevels);

    // Makes the reader of the other kind of file, over the holder and report
    // it is given.
    using ReaderMaker = std::unique_ptr<ChainFileReader> (*)(TextureRecord& holder, TextureReport& report);
    // Later levels of the other kind are read with a reader `make` gives.
    // Without one, every file is read as this reader's kind.
    void readOtherKindWith(ReaderMaker make);

protected:
    // Whether this reader's files are PNG files (else TGA).
    virtual bool readsPng() const = 0;

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

    // Whether a later level's file has the level's size (and the depth).
    bool fitsLevel(unsigned width, unsigned height, unsigned depth, int level) const;

    TextureRecord& holder_;
    TextureReport& report_;
    const char* kind_;
    AsWarnings laterLevelReport_{report_};
    int level_ = 0;

private:
    LevelResult readLevel(const std::string& path, int level);
    LevelResult readLevelOnce(const std::string& path, int level);
    LevelResult readOtherKind(const InputFile& file, const std::string& path, int level);
    LevelResult refuseOpen(FileReadStatus status, const std::string& path, int level);

    // The level a file of the other kind is read into, as that reader's
    // level 0, and the reader.
    TextureRecord otherLevel_;
    std::unique_ptr<ChainFileReader> other_;
};
