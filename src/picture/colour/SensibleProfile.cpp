#include "picture/colour/SensibleProfile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace vardolin::picture {
namespace {

// Three colorants this close to one plane (the volume they span against the
// product of their lengths) mix into no more than a flat slice of colours.
constexpr double kFlattest = 1e-3;
// Within this CIELAB distance white still looks white.
constexpr double kWhiteTolerance = 10.0;

Result<void> checkColorants(cmsHPROFILE profile)
{
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    std::array<std::array<double, 3>, 3> c{};
    double lengths = 1.0;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[i]));
        if (!xyz)
            return fail("a colorant tag is missing");
        c[i] = {xyz->X, xyz->Y, xyz->Z};
        lengths *= std::sqrt(c[i][0] * c[i][0] + c[i][1] * c[i][1] + c[i][2] * c[i][2]);
    }
    const double volume = c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1])
                          - c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0])
                          + c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0]);
    if (!(lengths > 0.0) || !(std::abs(volume) > kFlattest * lengths))
        return fail("the profile's colorants cannot be inverted");
    return {};
}

Result<void> checkCurve(cmsHPROFILE profile, cmsTagSignature tag, const char* name)
{
    const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, tag));
    if (!curve)
        return fail(std::string("the profile's ") + name + " curve is missing");
    float lowest = 0.0f, highest = 0.0f;
    for (int level = 0; level < 256; ++level) {
        const float value = cmsEvalToneCurveFloat(curve, float(level) / 255.0f);
        if (!std::isfinite(value))
            return fail(std::string("the profile's ") + name + " curve gives no finite numbers");
        lowest = level == 0 ? value : std::min(lowest, value);
        highest = level == 0 ? value : std::max(highest, value);
    }
    if (!(highest - lowest >= 1.0f / 255.0f))
        return fail(std::string("the profile's ") + name + " curve is constant");
    return {};
}

// Device white (no ink for CMYK) through the profile as a picture would go.
Result<void> checkWhite(cmsContext context, cmsHPROFILE profile, std::uint32_t space, cmsUInt32Number intent,
                        cmsUInt32Number flags)
{
    cmsUInt32Number format = TYPE_RGB_DBL;
    double white[4] = {1.0, 1.0, 1.0, 0.0};
    if (space == cmsSigGrayData) {
        format = TYPE_GRAY_DBL;
    } else if (space == cmsSigCmykData) {
        format = TYPE_CMYK_DBL;
        white[0] = white[1] = white[2] = 0.0;
    }
    const ProfileHandle lab(cmsCreateLab4ProfileTHR(context, nullptr));
    const TransformHandle toLab(lab ? cmsCreateTransformTHR(context, profile, format, lab.get(), TYPE_Lab_DBL, intent,
                                                            flags | cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE)
                                    : nullptr);
    if (!toLab)
        return fail("the profile cannot be converted to sRGB");
    cmsCIELab out{};
    cmsDoTransform(toLab.get(), white, &out, 1);
    const double distance = std::sqrt((out.L - 100.0) * (out.L - 100.0) + out.a * out.a + out.b * out.b);
    if (!(distance <= kWhiteTolerance)) {
        char text[96];
        std::snprintf(text, sizeof text, "the profile turns white into L*a*b* %.0f %.0f %.0f", out.L, out.a, out.b);
        return fail(text);
    }
    return {};
}

} // namespace

Result<void> checkSensible(cmsContext context, cmsHPROFILE profile, std::uint32_t space, cmsUInt32Number intent,
                           cmsUInt32Number flags)
{
    if (space == cmsSigRgbData && cmsIsMatrixShaper(profile)) {
        VARDOLIN_TRY(checkColorants(profile));
        VARDOLIN_TRY(checkCurve(profile, cmsSigRedTRCTag, "red"));
        VARDOLIN_TRY(checkCurve(profile, cmsSigGreenTRCTag, "green"));
        VARDOLIN_TRY(checkCurve(profile, cmsSigBlueTRCTag, "blue"));
    } else if (space == cmsSigGrayData && cmsIsMatrixShaper(profile)) {
        VARDOLIN_TRY(checkCurve(profile, cmsSigGrayTRCTag, "gray"));
    }
    return checkWhite(context, profile, space, intent, flags);
}

} // namespace vardolin::picture
