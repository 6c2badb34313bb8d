// BC7 decoding, written from the format's public description. A block's 128
// bits are read from the least significant end of its first byte: the mode (as
// many zero bits as its number, then a one), the partition, rotation and index
// selection where the mode has them, the endpoints one channel at a time, the
// p-bits (each endpoint's or each subset's lowest bit), then the indices that
// blend each pixel between its subset's two endpoints. Any 16 bytes are a
// block: nothing is refused.
#include "texture/dds/Bc7Block.h"

#include "texture/io/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <utility>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a little-endian machine is assumed");

namespace {

// What a mode keeps, and in how many bits.
struct Bc7Mode {
    unsigned subsets;
    unsigned partitionBits;
    unsigned rotationBits;
    unsigned indexSelectionBits;
    unsigned colourBits;  // of each red, green and blue endpoint, before its p-bit
    unsigned alphaBits;   // 0: the mode has no alpha, which is then 255
    bool endpointPBits;   // one p-bit for each endpoint
    bool sharedPBits;     // one p-bit for both endpoints of a subset
    unsigned indexBits;
    unsigned secondIndexBits;  // 0: one set of indices blends colour and alpha alike
};

constexpr Bc7Mode kModes[8] = {
    {3, 4, 0, 0, 4, 0, true, false, 3, 0},  {2, 6, 0, 0, 6, 0, false, true, 3, 0},
    {3, 6, 0, 0, 5, 0, false, false, 2, 0}, {2, 6, 0, 0, 7, 0, true, false, 2, 0},
    {1, 0, 2, 1, 5, 6, false, false, 2, 3}, {1, 0, 2, 0, 7, 8, false, false, 2, 2},
    {1, 0, 0, 0, 7, 7, true, false, 4, 0},  {2, 6, 0, 0, 5, 5, true, false, 2, 0},
};

// clang-format off
// The subset of each pixel, row by row, for each of the 64 partitions of two subsets.
constexpr uint8_t kTwoSubsetPartitions[64][16] = {
    {0,0,1,1, 0,0,1,1, 0,0,1,1, 0,0,1,1},
    {0,0,0,1, 0,0,0,1, 0,0,0,1, 0,0,0,1},
    {0,1,1,1, 0,1,1,1, 0,1,1,1, 0,1,1,1},
    {0,0,0,1, 0,0,1,1, 0,0,1,1, 0,1,1,1},
    {0,0,0,0, 0,0,0,1, 0,0,0,1, 0,0,1,1},
    {0,0,1,1, 0,1,1,1, 0,1,1,1, 1,1,1,1},
    {0,0,0,1, 0,0,1,1, 0,1,1,1, 1,1,1,1},
    {0,0,0,0, 0,0,0,1, 0,0,1,1, 0,1,1,1},
    {0,0,0,0, 0,0,0,0, 0,0,0,1, 0,0,1,1},
    {0,0,1,1, 0,1,1,1, 1,1,1,1, 1,1,1,1},
    {0,0,0,0, 0,0,0,1, 0,1,1,1, 1,1,1,1},
    {0,0,0,0, 0,0,0,0, 0,0,0,1, 0,1,1,1},
    {0,0,0,1, 0,1,1,1, 1,1,1,1, 1,1,1,1},
    {0,0,0,0, 0,0,0,0, 1,1,1,1, 1,1,1,1},
    {0,0,0,0, 1,1,1,1, 1,1,1,1, 1,1,1,1},
    {0,0,0,0, 0,0,0,0, 0,0,0,0, 1,1,1,1},
    {0,0,0,0, 1,0,0,0, 1,1,1,0, 1,1,1,1},
    {0,1,1,1, 0,0,0,1, 0,0,0,0, 0,0,0,0},
    {0,0,0,0, 0,0,0,0, 1,0,0,0, 1,1,1,0},
    {0,1,1,1, 0,0,1,1, 0,0,0,1, 0,0,0,0},
    {0,0,1,1, 0,0,0,1, 0,0,0,0, 0,0,0,0},
    {0,0,0,0, 1,0,0,0, 1,1,0,0, 1,1,1,0},
    {0,0,0,0, 0,0,0,0, 1,0,0,0, 1,1,0,0},
    {0,1,1,1, 0,0,1,1, 0,0,1,1, 0,0,0,1},
    {0,0,1,1, 0,0,0,1, 0,0,0,1, 0,0,0,0},
    {0,0,0,0, 1,0,0,0, 1,0,0,0, 1,1,0,0},
    {0,1,1,0, 0,1,1,0, 0,1,1,0, 0,1,1,0},
    {0,0,1,1, 0,1,1,0, 0,1,1,0, 1,1,0,0},
    {0,0,0,1, 0,1,1,1, 1,1,1,0, 1,0,0,0},
    {0,0,0,0, 1,1,1,1, 1,1,1,1, 0,0,0,0},
    {0,1,1,1, 0,0,0,1, 1,0,0,0, 1,1,1,0},
    {0,0,1,1, 1,0,0,1, 1,0,0,1, 1,1,0,0},
    {0,1,0,1, 0,1,0,1, 0,1,0,1, 0,1,0,1},
    {0,0,0,0, 1,1,1,1, 0,0,0,0, 1,1,1,1},
    {0,1,0,1, 1,0,1,0, 0,1,0,1, 1,0,1,0},
    {0,0,1,1, 0,0,1,1, 1,1,0,0, 1,1,0,0},
    {0,0,1,1, 1,1,0,0, 0,0,1,1, 1,1,0,0},
    {0,1,0,1, 0,1,0,1, 1,0,1,0, 1,0,1,0},
    {0,1,1,0, 1,0,0,1, 0,1,1,0, 1,0,0,1},
    {0,1,0,1, 1,0,1,0, 1,0,1,0, 0,1,0,1},
    {0,1,1,1, 0,0,1,1, 1,1,0,0, 1,1,1,0},
    {0,0,0,1, 0,0,1,1, 1,1,0,0, 1,0,0,0},
    {0,0,1,1, 0,0,1,0, 0,1,0,0, 1,1,0,0},
    {0,0,1,1, 1,0,1,1, 1,1,0,1, 1,1,0,0},
    {0,1,1,0, 1,0,0,1, 1,0,0,1, 0,1,1,0},
    {0,0,1,1, 1,1,0,0, 1,1,0,0, 0,0,1,1},
    {0,1,1,0, 0,1,1,0, 1,0,0,1, 1,0,0,1},
    {0,0,0,0, 0,1,1,0, 0,1,1,0, 0,0,0,0},
    {0,1,0,0, 1,1,1,0, 0,1,0,0, 0,0,0,0},
    {0,0,1,0, 0,1,1,1, 0,0,1,0, 0,0,0,0},
    {0,0,0,0, 0,0,1,0, 0,1,1,1, 0,0,1,0},
    {0,0,0,0, 0,1,0,0, 1,1,1,0, 0,1,0,0},
    {0,1,1,0, 1,1,0,0, 1,0,0,1, 0,0,1,1},
    {0,0,1,1, 0,1,1,0, 1,1,0,0, 1,0,0,1},
    {0,1,1,0, 0,0,1,1, 1,0,0,1, 1,1,0,0},
    {0,0,1,1, 1,0,0,1, 1,1,0,0, 0,1,1,0},
    {0,1,1,0, 1,1,0,0, 1,1,0,0, 1,0,0,1},
    {0,1,1,0, 0,0,1,1, 0,0,1,1, 1,0,0,1},
    {0,1,1,1, 1,1,1,0, 1,0,0,0, 0,0,0,1},
    {0,0,0,1, 1,0,0,0, 1,1,1,0, 0,1,1,1},
    {0,0,0,0, 1,1,1,1, 0,0,1,1, 0,0,1,1},
    {0,0,1,1, 0,0,1,1, 1,1,1,1, 0,0,0,0},
    {0,0,1,0, 0,0,1,0, 1,1,1,0, 1,1,1,0},
    {0,1,0,0, 0,1,0,0, 0,1,1,1, 0,1,1,1},
};

// The same for the 64 partitions of three subsets.
constexpr uint8_t kThreeSubsetPartitions[64][16] = {
    {0,0,1,1, 0,0,1,1, 0,2,2,1, 2,2,2,2},
    {0,0,0,1, 0,0,1,1, 2,2,1,1, 2,2,2,1},
    {0,0,0,0, 2,0,0,1, 2,2,1,1, 2,2,1,1},
    {0,2,2,2, 0,0,2,2, 0,0,1,1, 0,1,1,1},
    {0,0,0,0, 0,0,0,0, 1,1,2,2, 1,1,2,2},
    {0,0,1,1, 0,0,1,1, 0,0,2,2, 0,0,2,2},
    {0,0,2,2, 0,0,2,2, 1,1,1,1, 1,1,1,1},
    {0,0,1,1, 0,0,1,1, 2,2,1,1, 2,2,1,1},
    {0,0,0,0, 0,0,0,0, 1,1,1,1, 2,2,2,2},
    {0,0,0,0, 1,1,1,1, 1,1,1,1, 2,2,2,2},
    {0,0,0,0, 1,1,1,1, 2,2,2,2, 2,2,2,2},
    {0,0,1,2, 0,0,1,2, 0,0,1,2, 0,0,1,2},
    {0,1,1,2, 0,1,1,2, 0,1,1,2, 0,1,1,2},
    {0,1,2,2, 0,1,2,2, 0,1,2,2, 0,1,2,2},
    {0,0,1,1, 0,1,1,2, 1,1,2,2, 1,2,2,2},
    {0,0,1,1, 2,0,0,1, 2,2,0,0, 2,2,2,0},
    {0,0,0,1, 0,0,1,1, 0,1,1,2, 1,1,2,2},
    {0,1,1,1, 0,0,1,1, 2,0,0,1, 2,2,0,0},
    {0,0,0,0, 1,1,2,2, 1,1,2,2, 1,1,2,2},
    {0,0,2,2, 0,0,2,2, 0,0,2,2, 1,1,1,1},
    {0,1,1,1, 0,1,1,1, 0,2,2,2, 0,2,2,2},
    {0,0,0,1, 0,0,0,1, 2,2,2,1, 2,2,2,1},
    {0,0,0,0, 0,0,1,1, 0,1,2,2, 0,1,2,2},
    {0,0,0,0, 1,1,0,0, 2,2,1,0, 2,2,1,0},
    {0,1,2,2, 0,1,2,2, 0,0,1,1, 0,0,0,0},
    {0,0,1,2, 0,0,1,2, 1,1,2,2, 2,2,2,2},
    {0,1,1,0, 1,2,2,1, 1,2,2,1, 0,1,1,0},
    {0,0,0,0, 0,1,1,0, 1,2,2,1, 1,2,2,1},
    {0,0,2,2, 1,1,0,2, 1,1,0,2, 0,0,2,2},
    {0,1,1,0, 0,1,1,0, 2,0,0,2, 2,2,2,2},
    {0,0,1,1, 0,1,2,2, 0,1,2,2, 0,0,1,1},
    {0,0,0,0, 2,0,0,0, 2,2,1,1, 2,2,2,1},
    {0,0,0,0, 0,0,0,2, 1,1,2,2, 1,2,2,2},
    {0,2,2,2, 0,0,2,2, 0,0,1,2, 0,0,1,1},
    {0,0,1,1, 0,0,1,2, 0,0,2,2, 0,2,2,2},
    {0,1,2,0, 0,1,2,0, 0,1,2,0, 0,1,2,0},
    {0,0,0,0, 1,1,1,1, 2,2,2,2, 0,0,0,0},
    {0,1,2,0, 1,2,0,1, 2,0,1,2, 0,1,2,0},
    {0,1,2,0, 2,0,1,2, 1,2,0,1, 0,1,2,0},
    {0,0,1,1, 2,2,0,0, 1,1,2,2, 0,0,1,1},
    {0,0,1,1, 1,1,2,2, 2,2,0,0, 0,0,1,1},
    {0,1,0,1, 0,1,0,1, 2,2,2,2, 2,2,2,2},
    {0,0,0,0, 0,0,0,0, 2,1,2,1, 2,1,2,1},
    {0,0,2,2, 1,1,2,2, 0,0,2,2, 1,1,2,2},
    {0,0,2,2, 0,0,1,1, 0,0,2,2, 0,0,1,1},
    {0,2,2,0, 1,2,2,1, 0,2,2,0, 1,2,2,1},
    {0,1,0,1, 2,2,2,2, 2,2,2,2, 0,1,0,1},
    {0,0,0,0, 2,1,2,1, 2,1,2,1, 2,1,2,1},
    {0,1,0,1, 0,1,0,1, 0,1,0,1, 2,2,2,2},
    {0,2,2,2, 0,1,1,1, 0,2,2,2, 0,1,1,1},
    {0,0,0,2, 1,1,1,2, 0,0,0,2, 1,1,1,2},
    {0,0,0,0, 2,1,1,2, 2,1,1,2, 2,1,1,2},
    {0,2,2,2, 0,1,1,1, 0,1,1,1, 0,2,2,2},
    {0,0,0,2, 1,1,1,2, 1,1,1,2, 0,0,0,2},
    {0,1,1,0, 0,1,1,0, 0,1,1,0, 2,2,2,2},
    {0,0,0,0, 0,0,0,0, 2,1,1,2, 2,1,1,2},
    {0,1,1,0, 0,1,1,0, 2,2,2,2, 2,2,2,2},
    {0,0,2,2, 0,0,1,1, 0,0,1,1, 0,0,2,2},
    {0,0,2,2, 1,1,2,2, 1,1,2,2, 0,0,2,2},
    {0,0,0,0, 0,0,0,0, 0,0,0,0, 2,1,1,2},
    {0,0,0,2, 0,0,0,1, 0,0,0,2, 0,0,0,1},
    {0,2,2,2, 1,2,2,2, 0,2,2,2, 1,2,2,2},
    {0,1,0,1, 2,2,2,2, 2,2,2,2, 2,2,2,2},
    {0,1,1,1, 2,0,1,1, 2,2,0,1, 2,2,2,0},
};

// The anchor pixel of subset 1 in each partition of two subsets.
constexpr uint8_t kTwoSubsetSecondAnchors[64] = {
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
    15,  2,  8,  2,  2,  8,  8, 15,  2,  8,  2,  2,  8,  8,  2,  2,
    15, 15,  6,  8,  2,  8, 15, 15,  2,  8,  2,  2,  2, 15, 15,  6,
     6,  2,  6,  8, 15, 15,  2,  2, 15, 15, 15, 15, 15,  2,  2, 15,
};

// The anchor pixels of subsets 1 and 2 in each partition of three subsets.
constexpr uint8_t kThreeSubsetSecondAnchors[64] = {
     3,  3, 15, 15,  8,  3, 15, 15,  8,  8,  6,  6,  6,  5,  3,  3,
     3,  3,  8, 15,  3,  3,  6, 10,  5,  8,  8,  6,  8,  5, 15, 15,
     8, 15,  3,  5,  6, 10,  8, 15, 15,  3, 15,  5, 15, 15, 15, 15,
     3, 15,  5,  5,  5,  8,  5, 10,  5, 10,  8, 13, 15, 12,  3,  3,
};
constexpr uint8_t kThreeSubsetThirdAnchors[64] = {
    15,  8,  8,  3, 15, 15,  3,  8, 15, 15, 15, 15, 15, 15, 15,  8,
    15,  8, 15,  3, 15,  8, 15,  8,  3, 15,  6, 10, 15, 15, 10,  8,
    15,  3, 15, 10, 10,  8,  9, 10,  6, 15,  8, 15,  3,  6,  6,  8,
    15,  3, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,  3, 15, 15,  8,
};
// clang-format on

constexpr uint8_t kOneSubset[16] = {};

// The weight of the second endpoint, out of 64, for each index of 2, 3 and 4 bits.
constexpr uint8_t kWeights2[4] = {0, 21, 43, 64};
constexpr uint8_t kWeights3[8] = {0, 9, 18, 27, 37, 46, 55, 64};
constexpr uint8_t kWeights4[16] = {0, 4, 9, 13, 17, 21, 26, 30, 34, 38, 43, 47, 51, 55, 60, 64};

const uint8_t* WeightsOfIndices(unsigned indexBits)
{
    if (indexBits == 2)
        return kWeights2;
    return indexBits == 3 ? kWeights3 : kWeights4;
}

// The block's bits, taken from the least significant end.
class BlockBits {
public:
    explicit BlockBits(const uint8_t block[16]) : low_(GetU64(block)), high_(GetU64(block + 8)) {}

    // The next `count` bits (0 to 63) as a number.
    uint64_t take(unsigned count)
    {
        const uint64_t value = low_ & ((uint64_t(1) << count) - 1);
        skip(count);
        return value;
    }

    // Passes over the next `count` bits (0 to 63).
    void skip(unsigned count)
    {
        // high_ moves in two shifts so that neither reaches 64 when count is 0.
        low_ = low_ >> count | (high_ << 1) << (63 - count);
        high_ >>= count;
    }

private:
    uint64_t low_;
    uint64_t high_;
};

// Which subset each pixel belongs to, and the anchors, one pixel of each
// subset (the first pixel for subset 0) whose index is stored with its top
// bit left out, as that bit is always 0; the anchors are in pixel order,
// the order in which TakeIndices puts their bits back.
struct Partition {
    const uint8_t* subsetOfPixel;
    unsigned anchorCount;
    uint8_t anchors[3];
};

Partition PartitionOf(unsigned subsets, unsigned number)
{
    if (subsets == 2)
        return {kTwoSubsetPartitions[number], 2, {0, kTwoSubsetSecondAnchors[number], 0}};
    if (subsets == 3) {
        const uint8_t second = kThreeSubsetSecondAnchors[number], third = kThreeSubsetThirdAnchors[number];
        return {kThreeSubsetPartitions[number], 3, {0, std::min(second, third), std::max(second, third)}};
    }
    return {kOneSubset, 1, {0, 0, 0}};
}

// Takes the 16 indices of `indexBits` bits each (2 to 4), the anchors'
// shorter by one, and gives them back at an even spacing: index i in bits
// i * indexBits on, each anchor's left-out top bit put back as a zero.
uint64_t TakeIndices(BlockBits& bits, unsigned indexBits, const uint8_t* anchors, unsigned anchorCount)
{
    uint64_t indices = bits.take(16 * indexBits - anchorCount);
    for (unsigned a = 0; a < anchorCount; ++a) {
        const uint64_t below = (uint64_t(1) << (anchors[a] * indexBits + indexBits - 1)) - 1;
        indices = (indices & below) | (indices & ~below) << 1;
    }
    return indices;
}

// A value of `bits` bits (4 to 8) widened to 8 by repeating its top bits below it.
uint8_t Unquantise(unsigned value, unsigned bits)
{
    value <<= 8 - bits;
    return uint8_t(value | value >> bits);
}

// Colours as four 16-bit lanes, red in the lowest: a blend of two 8-bit
// values stays below 64 * 255 + 32 < 65536, so one multiply blends all four.
constexpr uint64_t kLaneBytes = 0x00FF00FF00FF00FF;
constexpr uint64_t kColourLanes = 0x0000FFFFFFFFFFFF;

uint64_t Blend(uint64_t first, uint64_t second, unsigned weight)
{
    return ((64 - weight) * first + weight * second + 0x0020002000200020) >> 6 & kLaneBytes;
}

// The lanes' low bytes as one RGBA word, red in the lowest byte, so that
// stored as it is, red comes first.
uint32_t LanesToRgba(uint64_t lanes)
{
    lanes = (lanes | lanes >> 8) & 0x0000FFFF0000FFFF;
    return uint32_t(lanes | lanes >> 16);
}

// The two endpoints of each subset of a block of mode M, endpoints[subset * 2 + end], in lanes.
template <unsigned M>
void ReadEndpoints(BlockBits& bits, uint64_t endpoints[6])
{
    constexpr Bc7Mode mode = kModes[M];
    const unsigned count = mode.subsets * 2;
    const unsigned precision[4] = {mode.colourBits, mode.colourBits, mode.colourBits, mode.alphaBits};
    unsigned values[6][4];
    for (unsigned c = 0; c < 4; ++c)
        for (unsigned e = 0; e < count; ++e)
            values[e][c] = unsigned(bits.take(precision[c]));

    unsigned pBits[6] = {};
    if (mode.endpointPBits)
        for (unsigned e = 0; e < count; ++e)
            pBits[e] = unsigned(bits.take(1));
    if (mode.sharedPBits)
        for (unsigned e = 0; e < count; e += 2)
            pBits[e] = pBits[e + 1] = unsigned(bits.take(1));

    const unsigned pBitCount = mode.endpointPBits || mode.sharedPBits ? 1 : 0;
    for (unsigned e = 0; e < count; ++e) {
        endpoints[e] = 0;
        for (unsigned c = 0; c < 4; ++c) {
            const unsigned value = values[e][c] << pBitCount | pBits[e];
            const uint8_t wide = precision[c] ? Unquantise(value, precision[c] + pBitCount) : 255;
            endpoints[e] |= uint64_t(wide) << (16 * c);
        }
    }
}

// A block of mode M, its mode bits already checked. The mode's numbers are
// constants here, so that each mode's loops are laid out for it alone.
template <unsigned M>
void DecodeBlockOfMode(const uint8_t block[16], uint8_t rgba[64])
{
    constexpr Bc7Mode mode = kModes[M];
    BlockBits bits(block);
    bits.skip(M + 1);
    const Partition partition = PartitionOf(mode.subsets, unsigned(bits.take(mode.partitionBits)));
    const unsigned rotation = unsigned(bits.take(mode.rotationBits));
    const bool alphaTakesFirstIndices = bits.take(mode.indexSelectionBits) != 0;
    uint64_t endpoints[6];
    ReadEndpoints<M>(bits, endpoints);

    const uint64_t indices = TakeIndices(bits, mode.indexBits, partition.anchors, partition.anchorCount);
    // The second set of indices, where the mode has one, follows the first;
    // its only anchor is pixel 0.
    const uint64_t secondIndices =
        mode.secondIndexBits ? TakeIndices(bits, mode.secondIndexBits, partition.anchors, 1) : 0;
    const uint8_t* weights = WeightsOfIndices(mode.indexBits);
    const uint8_t* secondWeights = WeightsOfIndices(mode.secondIndexBits);
    constexpr unsigned kIndexMask = (1u << mode.indexBits) - 1, kSecondIndexMask = (1u << mode.secondIndexBits) - 1;

    for (unsigned i = 0; i < 16; ++i) {
        const unsigned subset = partition.subsetOfPixel[i];
        const unsigned weight = weights[indices >> (i * mode.indexBits) & kIndexMask];
        uint64_t lanes = Blend(endpoints[subset * 2], endpoints[subset * 2 + 1], weight);
        if constexpr (mode.secondIndexBits != 0) {
            const unsigned secondWeight = secondWeights[secondIndices >> (i * mode.secondIndexBits) & kSecondIndexMask];
            const uint64_t second = Blend(endpoints[0], endpoints[1], secondWeight);
            const uint64_t colour = alphaTakesFirstIndices ? second : lanes;
            const uint64_t alpha = alphaTakesFirstIndices ? lanes : second;
            lanes = (colour & kColourLanes) | (alpha & ~kColourLanes);
        }
        uint8_t* pixel = rgba + i * 4;
        const uint32_t packed = LanesToRgba(lanes);
        std::memcpy(pixel, &packed, 4);
        // Rotation swaps alpha with red, green or blue once the pixel is blended.
        if (rotation)
            std::swap(pixel[3], pixel[rotation - 1]);
    }
}

using BlockOfModeDecoder = void (*)(const uint8_t block[16], uint8_t rgba[64]);
constexpr BlockOfModeDecoder kDecoders[8] = {
    DecodeBlockOfMode<0>, DecodeBlockOfMode<1>, DecodeBlockOfMode<2>, DecodeBlockOfMode<3>,
    DecodeBlockOfMode<4>, DecodeBlockOfMode<5>, DecodeBlockOfMode<6>, DecodeBlockOfMode<7>,
};

}  // namespace

void DecodeBc7Block(const uint8_t block[16], uint8_t rgba[64])
{
    if (block[0] == 0) {
        std::memset(rgba, 0, 64);
        return;
    }
    unsigned mode = 0;
    while ((block[0] >> mode & 1) == 0)
        ++mode;
    kDecoders[mode](block, rgba);
}
