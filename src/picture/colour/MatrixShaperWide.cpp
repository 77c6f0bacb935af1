// The matrix-shaper path's look-ups and matrix with AVX-512: each 256-entry
// curve sits in eight registers and is read for 32 pixels by four two-table
// permutes, where the plain way loads every entry alone (a gather took
// longer than the plain loads on the processor measured). The numbers are the plain way's to
// the bit: the same tables, and the matrix in the same 16-bit products and
// 32-bit sums, shift and clamp.

#include "picture/colour/MatrixShaper.h"

#include "picture/colour/SrgbCurve.h"
#include "picture/colour/SrgbLevelsWide.h"

#include <algorithm>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARDOLIN_MATRIX_AVX512 1
#endif

namespace vardolin::picture {

#if VARDOLIN_MATRIX_AVX512

namespace {

#define VARDOLIN_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi")))

constexpr int kLanes = 32; // pixels per vector: 16-bit lanes of a 512-bit register

// One 256-entry curve held in registers.
struct Curve {
    __m512i part[8];
};

VARDOLIN_WIDE Curve curveOf(const std::array<std::uint16_t, 256>& levels)
{
    Curve curve;
    for (int i = 0; i < 8; ++i)
        curve.part[i] = _mm512_loadu_si512(levels.data() + kLanes * i);
    return curve;
}

// The curve's entry for each 16-bit lane's level (0..255): each pair of
// parts answers the low six bits, bits 6 and 7 choose among the four.
VARDOLIN_WIDE __m512i lookUp(const Curve& curve, __m512i level)
{
    const __m512i p0 = _mm512_permutex2var_epi16(curve.part[0], level, curve.part[1]);
    const __m512i p1 = _mm512_permutex2var_epi16(curve.part[2], level, curve.part[3]);
    const __m512i p2 = _mm512_permutex2var_epi16(curve.part[4], level, curve.part[5]);
    const __m512i p3 = _mm512_permutex2var_epi16(curve.part[6], level, curve.part[7]);
    const __mmask32 bit6 = _mm512_test_epi16_mask(level, _mm512_set1_epi16(64));
    const __mmask32 bit7 = _mm512_test_epi16_mask(level, _mm512_set1_epi16(128));
    return _mm512_mask_blend_epi16(bit7, _mm512_mask_blend_epi16(bit6, p0, p1), _mm512_mask_blend_epi16(bit6, p2, p3));
}

// Where a channel's bytes stand among the 96 or 128 bytes of 32 pixels, as
// byte permute indices into the even bytes of 16-bit lanes.
VARDOLIN_WIDE __m512i channelPlaces(int bytesPerPixel, int channel)
{
    alignas(64) std::uint8_t places[64] = {};
    for (int pixel = 0; pixel < kLanes; ++pixel)
        places[2 * pixel] = std::uint8_t(bytesPerPixel * pixel + channel);
    return _mm512_load_si512(places);
}

struct Tables {
    Curve curves[3]; // red, green, blue
    __m512i places[3];
    __m512i redGreenBy[3], blueOneBy[3]; // the matrix's rows, as pairs of 16-bit factors
};

// One row of the matrix for 16 pixels: the products of red and green and of
// blue and the rounding, summed and shifted; 32-bit lanes.
VARDOLIN_WIDE __m512i matrixSum(const Tables& tables, int row, __m512i redGreen, __m512i blueOne)
{
    const __m512i sum = _mm512_add_epi32(_mm512_madd_epi16(redGreen, tables.redGreenBy[row]),
                                         _mm512_madd_epi16(blueOne, tables.blueOneBy[row]));
    // The masked form: GCC 12's plain one starts from an undefined register,
    // which its warnings take for an uninitialised variable.
    return _mm512_mask_srai_epi32(sum, __mmask16(0xFFFF), sum, 13);
}

// One row of the matrix for 32 pixels, clamped as the plain way does it;
// 16-bit lanes.
VARDOLIN_WIDE __m512i matrixRow(const Tables& tables, int row, __m512i redGreenLow, __m512i redGreenHigh,
                                __m512i blueOneLow, __m512i blueOneHigh)
{
    const __m512i steps = _mm512_packs_epi32(matrixSum(tables, row, redGreenLow, blueOneLow),
                                             matrixSum(tables, row, redGreenHigh, blueOneHigh));
    return _mm512_min_epi16(_mm512_max_epi16(steps, _mm512_setzero_si512()), _mm512_set1_epi16(kLinearSteps));
}

// 32 pixels from their bytes to linear sRGB steps in the stretch at x.
VARDOLIN_WIDE void lookUpAndMix(const Tables& tables, const std::uint8_t* pixels, int bytesPerPixel,
                                MatrixShaper::Stretch& stretch, int x)
{
    const __m512i low = _mm512_loadu_si512(pixels);
    const __m512i high =
        bytesPerPixel == 4 ? _mm512_loadu_si512(pixels + 64) : _mm512_maskz_loadu_epi8(0xFFFFFFFFull, pixels + 64);
    constexpr __mmask64 evenBytes = 0x5555555555555555ull;
    __m512i linear[3];
    for (int channel = 0; channel < 3; ++channel)
        linear[channel] = lookUp(tables.curves[channel],
                                 _mm512_maskz_permutex2var_epi8(evenBytes, low, tables.places[channel], high));
    const __m512i one = _mm512_set1_epi16(1);
    // The pairs interleave within each 128-bit lane, and packing the sums
    // undoes it: the pixels come back in their order.
    const __m512i redGreenLow = _mm512_unpacklo_epi16(linear[0], linear[1]);
    const __m512i redGreenHigh = _mm512_unpackhi_epi16(linear[0], linear[1]);
    const __m512i blueOneLow = _mm512_unpacklo_epi16(linear[2], one);
    const __m512i blueOneHigh = _mm512_unpackhi_epi16(linear[2], one);
    std::int16_t* const out[3] = {stretch.red + x, stretch.green + x, stretch.blue + x};
    for (int row = 0; row < 3; ++row)
        _mm512_storeu_si512(out[row], matrixRow(tables, row, redGreenLow, redGreenHigh, blueOneLow, blueOneHigh));
}

using Linear = std::array<std::array<std::uint16_t, 256>, 3>;
using Matrix = std::array<std::array<std::int16_t, 3>, 3>;
using Encode = void (*)(const MatrixShaper::Stretch&, int, std::uint8_t*, std::size_t, MatrixShaper::Instructions);

// Two 16-bit factors side by side in every 32-bit lane.
VARDOLIN_WIDE __m512i pairOf(int low, int high)
{
    return _mm512_set1_epi32(int(std::uint16_t(low) | std::uint32_t(high) << 16));
}

VARDOLIN_WIDE Tables tablesOf(const Linear& linear, const Matrix& matrix, int bytesPerPixel)
{
    Tables tables;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        tables.curves[channel] = curveOf(linear[channel]);
        tables.places[channel] = channelPlaces(bytesPerPixel, 2 - int(channel)); // blue-green-red bytes
    }
    for (std::size_t row = 0; row < 3; ++row) {
        tables.redGreenBy[row] = pairOf(matrix[row][0], matrix[row][1]);
        tables.blueOneBy[row] = pairOf(matrix[row][2], MatrixShaper::kMatrixOne / 2);
    }
    return tables;
}

VARDOLIN_WIDE std::int32_t convertStretches(const Linear& linear, const Matrix& matrix, std::uint8_t* pixels,
                                            std::int32_t width, int bytesPerPixel, Encode encode)
{
    static_assert(MatrixShaper::kStretch % kLanes == 0, "a stretch holds whole vectors");
    constexpr int kStretch = MatrixShaper::kStretch;
    const Tables tables = tablesOf(linear, matrix, bytesPerPixel);
    const std::size_t pixelBytes = std::size_t(bytesPerPixel);
    MatrixShaper::Stretch stretch;
    // Whole stretches, then the row's end as far as whole vectors reach.
    std::int32_t start = 0;
    while (width - start >= kLanes) {
        const int count = int(std::min<std::int32_t>(kStretch, (width - start) / kLanes * kLanes));
        std::uint8_t* const first = pixels + std::size_t(start) * pixelBytes;
        for (int x = 0; x < count; x += kLanes)
            lookUpAndMix(tables, first + std::size_t(x) * pixelBytes, bytesPerPixel, stretch, x);
        encode(stretch, count, first, pixelBytes, MatrixShaper::Instructions::Widest);
        start += count;
    }
    return start;
}

} // namespace

std::int32_t MatrixShaper::convertWide(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel) const
{
    if (!hasWideLookups())
        return 0;
    return convertStretches(linear_, matrix_, pixels, width, bytesPerPixel, &MatrixShaper::encode);
}

#else

std::int32_t MatrixShaper::convertWide(std::uint8_t*, std::int32_t, int) const
{
    return 0;
}

#endif

bool MatrixShaper::hasWideLookups()
{
    return hasBytePermutes();
}

} // namespace vardolin::picture
