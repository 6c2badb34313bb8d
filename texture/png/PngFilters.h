// PNG's five row filters, both ways: undoing them on decode, in place, and
// choosing and applying one per row on encode. A row's bytes are its samples
// without the filter byte; `above` is the row before it, unfiltered (all zero
// for the first row); `bytesPerPixel` is 1 to 8 (below 8 bits a sample, 1).
#pragma once

#include <cstddef>
#include <cstdint>

enum class PngFilter : uint8_t { none, sub, up, average, paeth };
constexpr unsigned kPngFilterCount = 5;

// Undoes `filter` on `row` in place. False for a filter byte past Paeth.
bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bytesPerPixel);

// Applies `filter` to `row` into `out` (rowBytes bytes); `row` is left as it is.
void FilterRow(PngFilter filter, const uint8_t* row, const uint8_t* above, uint8_t* out, size_t rowBytes,
               unsigned bytesPerPixel);

// Filters `row` into `out` with the filter whose bytes, read as signed, have
// the smallest sum of magnitudes (the usual guess at what deflate packs
// best), and returns it. `scratch` holds rowBytes bytes.
PngFilter FilterRowByMinimumSum(const uint8_t* row, const uint8_t* above, uint8_t* out, uint8_t* scratch,
                                size_t rowBytes, unsigned bytesPerPixel);
