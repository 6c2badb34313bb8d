#include "texture/convert/BoxFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <pthread.h>

namespace {

// Below this many output pixels a second thread costs more than it saves.
constexpr uint64_t kPixelsForTwoThreads = 1u << 16;

constexpr unsigned kEncodeEntries = 65536 / 4 + 1;

struct SrgbTables {
    uint16_t decode[256];
    // Indexed by linear light in units of 4/65535: small enough to stay in
    // the first-level cache, fine enough (0.1 of an 8-bit step where the
    // curve is steepest) to keep results within 1 of exact.
    uint8_t encode[kEncodeEntries];
    // ceil(2^32 / d) for an alpha sum d: division by multiplication. The
    // quotient may come out 1/65535 high, far below one 8-bit step.
    uint64_t reciprocal[4 * 255 + 1];

    SrgbTables()
    {
        for (int c = 0; c < 256; ++c) {
            const double v = c / 255.0;
            const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            decode[c] = uint16_t(std::lround(linear * 65535));
        }
        reciprocal[0] = 0;
        for (uint64_t d = 1; d <= 4 * 255; ++d)
            reciprocal[d] = ((uint64_t(1) << 32) + d - 1) / d;
        for (unsigned i = 0; i < kEncodeEntries; ++i) {
            const double linear = std::min(4.0 * i / 65535.0, 1.0);
            const double v = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            encode[i] = uint8_t(std::lround(v * 255));
        }
    }
};

const SrgbTables& Tables()
{
    static const SrgbTables tables;
    return tables;
}

// One pixel from the 2 x 2 block whose pixels start at p[0..3] (bytes B, G,
// R, A each). Bytes are loaded one by one: cheaper than shifting them out of
// whole pixels.
uint32_t FilterBlock(const uint8_t* const p[4], bool alphaWeights, const SrgbTables& t)
{
    const unsigned a[4] = {p[0][3], p[1][3], p[2][3], p[3][3]};
    const unsigned sumA = a[0] + a[1] + a[2] + a[3];
    const unsigned alpha = (sumA + 2) >> 2;
    uint32_t out = uint32_t(alpha) << 24;
    if (!alphaWeights || sumA == 0 || sumA == 4 * 255) {
        for (int c = 0; c < 3; ++c) {
            const unsigned s = t.decode[p[0][c]] + t.decode[p[1][c]] + t.decode[p[2][c]] + t.decode[p[3][c]];
            out |= uint32_t(t.encode[(s + 8) >> 4]) << (8 * c);  // the mean, / 4 again for the table
        }
        return out;
    }
    const uint64_t reciprocal = t.reciprocal[sumA];
    for (int c = 0; c < 3; ++c) {
        const uint32_t s = uint32_t(t.decode[p[0][c]]) * a[0] + uint32_t(t.decode[p[1][c]]) * a[1] +
                           uint32_t(t.decode[p[2][c]]) * a[2] + uint32_t(t.decode[p[3][c]]) * a[3];
        const uint32_t linear = uint32_t((uint64_t(s + sumA / 2) * reciprocal) >> 32);
        out |= uint32_t(t.encode[(linear + 2) >> 2]) << (8 * c);
    }
    return out;
}

void FilterRows(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width, unsigned firstRow,
                unsigned endRow, bool alphaWeights)
{
    const SrgbTables& t = Tables();
    const size_t sourceRowBytes = size_t(sourceWidth) * 4;
    for (unsigned y = firstRow; y < endRow; ++y) {
        const uint8_t* top = source + 2 * size_t(y) * sourceRowBytes;
        const uint8_t* bottom = top + sourceRowBytes;
        uint8_t* out = dest + size_t(y) * width * 4;
        for (unsigned x = 0; x < width; ++x) {
            const uint8_t* const block[4] = {top + 8 * size_t(x), top + 8 * size_t(x) + 4, bottom + 8 * size_t(x),
                                             bottom + 8 * size_t(x) + 4};
            const uint32_t pixel = FilterBlock(block, alphaWeights, t);
            std::memcpy(out + 4 * size_t(x), &pixel, 4);
        }
    }
}

struct RowsJob {
    const uint8_t* source;
    unsigned sourceWidth;
    uint8_t* dest;
    unsigned width, firstRow, endRow;
    bool alphaWeights;
};

void* FilterRowsJob(void* argument)
{
    const RowsJob& job = *static_cast<const RowsJob*>(argument);
    FilterRows(job.source, job.sourceWidth, job.dest, job.width, job.firstRow, job.endRow, job.alphaWeights);
    return nullptr;
}

}  // namespace

void BoxFilterLevel(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width, unsigned height,
                    bool alphaWeights)
{
    Tables();  // built once, before any thread needs them
    if (uint64_t(width) * height < kPixelsForTwoThreads || height < 2) {
        FilterRows(source, sourceWidth, dest, width, 0, height, alphaWeights);
        return;
    }
    // The bottom half on a second thread, when the system gives one (pthread:
    // its refusal is a return value, not an exception); else here.
    RowsJob bottom{source, sourceWidth, dest, width, height / 2, height, alphaWeights};
    pthread_t second;
    const bool started = pthread_create(&second, nullptr, FilterRowsJob, &bottom) == 0;
    FilterRows(source, sourceWidth, dest, width, 0, bottom.firstRow, alphaWeights);
    if (started)
        pthread_join(second, nullptr);
    else
        FilterRowsJob(&bottom);
}
