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
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/io/FileRead.h"

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

protected:
    // Decodes level `level` (its record fields set at level 0) from the open
    // file, or says why not through fail() and failUnlessChanged(); Changed
    // when the file changed during the read.
    virtual LevelResult readFile(const InputFile& file, const std::string& path, int level) = 0;

    // Level 0 fails with an error. A later level ends the chain with a
    // warning: the texture is still read, the rest generated. `words` fill
    // the message's %w.
    LevelResult fail(TextureCause cause, const std::string& path, const std::string& words = {});

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
    int level_ = 0;

private:
    LevelResult readLevel(const std::string& path, int level);
    LevelResult readLevelOnce(const std::string& path, int level);
    LevelResult refuseOpen(FileReadStatus status, const std::string& path, int level);
};
