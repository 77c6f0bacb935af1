#include "picture/colour/SrgbEquivalence.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace vardolin::picture {
namespace {

constexpr double kColorantTolerance = 0.002;
constexpr double kOneStep = 1.0 / 255.0;

bool sameColorant(cmsHPROFILE profile, cmsHPROFILE srgb, cmsTagSignature tag)
{
    const auto* mine = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tag));
    const auto* reference = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, tag));
    return mine && reference && std::abs(mine->X - reference->X) <= kColorantTolerance
           && std::abs(mine->Y - reference->Y) <= kColorantTolerance
           && std::abs(mine->Z - reference->Z) <= kColorantTolerance;
}

// Each 8-bit value through the curve to linear light and back through sRGB's
// inverse curve comes home within one step, so the curve and sRGB's agree
// where 8-bit pixels can tell.
bool sameCurve(cmsHPROFILE profile, cmsHPROFILE srgb, cmsTagSignature tag)
{
    const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, tag));
    const auto* srgbCurve = static_cast<const cmsToneCurve*>(cmsReadTag(srgb, cmsSigRedTRCTag));
    if (!curve || !srgbCurve)
        return false;
    const ToneCurveHandle inverse(cmsReverseToneCurve(srgbCurve));
    if (!inverse)
        return false;
    for (int level = 0; level < 256; ++level) {
        const float x = float(level / 255.0);
        const float back = cmsEvalToneCurveFloat(inverse.get(), cmsEvalToneCurveFloat(curve, x));
        if (!(std::abs(double(back) - double(x)) <= kOneStep))
            return false;
    }
    return true;
}

} // namespace

bool hasSrgbColorantsAndCurves(cmsHPROFILE profile, cmsHPROFILE srgb)
{
    return sameColorant(profile, srgb, cmsSigRedColorantTag) && sameColorant(profile, srgb, cmsSigGreenColorantTag)
           && sameColorant(profile, srgb, cmsSigBlueColorantTag) && sameCurve(profile, srgb, cmsSigRedTRCTag)
           && sameCurve(profile, srgb, cmsSigGreenTRCTag) && sameCurve(profile, srgb, cmsSigBlueTRCTag);
}

bool hasSrgbGrayCurve(cmsHPROFILE profile, cmsHPROFILE srgb)
{
    return sameCurve(profile, srgb, cmsSigGrayTRCTag);
}

bool leavesRgbAlone(cmsHTRANSFORM bgr)
{
    constexpr int kLevels = 16, kStep = 17; // 0, 17, ..., 255
    std::vector<std::uint8_t> grid;
    grid.reserve(3 * kLevels * kLevels * kLevels);
    for (int b = 0; b < kLevels; ++b)
        for (int g = 0; g < kLevels; ++g)
            for (int r = 0; r < kLevels; ++r)
                grid.insert(grid.end(), {std::uint8_t(b * kStep), std::uint8_t(g * kStep), std::uint8_t(r * kStep)});
    std::vector<std::uint8_t> out(grid.size());
    cmsDoTransform(bgr, grid.data(), out.data(), cmsUInt32Number(grid.size() / 3));
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (std::abs(int(out[i]) - int(grid[i])) > 1)
            return false;
    return true;
}

bool leavesGrayAlone(const std::array<std::array<std::uint8_t, 3>, 256>& grayToBgr)
{
    for (int level = 0; level < 256; ++level)
        for (const std::uint8_t value : grayToBgr[std::size_t(level)])
            if (std::abs(int(value) - level) > 1)
                return false;
    return true;
}

} // namespace vardolin::picture
