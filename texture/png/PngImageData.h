// The image data of an 8-bit, non-interlaced PNG taken without libspng, for
// the whole-image decode: the chunks walked, those the pixels depend on
// checked against their CRCs (ancillary chunks other than tRNS are passed
// over unchecked, as the libspng path passes them over, up to
// kMaxAncillaryBytes), the IDAT data joined, inflated in one call into rows
// with their filter bytes (the zlib stream's Adler-32 checked), and each row
// unfiltered in place. Anything this path refuses goes to libspng, which
// decides what it is: the refusals here only need to include every file
// libspng refuses.
#pragma once

#include "texture/io/ByteBlock.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// A chunk's length, type and CRC around its data.
constexpr size_t kPngChunkFraming = 12;

// The image data of a PNG: a span of the file's own bytes when one IDAT
// chunk holds it all, else the chunks' data joined in `joined`.
struct PngImageData {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    ByteBlock joined;
};

// Walks the chunks of the PNG in png[0, size) after its signature and
// header. False for a chunk cut short, a bad CRC, chunks out of order, no
// IEND, an unknown critical chunk, a chunk longer than 2^31 - 1 bytes, too
// many ancillary bytes, or joined data that cannot be held.
bool FindImageData(const uint8_t* png, size_t size, PngImageData& data);

// Called with each row, unfiltered, as soon as it is whole (y from 0).
using PngRowTaker = std::function<void(unsigned y, const uint8_t* row)>;

// Inflates `data` into `height` rows of rowBytes bytes each (and their filter
// bytes), unfiltering each in place and handing it on. False when the stream
// is damaged, fails its Adler-32, gives more or fewer bytes than the rows
// hold or leaves bytes unread, a filter byte is unknown, or the rows cannot
// be held.
bool InflateRows(const PngImageData& data, unsigned height, size_t rowBytes, unsigned bytesPerPixel,
                 const PngRowTaker& takeRow);

// The CRC-32 that closes the chunk whose type and data are typeAndData[0, size).
uint32_t PngChunkCrc(const uint8_t* typeAndData, size_t size);

// Four bytes, most significant first.
uint32_t ReadBigEndian32(const uint8_t* at);
void WriteBigEndian32(uint8_t* at, uint32_t value);
