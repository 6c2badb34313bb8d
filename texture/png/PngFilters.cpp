#include "texture/png/PngFilters.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The neighbour (left a, above b, above-left c) closest to a + b - c, ties
// going to a, then b; written with selects rather than branches, which the
// data would make unpredictable.
uint8_t Paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int bOrC = pb <= pc ? b : c;
    return uint8_t(pa <= pb && pa <= pc ? a : bOrC);
}

// Any filter at any pixel size, a byte at a time. The first bytesPerPixel
// bytes have no left neighbour (zero).
void UnfilterPlain(PngFilter filter, uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bpp)
{
    for (size_t i = 0; i < rowBytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
        switch (filter) {
        case PngFilter::none:
            return;
        case PngFilter::sub:
            row[i] = uint8_t(row[i] + a);
            break;
        case PngFilter::up:
            row[i] = uint8_t(row[i] + b);
            break;
        case PngFilter::average:
            row[i] = uint8_t(row[i] + (a + b) / 2);
            break;
        case PngFilter::paeth:
            row[i] = uint8_t(row[i] + Paeth(a, b, c));
            break;
        }
    }
}

// Up has no dependence along the row: sixteen bytes at a time.
void UnfilterUp(uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    size_t i = 0;
    for (; i + 16 <= rowBytes; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
    for (; i < rowBytes; ++i)
        row[i] = uint8_t(row[i] + above[i]);
}

// One pixel of N (3 or 4) bytes in the low lanes, the others zero.
template <unsigned N>
__m128i LoadPixel(const uint8_t* at)
{
    uint32_t v = 0;
    std::memcpy(&v, at, N);
    return _mm_cvtsi32_si128(int(v));
}

template <unsigned N>
void StorePixel(uint8_t* at, __m128i pixel)
{
    const uint32_t v = uint32_t(_mm_cvtsi128_si32(pixel));
    std::memcpy(at, &v, N);
}

__m128i Select(__m128i mask, __m128i ifSet, __m128i otherwise)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

__m128i Abs16(__m128i x)
{
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

// Sub, Average and Paeth at 3 and 4 bytes a pixel: each pixel depends on the
// one before it, so the lanes are the pixel's channels. Each undoes one pixel
// a time: its filtered bytes x and the pixel above b (low lanes, the others
// zero) give the pixel, and the state moves on.
struct SubPixel {
    __m128i a = _mm_setzero_si128();
    __m128i operator()(__m128i x, __m128i) { return a = _mm_add_epi8(a, x); }
};

struct AveragePixel {
    __m128i a = _mm_setzero_si128();
    __m128i operator()(__m128i x, __m128i b)
    {
        // _mm_avg_epu8 rounds up; the filter rounds down.
        const __m128i odd = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
        return a = _mm_add_epi8(x, _mm_sub_epi8(_mm_avg_epu8(a, b), odd));
    }
};

struct PaethPixel {
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();  // 16-bit lanes
    __m128i operator()(__m128i x, __m128i above)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i b = _mm_unpacklo_epi8(above, zero);
        const __m128i pa = Abs16(_mm_sub_epi16(b, c)), pb = Abs16(_mm_sub_epi16(a, c));
        const __m128i pc = Abs16(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
        const __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
        __m128i predicted = Select(_mm_cmpeq_epi16(pb, smallest), b, c);
        predicted = Select(_mm_cmpeq_epi16(pa, smallest), a, predicted);
        const __m128i pixel = _mm_add_epi8(x, _mm_packus_epi16(predicted, zero));
        a = _mm_unpacklo_epi8(pixel, zero);
        c = b;
        return pixel;
    }
};

// 4-byte pixels, one load and one store each.
template <typename Pixel>
void UnfilterRgba(uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    Pixel pixel;
    for (size_t i = 0; i < rowBytes; i += 4)
        StorePixel<4>(row + i, pixel(LoadPixel<4>(row + i), LoadPixel<4>(above + i)));
}

// Pixel K (of 3 bytes) of a 16-byte block, in the low lanes.
template <int K>
__m128i Take(__m128i block)
{
    return _mm_and_si128(_mm_srli_si128(block, 3 * K), _mm_cvtsi32_si128(0x00FFFFFF));
}

// 3-byte pixels, four at a time: each block of 12 bytes is loaded once (16
// bytes, within the row) and stored once, so that no load overlaps a store
// just made, which would wait for it; the last pixels one by one.
template <typename Pixel>
void UnfilterRgb(uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    Pixel pixel;
    size_t i = 0;
    for (; i + 16 <= rowBytes; i += 12) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        __m128i out = pixel(Take<0>(x), Take<0>(b));
        out = _mm_or_si128(out, _mm_slli_si128(pixel(Take<1>(x), Take<1>(b)), 3));
        out = _mm_or_si128(out, _mm_slli_si128(pixel(Take<2>(x), Take<2>(b)), 6));
        out = _mm_or_si128(out, _mm_slli_si128(pixel(Take<3>(x), Take<3>(b)), 9));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), out);
        StorePixel<4>(row + i + 8, _mm_srli_si128(out, 8));
    }
    for (; i < rowBytes; i += 3)
        StorePixel<3>(row + i, pixel(LoadPixel<3>(row + i), LoadPixel<3>(above + i)));
}

template <typename Pixel>
void UnfilterPixels(uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bytesPerPixel)
{
    if (bytesPerPixel == 3)
        UnfilterRgb<Pixel>(row, above, rowBytes);
    else
        UnfilterRgba<Pixel>(row, above, rowBytes);
}

// Sub, Average or Paeth at 3 or 4 bytes a pixel.
void UnfilterWide(PngFilter filter, uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bytesPerPixel)
{
    if (filter == PngFilter::sub)
        UnfilterPixels<SubPixel>(row, above, rowBytes, bytesPerPixel);
    else if (filter == PngFilter::average)
        UnfilterPixels<AveragePixel>(row, above, rowBytes, bytesPerPixel);
    else
        UnfilterPixels<PaethPixel>(row, above, rowBytes, bytesPerPixel);
}

// The sum of the bytes' magnitudes as signed values, 16 at a time: the
// smaller of v and -v, added across by psadbw.
uint64_t SumOfMagnitudes(const uint8_t* bytes, size_t count)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i sums = zero;
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), zero));
    }
    uint64_t sum = uint64_t(_mm_cvtsi128_si64(sums)) + uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    for (; i < count; ++i)
        sum += unsigned(std::abs(int(int8_t(bytes[i]))));
    return sum;
}

// Bytes [from, to) of a row filtered, one at a time.
void FilterPlain(PngFilter filter, const uint8_t* row, const uint8_t* above, uint8_t* out, size_t from, size_t to,
                 unsigned bpp)
{
    for (size_t i = from; i < to; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
        int predicted = 0;
        if (filter == PngFilter::sub)
            predicted = a;
        else if (filter == PngFilter::up)
            predicted = b;
        else if (filter == PngFilter::average)
            predicted = (a + b) / 2;
        else if (filter == PngFilter::paeth)
            predicted = Paeth(a, b, c);
        out[i] = uint8_t(row[i] - predicted);
    }
}

// Paeth's predictor of eight samples widened to 16 bits.
__m128i PaethOf(__m128i a, __m128i b, __m128i c)
{
    const __m128i pa = Abs16(_mm_sub_epi16(b, c)), pb = Abs16(_mm_sub_epi16(a, c));
    const __m128i pc = Abs16(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
    const __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
    return Select(_mm_cmpeq_epi16(pa, smallest), a, Select(_mm_cmpeq_epi16(pb, smallest), b, c));
}

// The prediction of 16 bytes from their left (a), upper (b) and upper-left (c)
// neighbours. Every input is the unfiltered image's, so no byte waits on another.
__m128i Predicted(PngFilter filter, __m128i a, __m128i b, __m128i c)
{
    switch (filter) {
    case PngFilter::sub:
        return a;
    case PngFilter::up:
        return b;
    case PngFilter::average:  // floor((a + b) / 2): pavgb rounds up where a + b is odd
        return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
    case PngFilter::paeth: {
        const __m128i zero = _mm_setzero_si128();
        const __m128i low = PaethOf(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
        const __m128i high =
            PaethOf(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
        return _mm_packus_epi16(low, high);
    }
    default:
        return _mm_setzero_si128();
    }
}

}  // namespace

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bytesPerPixel)
{
    if (filter >= kPngFilterCount)
        return false;
    const PngFilter f = PngFilter(filter);
    if (f == PngFilter::up)
        UnfilterUp(row, above, rowBytes);
    else if ((bytesPerPixel == 3 || bytesPerPixel == 4) && f != PngFilter::none)
        UnfilterWide(f, row, above, rowBytes, bytesPerPixel);
    else
        UnfilterPlain(f, row, above, rowBytes, bytesPerPixel);
    return true;
}

void FilterRow(PngFilter filter, const uint8_t* row, const uint8_t* above, uint8_t* out, size_t rowBytes,
               unsigned bytesPerPixel)
{
    const unsigned bpp = bytesPerPixel;
    // The first pixel has no left neighbour; from there on, 16 bytes a step.
    size_t i = std::min<size_t>(bpp, rowBytes);
    FilterPlain(filter, row, above, out, 0, i, bpp);
    const auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
    for (; i + 16 <= rowBytes; i += 16) {
        const __m128i predicted = Predicted(filter, load(row + i - bpp), load(above + i), load(above + i - bpp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_sub_epi8(load(row + i), predicted));
    }
    FilterPlain(filter, row, above, out, i, rowBytes, bpp);
}

PngFilter FilterRowByMinimumSum(const uint8_t* row, const uint8_t* above, uint8_t* out, uint8_t* scratch,
                                size_t rowBytes, unsigned bytesPerPixel)
{
    PngFilter best = PngFilter::none;
    uint64_t bestSum = SumOfMagnitudes(row, rowBytes);
    std::memcpy(out, row, rowBytes);
    for (unsigned f = 1; f < kPngFilterCount; ++f) {
        FilterRow(PngFilter(f), row, above, scratch, rowBytes, bytesPerPixel);
        const uint64_t sum = SumOfMagnitudes(scratch, rowBytes);
        if (sum < bestSum) {
            bestSum = sum;
            best = PngFilter(f);
            std::memcpy(out, scratch, rowBytes);
        }
    }
    return best;
}
