#include "picture/colour/GammaProfile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vardolin::picture {
namespace {

constexpr std::uint32_t kUnit = 100000;            // the chunks' values are x 100000
constexpr std::uint32_t kSrgbStandIn = 45455;      // 1/2.2
constexpr std::uint32_t kStandInTolerance = 5;     // per cent
constexpr std::uint32_t kPrimariesTolerance = 100; // libpng's own for "these are sRGB's"
// white x, y; red x, y; green x, y; blue x, y
constexpr std::array<std::uint32_t, 8> kSrgbChromaticities = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};

bool nearSrgbStandIn(std::uint32_t gamma)
{
    return std::abs(std::int64_t(gamma) - std::int64_t(kSrgbStandIn)) * 100 <= kStandInTolerance * kSrgbStandIn;
}

bool srgbChromaticities(const std::array<std::uint32_t, 8>& chromaticities)
{
    for (std::size_t i = 0; i < chromaticities.size(); ++i)
        if (std::abs(std::int64_t(chromaticities[i]) - std::int64_t(kSrgbChromaticities[i])) > kPrimariesTolerance)
            return false;
    return true;
}

ToneCurveHandle curveOf(cmsContext context, std::uint32_t gamma)
{
    if (gamma == 0) {
        const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
        return ToneCurveHandle(cmsBuildParametricToneCurve(context, 4, srgb));
    }
    // The file's gamma encodes linear light; the profile's curve decodes it.
    // Near 1/2.2 too: beside other primaries it is what it says (Adobe RGB's
    // curve is a power of 2.2).
    return ToneCurveHandle(cmsBuildGamma(context, double(kUnit) / double(gamma)));
}

cmsCIExyY pointAt(const std::array<std::uint32_t, 8>& chromaticities, std::size_t first)
{
    return {double(chromaticities[first]) / kUnit, double(chromaticities[first + 1]) / kUnit, 1.0};
}

} // namespace

Result<ProfileHandle> profileForGamma(cmsContext context, const ColourTag& tag)
{
    const std::array<std::uint32_t, 8>& stated = tag.hasChromaticities() ? tag.chromaticities : kSrgbChromaticities;
    const bool srgbCurve = tag.gamma == 0 || nearSrgbStandIn(tag.gamma);
    const bool gray = tag.channels == ColourTag::Channels::Gray;
    if (srgbCurve && (gray || srgbChromaticities(stated)))
        return ProfileHandle();
    const ToneCurveHandle curve = curveOf(context, tag.gamma);
    if (!curve)
        return fail("cannot build the curve of the PNG's gAMA");
    const cmsCIExyY white = pointAt(stated, 0);
    if (gray)
        return ProfileHandle(cmsCreateGrayProfileTHR(context, &white, curve.get()));
    const cmsCIExyYTRIPLE primaries{pointAt(stated, 2), pointAt(stated, 4), pointAt(stated, 6)};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    ProfileHandle profile(cmsCreateRGBProfileTHR(context, &white, &primaries, curves));
    if (!profile)
        return fail("the PNG's cHRM chromaticities describe no colours");
    return profile;
}

std::string describeGamma(const ColourTag& tag)
{
    char text[160];
    std::string words = "PNG";
    if (tag.gamma != 0) {
        std::snprintf(text, sizeof text, " gAMA %.5g", double(tag.gamma) / kUnit);
        words += text;
    }
    if (tag.hasChromaticities()) {
        const auto& c = tag.chromaticities;
        std::snprintf(text, sizeof text, "%s cHRM white %.4g %.4g, red %.4g %.4g, green %.4g %.4g, blue %.4g %.4g",
                      tag.gamma != 0 ? " and" : "", c[0] / 1e5, c[1] / 1e5, c[2] / 1e5, c[3] / 1e5, c[4] / 1e5,
                      c[5] / 1e5, c[6] / 1e5, c[7] / 1e5);
        words += text;
    }
    return words;
}

} // namespace vardolin::picture
