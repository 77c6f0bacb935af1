#include "picture/colour/CmykTable.h"

#include "picture/colour/SrgbCurve.h"

#include <lcms2_plugin.h>

#include <algorithm>

namespace vardolin::picture {
namespace {

constexpr int kMostPoints = 17; // 17^4 nodes: a megabyte, and a tenth of a second to fill

// Grid points of the first table of the profile's device-to-PCS pipeline for
// the intent, as the library chooses it; 0 when it has none.
int profileGridOf(cmsHPROFILE profile, cmsUInt32Number intent)
{
    cmsTagSignature tag = cmsSigAToB0Tag;
    if (intent == INTENT_RELATIVE_COLORIMETRIC && cmsIsTag(profile, cmsSigAToB1Tag))
        tag = cmsSigAToB1Tag;
    const auto* pipeline = static_cast<const cmsPipeline*>(cmsReadTag(profile, tag));
    if (!pipeline)
        return 0;
    for (cmsStage* stage = cmsPipelineGetPtrToFirstStage(pipeline); stage; stage = cmsStageNext(stage)) {
        if (cmsStageType(stage) != cmsSigCLutElemType)
            continue;
        const auto* table = static_cast<const _cmsStageCLutData*>(cmsStageData(stage));
        if (!table || !table->Params || cmsStageInputChannels(stage) != 4)
            return 0;
        const cmsUInt32Number points = table->Params->nSamples[0];
        for (int channel = 1; channel < 4; ++channel)
            if (table->Params->nSamples[channel] != points)
                return 0;
        return int(points);
    }
    return 0;
}

// sRGB itself with a straight line for each curve: the exact pipeline's
// output in linear light, before sRGB's curve. Its colorants are sRGB's own,
// number for number, as red near zero is a small difference of large ones.
ProfileHandle linearSrgb(cmsContext context, cmsHPROFILE srgb)
{
    ProfileHandle linear(cmsCreateProfilePlaceholder(context));
    const ToneCurveHandle straight(cmsBuildGamma(context, 1.0));
    if (!linear || !straight)
        return nullptr;
    cmsSetProfileVersion(linear.get(), cmsGetProfileVersion(srgb));
    cmsSetDeviceClass(linear.get(), cmsGetDeviceClass(srgb));
    cmsSetColorSpace(linear.get(), cmsSigRgbData);
    cmsSetPCS(linear.get(), cmsGetPCS(srgb));
    for (const cmsTagSignature tag : {cmsSigMediaWhitePointTag, cmsSigChromaticAdaptationTag, cmsSigRedColorantTag,
                                      cmsSigGreenColorantTag, cmsSigBlueColorantTag}) {
        const void* data = cmsReadTag(srgb, tag);
        if (data && !cmsWriteTag(linear.get(), tag, data))
            return nullptr;
    }
    for (const cmsTagSignature tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
        if (!cmsWriteTag(linear.get(), tag, straight.get()))
            return nullptr;
    return linear;
}

float clampedToOne(float value)
{
    // A NaN fails both comparisons and becomes 0.
    const float positive = value > 0.0f ? value : 0.0f;
    return positive < 1.0f ? positive : 1.0f;
}

} // namespace

int CmykTable::pointsFor(int profileGrid)
{
    if (profileGrid < 2 || profileGrid > kMostPoints)
        return kMostPoints;
    const int spacing = profileGrid - 1;
    return spacing * ((kMostPoints - 1) / spacing) + 1;
}

Result<CmykTable> CmykTable::from(cmsContext context, cmsHPROFILE profile, cmsHPROFILE srgb, cmsUInt32Number intent,
                                  cmsUInt32Number flags)
{
    const ProfileHandle linear = linearSrgb(context, srgb);
    if (!linear)
        return fail("cannot make the linear sRGB profile");
    const TransformHandle exact(cmsCreateTransformTHR(context, profile, TYPE_CMYK_DBL, linear.get(), TYPE_RGB_FLT,
                                                      intent, flags | cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE));
    if (!exact)
        return fail("the profile cannot be converted to sRGB");

    CmykTable table;
    const int n = pointsFor(profileGridOf(profile, intent));
    table.points_ = n;
    const auto points = std::size_t(n);
    table.step_ = {std::uint32_t(3 * points * points * points), std::uint32_t(3 * points * points),
                   std::uint32_t(3 * points), 3};
    table.nodes_.resize(3 * points * points * points * points);
    // One cyan level at a time: the library's input in ink per cent.
    std::vector<double> inks(4 * points * points * points);
    for (int cyan = 0; cyan < n; ++cyan) {
        double* ink = inks.data();
        for (int magenta = 0; magenta < n; ++magenta)
            for (int yellow = 0; yellow < n; ++yellow)
                for (int black = 0; black < n; ++black) {
                    *ink++ = 100.0 * cyan / (n - 1);
                    *ink++ = 100.0 * magenta / (n - 1);
                    *ink++ = 100.0 * yellow / (n - 1);
                    *ink++ = 100.0 * black / (n - 1);
                }
        cmsDoTransform(exact.get(), inks.data(), table.nodes_.data() + std::size_t(cyan) * table.step_[0],
                       cmsUInt32Number(points * points * points));
    }
    // Byte b holds 255 - b of ink; its place on the grid is ink * (n - 1) / 255.
    for (int channel = 0; channel < 4; ++channel)
        for (int stored = 0; stored < 256; ++stored) {
            const int scaled = (255 - stored) * (n - 1);
            const int below = std::min(scaled / 255, n - 2);
            table.below_[std::size_t(channel)][std::size_t(stored)] =
                std::uint32_t(below) * table.step_[std::size_t(channel)];
            table.fraction_[std::size_t(channel)][std::size_t(stored)] = float(scaled - 255 * below) / 255.0f;
        }
    return table;
}

// The tetrahedron of the cube at `cube` (magenta, yellow and black from 0
// to 1 across it) that holds the point, as the library picks it: the
// corners are walked from the lowest to the highest in the order of the
// largest fraction first.
void CmykTable::interpolate(const float* cube, float magenta, float yellow, float black, float out[3]) const
{
    const std::uint32_t m = step_[1], y = step_[2], k = step_[3];
    std::uint32_t first, second;
    float f1, f2, f3;
    if (magenta >= yellow) {
        if (yellow >= black) {
            first = m, second = m + y, f1 = magenta, f2 = yellow, f3 = black;
        } else if (magenta >= black) {
            first = m, second = m + k, f1 = magenta, f2 = black, f3 = yellow;
        } else {
            first = k, second = m + k, f1 = black, f2 = magenta, f3 = yellow;
        }
    } else if (magenta >= black) {
        first = y, second = m + y, f1 = yellow, f2 = magenta, f3 = black;
    } else if (yellow >= black) {
        first = y, second = y + k, f1 = yellow, f2 = black, f3 = magenta;
    } else {
        first = k, second = y + k, f1 = black, f2 = yellow, f3 = magenta;
    }
    const float* a = cube;
    const float* b = cube + first;
    const float* c = cube + second;
    const float* d = cube + m + y + k;
    for (int i = 0; i < 3; ++i)
        out[i] = a[i] + (b[i] - a[i]) * f1 + (c[i] - b[i]) * f2 + (d[i] - c[i]) * f3;
}

void CmykTable::convertRow(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const
{
    const std::uint8_t* const levels = srgbLevels();
    for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const float* cube =
            nodes_.data() + below_[0][cmyk[0]] + below_[1][cmyk[1]] + below_[2][cmyk[2]] + below_[3][cmyk[3]];
        const float cyan = fraction_[0][cmyk[0]];
        const float magenta = fraction_[1][cmyk[1]], yellow = fraction_[2][cmyk[2]], black = fraction_[3][cmyk[3]];
        float rgb[3], next[3] = {};
        interpolate(cube, magenta, yellow, black, rgb);
        if (cyan > 0.0f)
            interpolate(cube + step_[0], magenta, yellow, black, next);
        for (int i = 0; i < 3; ++i) {
            const float value = clampedToOne(rgb[i] + (next[i] - rgb[i]) * cyan);
            bgr[2 - i] = levels[int(value * float(kLinearSteps) + 0.5f)];
        }
    }
}

} // namespace vardolin::picture
