#include "picture/colour/MatrixShaper.h"

#include "picture/colour/SrgbCurve.h"
#include "picture/colour/SrgbLevelsWide.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VARDOLIN_MATRIX_SSE2 1
#endif

namespace vardolin::picture {

namespace {

static_assert(MatrixShaper::kStretch % 4 == 0, "the matrix step takes four pixels at a time");
static_assert(kLinearSteps <= 16384, "linear light and a matrix entry up to 4 multiply within 31 bits");

using Matrix = std::array<std::array<double, 3>, 3>;

// The colorants as columns: linear red, green and blue to PCS XYZ.
Result<Matrix> colorantsOf(cmsHPROFILE profile)
{
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    Matrix m{};
    for (int column = 0; column < 3; ++column) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[column]));
        if (!xyz)
            return fail("a colorant tag is missing");
        m[0][column] = xyz->X;
        m[1][column] = xyz->Y;
        m[2][column] = xyz->Z;
    }
    return m;
}

Result<Matrix> inverse(const Matrix& m)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1])
                       - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                       + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!(std::abs(det) > 1e-9))
        return fail("the colorants cannot be inverted");
    Matrix r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            r[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
        }
    return r;
}

// Linear light 0..1 in steps of kLinearSteps.
std::int32_t linearSteps(double value)
{
    return std::int32_t(std::lround(std::clamp(value, 0.0, 1.0) * kLinearSteps));
}

// A row of the matrix in whole 1/one parts whose sum is the row's own sum,
// rounded: white stays white and grays stay gray. Nothing when an entry is
// too large for 16 bits.
std::optional<std::array<std::int16_t, 3>> wholeParts(const std::array<double, 3>& row, int one)
{
    std::array<long, 3> parts{};
    for (std::size_t i = 0; i < 3; ++i)
        parts[i] = std::lround(row[i] * one);
    const long sum = std::lround((row[0] + row[1] + row[2]) * one);
    const auto largest = std::size_t(
        std::max_element(row.begin(), row.end(), [](double a, double b) { return std::abs(a) < std::abs(b); })
        - row.begin());
    parts[largest] += sum - (parts[0] + parts[1] + parts[2]);
    std::array<std::int16_t, 3> whole{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (parts[i] < -32767 || parts[i] > 32767)
            return std::nullopt;
        whole[i] = std::int16_t(parts[i]);
    }
    return whole;
}

} // namespace

Result<MatrixShaper> MatrixShaper::from(cmsHPROFILE profile, cmsHPROFILE srgb)
{
    if (!cmsIsMatrixShaper(profile) || !cmsIsMatrixShaper(srgb))
        return fail("not a matrix-shaper profile");
    VARDOLIN_TRY_ASSIGN(const Matrix source, colorantsOf(profile));
    VARDOLIN_TRY_ASSIGN(const Matrix target, colorantsOf(srgb));
    VARDOLIN_TRY_ASSIGN(const Matrix toSrgb, inverse(target));

    MatrixShaper shaper;
    shaper.sampleLevels_.resize(3 * (kSampleSteps + 1));
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    std::array<std::uint32_t, 256>* const tables[3] = {&shaper.red_, &shaper.green_, &shaper.blue_};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, curves[channel]));
        if (!curve)
            return fail("a tone curve is missing");
        auto linearAt = [curve](double x) { return double(cmsEvalToneCurveFloat(curve, float(x))); };
        if (linearAt(0.0) != 0.0)
            return fail("black is not black: left to the library's compensation");
        for (int level = 0; level < 256; ++level) {
            const double value = linearAt(level / 255.0);
            if (!std::isfinite(value))
                return fail("a tone curve gives no finite numbers");
            const auto steps = std::uint32_t(linearSteps(value));
            shaper.linear_[channel][std::size_t(level)] = std::uint16_t(steps);
            (*tables[channel])[std::size_t(level)] = channel == 0   ? steps
                                                     : channel == 1 ? steps << 16
                                                                    : steps | 1u << 16;
        }
        std::int32_t* const levels = shaper.sampleLevels_.data() + channel * (kSampleSteps + 1);
        for (int step = 0; step <= kSampleSteps; ++step) {
            const double value = linearAt(std::min(step * 16, 65535) / 65535.0);
            if (!std::isfinite(value))
                return fail("a tone curve gives no finite numbers");
            levels[step] = linearSteps(value);
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        std::array<double, 3> row{};
        for (std::size_t j = 0; j < 3; ++j)
            for (std::size_t k = 0; k < 3; ++k)
                row[j] += toSrgb[i][k] * source[k][j];
        if (!std::all_of(row.begin(), row.end(), [](double v) { return std::isfinite(v); }))
            return fail("the matrix gives no finite numbers");
        const auto whole = wholeParts(row, kMatrixOne);
        if (!whole)
            return fail("the primaries lie too far from sRGB's for the fast path");
        shaper.matrix_[i] = *whole;
    }
    return shaper;
}

// Each of the pixels, four at a time: the rows of the matrix against red and
// green (one 32-bit word) and against blue and the rounding, then the steps
// clamped to 0..kLinearSteps. Reads the stretch up to the next multiple of 4.
void MatrixShaper::mix(Stretch& stretch, int count) const
{
    constexpr int kShift = 13;
    static_assert(1 << kShift == kMatrixOne, "the shift divides by the matrix's one");
#if VARDOLIN_MATRIX_SSE2
    auto pair = [](int low, int high) { return _mm_set1_epi32(int(std::uint16_t(low) | std::uint32_t(high) << 16)); };
    const __m128i redGreenBy[3] = {pair(matrix_[0][0], matrix_[0][1]), pair(matrix_[1][0], matrix_[1][1]),
                                   pair(matrix_[2][0], matrix_[2][1])};
    const __m128i blueOneBy[3] = {pair(matrix_[0][2], kMatrixOne / 2), pair(matrix_[1][2], kMatrixOne / 2),
                                  pair(matrix_[2][2], kMatrixOne / 2)};
    const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi16(kLinearSteps);
    for (int x = 0; x < count; x += 4) {
        const __m128i redGreen = _mm_load_si128(reinterpret_cast<const __m128i*>(stretch.redGreen + x));
        const __m128i blueOne = _mm_load_si128(reinterpret_cast<const __m128i*>(stretch.blueOne + x));
        auto row = [&](int i) {
            return _mm_srai_epi32(
                _mm_add_epi32(_mm_madd_epi16(redGreen, redGreenBy[i]), _mm_madd_epi16(blueOne, blueOneBy[i])), kShift);
        };
        const __m128i red = row(0), green = row(1), blue = row(2);
        const __m128i reds = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(red, green), zero), top);
        const __m128i blues = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(blue, blue), zero), top);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(stretch.red + x), reds);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(stretch.green + x), _mm_unpackhi_epi64(reds, reds));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(stretch.blue + x), blues);
    }
#else
    for (int x = 0; x < count; ++x) {
        const std::int32_t red = std::int32_t(stretch.redGreen[x] & 0xFFFF),
                           green = std::int32_t(stretch.redGreen[x] >> 16);
        const std::int32_t blue = std::int32_t(stretch.blueOne[x] & 0xFFFF);
        auto row = [&](int i) {
            const auto& m = matrix_[std::size_t(i)];
            const std::int32_t steps = (m[0] * red + m[1] * green + m[2] * blue + kMatrixOne / 2) >> kShift;
            return std::int16_t(std::clamp<std::int32_t>(steps, 0, kLinearSteps));
        };
        stretch.red[x] = row(0);
        stretch.green[x] = row(1);
        stretch.blue[x] = row(2);
    }
#endif
}

namespace {

// Four at a time, then the rest: the loop's own counting costs as much as
// a look-up.
template <typename Take> void forEachPixel(int count, Take&& take)
{
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        take(x);
        take(x + 1);
        take(x + 2);
        take(x + 3);
    }
    for (; x < count; ++x)
        take(x);
}

} // namespace

namespace {

// The sRGB levels of a pixel as the bytes of a little-endian word: blue,
// green, red, and a zero where alpha goes.
std::uint32_t levelsOf(const MatrixShaper::Stretch& stretch, int x, const std::uint8_t* levels)
{
    return std::uint32_t(levels[std::uint16_t(stretch.blue[x])])
           | std::uint32_t(levels[std::uint16_t(stretch.green[x])]) << 8
           | std::uint32_t(levels[std::uint16_t(stretch.red[x])]) << 16;
}

// One store of four bytes per pixel instead of three of one: a 3-byte
// pixel's fourth byte is the next pixel's first, written again right after;
// a 4-byte pixel keeps its alpha. The last pixel goes byte by byte, so that
// nothing past the stretch is touched.
template <std::size_t Bytes>
void encodeWords(const MatrixShaper::Stretch& stretch, int from, int count, std::uint8_t* out)
{
    const std::uint8_t* const levels = srgbLevels();
    forEachPixel(count - 1, [&](int x) {
        std::uint8_t* pixel = out + std::size_t(x) * Bytes;
        std::uint32_t word = levelsOf(stretch, from + x, levels);
        if constexpr (Bytes == 4) {
            std::uint32_t before;
            std::memcpy(&before, pixel, 4);
            word |= before & 0xFF000000u;
        }
        std::memcpy(pixel, &word, 4);
    });
    const std::uint32_t last = levelsOf(stretch, from + count - 1, levels);
    std::uint8_t* pixel = out + std::size_t(count - 1) * Bytes;
    for (int i = 0; i < 3; ++i)
        pixel[i] = std::uint8_t(last >> (8 * i));
}

// The pixels of the stretch from `from` on, the plain way.
void encodePlain(const MatrixShaper::Stretch& stretch, int from, int count, std::uint8_t* out, std::size_t pixelBytes)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (pixelBytes == 3)
            return encodeWords<3>(stretch, from, count, out);
        if (pixelBytes == 4)
            return encodeWords<4>(stretch, from, count, out);
    }
    const std::uint8_t* const levels = srgbLevels();
    forEachPixel(count, [&](int x) {
        std::uint8_t* pixel = out + std::size_t(x) * pixelBytes;
        pixel[0] = levels[stretch.blue[from + x]];
        pixel[1] = levels[stretch.green[from + x]];
        pixel[2] = levels[stretch.red[from + x]];
    });
}

} // namespace

void MatrixShaper::encode(const Stretch& stretch, int count, std::uint8_t* out, std::size_t pixelBytes,
                          Instructions use)
{
    int wide = 0;
    if (use == Instructions::Widest && (pixelBytes == 3 || pixelBytes == 4) && hasWideLevels()) {
        wide = count / 64 * 64;
        wideLevels(stretch.red, stretch.green, stretch.blue, wide, out, int(pixelBytes));
    }
    if (wide < count)
        encodePlain(stretch, wide, count - wide, out + std::size_t(wide) * pixelBytes, pixelBytes);
}

void MatrixShaper::convertRow(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel, Instructions use) const
{
    const std::size_t pixelBytes = std::size_t(bytesPerPixel);
    const std::int32_t wide = use == Instructions::Widest ? convertWide(pixels, width, bytesPerPixel) : 0;
    Stretch stretch;
    for (std::int32_t start = wide; start < width; start += kStretch) {
        const int count = int(std::min<std::int32_t>(kStretch, width - start));
        std::uint8_t* const first = pixels + std::size_t(start) * pixelBytes;
        forEachPixel(count, [&](int x) {
            const std::uint8_t* pixel = first + std::size_t(x) * pixelBytes;
            stretch.redGreen[x] = red_[pixel[2]] + green_[pixel[1]];
            stretch.blueOne[x] = blue_[pixel[0]];
        });
        for (int x = count; x % 4 != 0; ++x)
            stretch.redGreen[x] = stretch.blueOne[x] = 0;
        mix(stretch, count);
        encode(stretch, count, first, pixelBytes, use);
    }
}

void MatrixShaper::convertRow16(const std::uint16_t* samples, int channels, std::uint8_t* out, std::int32_t width,
                                int outBytesPerPixel) const
{
    // Between two of the curve's values, in a straight line.
    auto linear = [this](std::size_t channel, std::uint16_t sample) {
        const std::int32_t* levels = sampleLevels_.data() + channel * (kSampleSteps + 1) + (sample >> 4);
        return std::uint32_t(levels[0] + (((levels[1] - levels[0]) * (sample & 15) + 8) >> 4));
    };
    const std::size_t step = std::size_t(channels), pixelBytes = std::size_t(outBytesPerPixel);
    Stretch stretch;
    for (std::int32_t start = 0; start < width; start += kStretch) {
        const int count = int(std::min<std::int32_t>(kStretch, width - start));
        const std::uint16_t* const first = samples + std::size_t(start) * step;
        forEachPixel(count, [&](int x) {
            const std::uint16_t* sample = first + std::size_t(x) * step;
            stretch.redGreen[x] = linear(0, sample[0]) | linear(1, sample[1]) << 16;
            stretch.blueOne[x] = linear(2, sample[2]) | 1u << 16;
        });
        for (int x = count; x % 4 != 0; ++x)
            stretch.redGreen[x] = stretch.blueOne[x] = 0;
        mix(stretch, count);
        encode(stretch, count, out + std::size_t(start) * pixelBytes, pixelBytes, Instructions::Widest);
    }
}

} // namespace vardolin::picture
