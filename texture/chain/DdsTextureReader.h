// Reads a DDS file into a texture record: a DDS chain is one file, which
// holds every level itself, so the walk along the chain
// (texture/chain/ChainFileReader.h) looks for no level files beside it. The
// header is read first and checked against the file's size; then the palette
// of a palette file, and each level the texture takes (texture/dds/DdsDecoder.h
// says which and what they become): levels kept as stored are read straight
// into their place in the record, the others into a buffer and decoded from
// there. A refused file fails the read with the message that says why.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ChainFileReader.h"

#include <memory>

// The reader of a DDS file (texture/chain/ChainFormats.h); its levels are
// in the record, so `palette` is not used. nullptr when the memory cannot be
// had.
std::unique_ptr<ChainFileReader> MakeDdsFileReader(TextureRecord& holder, TextureReport& report,
                                                   PngChainPalette* palette);
