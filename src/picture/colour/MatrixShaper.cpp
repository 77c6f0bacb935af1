#include "picture/colour/MatrixShaper.h"

#include <algorithm>
#include <cmath>

namespace vardolin::picture {
namespace {

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

double srgbEncoded(double linear)
{
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
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
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int channel = 0; channel < 3; ++channel) {
        const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, curves[channel]));
        if (!curve)
            return fail("a tone curve is missing");
        for (int level = 0; level < 256; ++level)
            shaper.linear_[std::size_t(channel)][std::size_t(level)] =
                cmsEvalToneCurveFloat(curve, float(level) / 255.0f);
        const auto& levels = shaper.linear_[std::size_t(channel)];
        if (!std::all_of(levels.begin(), levels.end(), [](float v) { return std::isfinite(v); }))
            return fail("a tone curve gives no finite numbers");
        if (levels[0] != 0.0f)
            return fail("black is not black: left to the library's compensation");
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += toSrgb[std::size_t(i)][std::size_t(k)] * source[std::size_t(k)][std::size_t(j)];
            if (!std::isfinite(float(sum)))
                return fail("the matrix gives no finite numbers");
            shaper.matrix_[i][j] = float(sum);
        }
    shaper.encode_.resize(kEncodeSteps + 1);
    for (int step = 0; step <= kEncodeSteps; ++step)
        shaper.encode_[std::size_t(step)] = std::uint8_t(std::lround(255.0 * srgbEncoded(double(step) / kEncodeSteps)));
    return shaper;
}

// In three passes over a stretch of the row, so that the middle one, the
// matrix and the clamping, runs on whole vectors: the table look-ups before
// and after cannot. The matrix and the tables are read into locals once, as a
// store through the pixel bytes could alias any member.
void MatrixShaper::convertRow(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel) const
{
    constexpr std::int32_t kStretch = 256;
    float red[kStretch], green[kStretch], blue[kStretch];
    std::int32_t redStep[kStretch], greenStep[kStretch], blueStep[kStretch];
    const float* const toLinearRed = linear_[0].data();
    const float* const toLinearGreen = linear_[1].data();
    const float* const toLinearBlue = linear_[2].data();
    const std::uint8_t* const encode = encode_.data();
    float m[3][3];
    std::copy(&matrix_[0][0], &matrix_[0][0] + 9, &m[0][0]);
    auto step = [](float value) {
        // Each comparison keeps the bound when the value is a NaN, so a NaN
        // becomes black; this file is built without trapping maths so that
        // the compiler may turn them into vector minimum and maximum.
        const float positive = value > 0.0f ? value : 0.0f;
        const float clamped = positive < 1.0f ? positive : 1.0f;
        return std::int32_t(clamped * float(kEncodeSteps) + 0.5f);
    };
    const std::size_t pixelBytes = std::size_t(bytesPerPixel);
    for (std::int32_t start = 0; start < width; start += kStretch) {
        const std::int32_t count = std::min(kStretch, width - start);
        std::uint8_t* const first = pixels + std::size_t(start) * pixelBytes;
        for (std::int32_t x = 0; x < count; ++x) {
            const std::uint8_t* pixel = first + std::size_t(x) * pixelBytes;
            blue[x] = toLinearBlue[pixel[0]];
            green[x] = toLinearGreen[pixel[1]];
            red[x] = toLinearRed[pixel[2]];
        }
        for (std::int32_t x = 0; x < count; ++x) {
            const float r = red[x], g = green[x], b = blue[x];
            redStep[x] = step(m[0][0] * r + m[0][1] * g + m[0][2] * b);
            greenStep[x] = step(m[1][0] * r + m[1][1] * g + m[1][2] * b);
            blueStep[x] = step(m[2][0] * r + m[2][1] * g + m[2][2] * b);
        }
        for (std::int32_t x = 0; x < count; ++x) {
            std::uint8_t* pixel = first + std::size_t(x) * pixelBytes;
            pixel[0] = encode[blueStep[x]];
            pixel[1] = encode[greenStep[x]];
            pixel[2] = encode[redStep[x]];
        }
    }
}

} // namespace vardolin::picture
