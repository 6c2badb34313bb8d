// The texts the TGA reader and writer show, each naming the file (%s) it is
// about. Errors go out under the caption "Error", warnings under "Warning".
#pragma once

#include "texture/TextureReport.h"

#include <string>

constexpr const char* kCantFindTga = "Can't find TGA file %s";
constexpr const char* kCantReadTga = "Can't read TGA file %s";
constexpr const char* kTgaPermissionDenied = "Can't read TGA file %s: permission denied";
constexpr const char* kTgaNotRegularFile = "TGA file %s is not a regular file";
constexpr const char* kTgaChanged = "TGA file %s changed while it was read";
constexpr const char* kTgaTruncated = "TGA file %s is truncated";
constexpr const char* kTgaUnsupportedSize = "TGA file %s has an unsupported size";
constexpr const char* kTgaShortOfPixels = "TGA file %s holds fewer pixels than its size";
constexpr const char* kTgaDoesNotFitLevel = "TGA file %s does not fit its mip level";
constexpr const char* kTgaPaletteError = "Error with TGA palette!";
constexpr const char* kTgaUnsupportedImageType = "TGA file %s has an image type that is not read";
constexpr const char* kTgaReservedColourMapType = "TGA file %s has a reserved colour map type";
constexpr const char* kTgaUnsupportedPixelDepth = "TGA file %s has an unsupported pixel depth";
constexpr const char* kTgaGreyDepth = "TGA file %s holds grey pixels of more than 8 bits";
constexpr const char* kTgaIndexDepth = "TGA file %s holds colour indices of other than 8 bits";
constexpr const char* kTgaEmptyColourMap = "TGA file %s has an empty colour map";
// Warnings: the pixels are still read.
constexpr const char* kTgaIndexBeyondMap = "TGA file %s has colour indices beyond its colour map (shown black)";
constexpr const char* kTgaRunPastImage = "TGA file %s has run-length packets running past the image (cut at its end)";
constexpr const char* kTgaColourMapFull =
    "TGA file %s has more colours than the colour map holds (the nearest ones are used)";
constexpr const char* kNoMemoryForTga = "Not enough memory for TGA file %s";
constexpr const char* kCantWriteTga = "Can't write TGA file %s";
constexpr const char* kNoNameAfterTga = "Can't name the mip level after TGA file %s";

// Reports `text` with its %s replaced by `path`, as an error or a warning.
void ReportTgaError(TextureReport& report, const char* text, const std::string& path);
void ReportTgaWarning(TextureReport& report, const char* text, const std::string& path);
