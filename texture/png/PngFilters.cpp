#include "texture/png/PngFilters.h"

#include <emmintrin.h>

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

// One pixel of N (3 or 4) bytes in the low lanes; a 3-byte pixel is read and
// written as 3 bytes, so that the next pixel is left alone.
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
// one before it, so the lanes are the pixel's channels.
template <unsigned N>
void UnfilterSub(uint8_t* row, size_t rowBytes)
{
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < rowBytes; i += N) {
        a = _mm_add_epi8(a, LoadPixel<N>(row + i));
        StorePixel<N>(row + i, a);
    }
}

template <unsigned N>
void UnfilterAverage(uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < rowBytes; i += N) {
        const __m128i b = LoadPixel<N>(above + i);
        // _mm_avg_epu8 rounds up; the filter rounds down.
        const __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(LoadPixel<N>(row + i), average);
        StorePixel<N>(row + i, a);
    }
}

template <unsigned N>
void UnfilterPaeth(uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;  // 16-bit lanes
    for (size_t i = 0; i < rowBytes; i += N) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<N>(above + i), zero);
        const __m128i pa = Abs16(_mm_sub_epi16(b, c)), pb = Abs16(_mm_sub_epi16(a, c));
        const __m128i pc = Abs16(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
        const __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
        __m128i predicted = Select(_mm_cmpeq_epi16(pb, smallest), b, c);
        predicted = Select(_mm_cmpeq_epi16(pa, smallest), a, predicted);
        const __m128i x = _mm_add_epi8(LoadPixel<N>(row + i), _mm_packus_epi16(predicted, predicted));
        StorePixel<N>(row + i, x);
        a = _mm_unpacklo_epi8(x, zero);
        c = b;
    }
}

template <unsigned N>
void UnfilterWide(PngFilter filter, uint8_t* row, const uint8_t* above, size_t rowBytes)
{
    switch (filter) {
    case PngFilter::sub:
        UnfilterSub<N>(row, rowBytes);
        break;
    case PngFilter::average:
        UnfilterAverage<N>(row, above, rowBytes);
        break;
    case PngFilter::paeth:
        UnfilterPaeth<N>(row, above, rowBytes);
        break;
    default:
        break;
    }
}

uint64_t SumOfMagnitudes(const uint8_t* bytes, size_t count)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += unsigned(std::abs(int(int8_t(bytes[i]))));
    return sum;
}

}  // namespace

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t rowBytes, unsigned bytesPerPixel)
{
    if (filter >= kPngFilterCount)
        return false;
    const PngFilter f = PngFilter(filter);
    // A row of 3- or 4-byte pixels is whole pixels only when its bytes are.
    if (f == PngFilter::up)
        UnfilterUp(row, above, rowBytes);
    else if (bytesPerPixel == 3 && f != PngFilter::none)
        UnfilterWide<3>(f, row, above, rowBytes);
    else if (bytesPerPixel == 4 && f != PngFilter::none)
        UnfilterWide<4>(f, row, above, rowBytes);
    else
        UnfilterPlain(f, row, above, rowBytes, bytesPerPixel);
    return true;
}

void FilterRow(PngFilter filter, const uint8_t* row, const uint8_t* above, uint8_t* out, size_t rowBytes,
               unsigned bytesPerPixel)
{
    const unsigned bpp = bytesPerPixel;
    for (size_t i = 0; i < rowBytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
        int predicted = 0;
        switch (filter) {
        case PngFilter::none:
            break;
        case PngFilter::sub:
            predicted = a;
            break;
        case PngFilter::up:
            predicted = b;
            break;
        case PngFilter::average:
            predicted = (a + b) / 2;
            break;
        case PngFilter::paeth:
            predicted = Paeth(a, b, c);
            break;
        }
        out[i] = uint8_t(row[i] - predicted);
    }
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
