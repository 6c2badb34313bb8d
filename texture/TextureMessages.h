// The messages the TGA reader gives, each about the file (%s) it reads: its
// cause, the sentence the window shows, and the few words that follow the
// file's name elsewhere. Those without "Warning" below stop the read. The
// image writers' own messages come last.
#pragma once

#include "texture/TextureReport.h"

inline constexpr TextureMessage kCantFindTga{TextureCause::NotFound, "Can't find TGA file %s", "does not exist"};
inline constexpr TextureMessage kCantReadTga{TextureCause::ReadFailed, "Can't read TGA file %s", "could not be read"};
inline constexpr TextureMessage kTgaPermissionDenied{TextureCause::PermissionDenied,
                                                     "Can't read TGA file %s: permission denied", "permission denied"};
inline constexpr TextureMessage kTgaNotRegularFile{TextureCause::NotRegularFile, "TGA file %s is not a regular file",
                                                   "is not a regular file"};
inline constexpr TextureMessage kTgaChanged{TextureCause::ChangedWhileRead, "TGA file %s changed while it was read",
                                            "changed while it was read"};
inline constexpr TextureMessage kTgaTruncated{TextureCause::Truncated, "TGA file %s is truncated", "is truncated"};
inline constexpr TextureMessage kTgaUnsupportedSize{TextureCause::UnsupportedSize,
                                                    "TGA file %s has an unsupported size", "has an unsupported size"};
inline constexpr TextureMessage kTgaShortOfPixels{
    TextureCause::Truncated, "TGA file %s holds fewer pixels than its size", "holds fewer pixels than its size"};
inline constexpr TextureMessage kTgaDoesNotFitLevel{
    TextureCause::LevelMismatch, "TGA file %s does not fit its mip level", "does not fit its mip level"};
inline constexpr TextureMessage kTgaPaletteError{TextureCause::UnsupportedKind, "Error with TGA palette!",
                                                 "has a colour map entry size that is not read"};
inline constexpr TextureMessage kTgaUnsupportedImageType{TextureCause::UnsupportedKind,
                                                         "TGA file %s has an image type that is not read",
                                                         "has an image type that is not read"};
inline constexpr TextureMessage kTgaReservedColourMapType{
    TextureCause::UnsupportedKind, "TGA file %s has a reserved colour map type", "has a reserved colour map type"};
inline constexpr TextureMessage kTgaUnsupportedPixelDepth{
    TextureCause::UnsupportedKind, "TGA file %s has an unsupported pixel depth", "has an unsupported pixel depth"};
inline constexpr TextureMessage kTgaGreyDepth{TextureCause::UnsupportedKind,
                                              "TGA file %s holds grey pixels of more than 8 bits",
                                              "holds grey pixels of more than 8 bits"};
inline constexpr TextureMessage kTgaIndexDepth{TextureCause::UnsupportedKind,
                                               "TGA file %s holds colour indices of other than 8 bits",
                                               "holds colour indices of other than 8 bits"};
inline constexpr TextureMessage kTgaEmptyColourMap{TextureCause::Damaged, "TGA file %s has an empty colour map",
                                                   "has an empty colour map"};
inline constexpr TextureMessage kNoMemoryForTga{TextureCause::OutOfMemory, "Not enough memory for TGA file %s",
                                                "does not fit in memory"};
// Warnings: the pixels are still read.
inline constexpr TextureMessage kTgaIndexBeyondMap{TextureCause::Damaged,
                                                   "TGA file %s has colour indices beyond its colour map (shown black)",
                                                   "has colour indices beyond its colour map (shown black)"};
inline constexpr TextureMessage kTgaRunPastImage{
    TextureCause::Damaged, "TGA file %s has run-length packets running past the image (cut at its end)",
    "has run-length packets running past the image (cut at its end)"};
inline constexpr TextureMessage kTgaColourMapFull{
    TextureCause::ColoursChanged, "TGA file %s has more colours than the colour map holds (the nearest ones are used)",
    "has more colours than the colour map holds (the nearest ones are used)"};

// Writing image files.
constexpr TextureMessage kChainToStream{
    TextureCause::NotRegularFile, "Can't write a chain of %u mip levels: %s is a stream, which takes a single file",
    "could not be written: it is a stream, which takes a single file, not a chain of %u mip levels"};
