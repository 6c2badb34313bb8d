// Writing a texture's mip chain as image files, one file per level, for the
// TGA writer and the PNG writer alike.
//
// The levels' names are planned by the mip-chain rule before a byte is
// written: when the rule cannot name every level (texture/chain/MipChainNaming.h
// says why it may not), nothing is written and the report names a first file
// that works. Otherwise every level is written to a temporary beside its file
// (texture/io/FileWrite.h), and the temporaries are renamed over the levels'
// files only once every one is whole; when any level fails, every temporary
// goes and no file changes. (Only a rename that the system refuses part-way,
// after every check has passed, leaves the levels renamed before it.) A
// stream (standard output, a device, a FIFO) takes a chain of one level, which
// is written through it; a chain of several levels is refused when any of its
// files is a stream.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"
#include "texture/io/FileWrite.h"

#include <functional>
#include <string>

// How image files are written.
struct ImageWriteOptions {
    // The files the texture was made from, which no output may replace.
    InputFiles inputs;
    // Each file flushed to disk before its rename. A batch of many files may
    // leave this off and flush once at its end (FlushFileSystemOf).
    bool flushEachFile = true;
    // The folder cleared of temporaries that killed writers left, first. A
    // batch clears its folder once and leaves this off.
    bool clearStaleTemporaries = true;
    // Whether a level's file that is a stream is written through. A batch
    // that names the files itself leaves links replaced and streams refused.
    StreamTargets streams = StreamTargets::writtenThrough;
};

// What kind of files a writer makes: the word for them in messages ("TGA"),
// the extension a name without one gets (".tga"), and whether one file holds
// every level (its encoder is asked for level 0 alone).
struct ImageFileKind {
    const char* name;
    const char* extension;
    bool oneFile = false;
};

// Writes one level's file through the sink; false when it could not.
using LevelEncoder = std::function<bool(int level, ByteSink& out)>;

// Writes levels 0 to levels - 1, level 0 under `path`. True when every file
// is in place; every problem is told to `report`.
[[nodiscard]] bool WriteImageChain(const std::string& path, int levels, const ImageFileKind& kind,
                                   const ImageWriteOptions& options, TextureReport& report, const LevelEncoder& encode);

// Writes the record's levels that hold pixels through WriteImageChain (as
// one file when the kind says so), stopping before the first level of zero
// width or height and saying where the chain stops. A record with no levels writes nothing and succeeds; one
// whose levels cannot be written (no pixel size, a missing buffer) is
// refused. True when every level with pixels is in place.
[[nodiscard]] bool WriteTextureChain(const std::string& path, const T3D_TEXTURE& record, const ImageFileKind& kind,
                                     const ImageWriteOptions& options, TextureReport& report,
                                     const LevelEncoder& encode);

// The number of levels, from level 0, that hold pixels: writers stop before
// the first level of zero width or height.
int LevelsWithPixels(unsigned width, unsigned height, int levels);

// Adds the files a chain read from `first` may come from (those of its levels
// that exist; a one-file chain's file alone), so that no output replaces one
// of them.
void AddChainFiles(InputFiles& inputs, const std::string& first);
