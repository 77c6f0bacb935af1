#include "picture/colour/CicpProfile.h"

#include <string>

namespace vardolin::picture {
namespace {

struct Primaries {
    std::uint16_t code;
    double red[2], green[2], blue[2], white[2]; // CIE x, y
};

constexpr double kD65[2] = {0.3127, 0.3290};

// clang-format off
constexpr Primaries kPrimaries[] = {
    // code  red             green           blue            white
    {1,  {0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {kD65[0], kD65[1]}}, // BT.709, sRGB
    {4,  {0.670, 0.330}, {0.210, 0.710}, {0.140, 0.080}, {0.310, 0.316}},     // BT.470 M
    {5,  {0.640, 0.330}, {0.290, 0.600}, {0.150, 0.060}, {kD65[0], kD65[1]}}, // BT.470 B/G, BT.601 625
    {6,  {0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, {kD65[0], kD65[1]}}, // BT.601 525
    {7,  {0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, {kD65[0], kD65[1]}}, // SMPTE 240M
    {9,  {0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}, {kD65[0], kD65[1]}}, // BT.2020, BT.2100
    {11, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {0.314, 0.351}},     // DCI-P3
    {12, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, {kD65[0], kD65[1]}}, // Display P3
    {22, {0.630, 0.340}, {0.295, 0.605}, {0.155, 0.077}, {kD65[0], kD65[1]}}, // EBU 3213
};
// clang-format on

constexpr std::uint16_t kUnspecified = 2;
constexpr std::uint16_t kBt709 = 1;

const Primaries* primariesFor(std::uint16_t code)
{
    if (code == kUnspecified)
        code = kBt709;
    for (const Primaries& entry : kPrimaries)
        if (entry.code == code)
            return &entry;
    return nullptr;
}

enum class Curve { Srgb, Gamma22, Gamma28, Linear, Hdr, Unknown };

// The BT.709 family's camera curve is shown on sRGB displays as if it were
// sRGB's, which is what every viewer does with such files, so it counts as
// sRGB here too.
Curve curveFor(std::uint16_t transfer)
{
    switch (transfer) {
    case 1:  // BT.709
    case 0:  // reserved, read as unspecified
    case 2:  // unspecified
    case 6:  // BT.601
    case 13: // sRGB
    case 14: // BT.2020 10 bit
    case 15: // BT.2020 12 bit
        return Curve::Srgb;
    case 4: return Curve::Gamma22;
    case 5: return Curve::Gamma28;
    case 8: return Curve::Linear;
    case 16: // PQ
    case 18: // HLG
        return Curve::Hdr;
    default: return Curve::Unknown;
    }
}

ToneCurveHandle toneCurve(cmsContext context, Curve curve)
{
    if (curve == Curve::Srgb) {
        const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
        return ToneCurveHandle(cmsBuildParametricToneCurve(context, 4, srgb));
    }
    const double gamma = curve == Curve::Gamma22 ? 2.2 : curve == Curve::Gamma28 ? 2.8 : 1.0;
    return ToneCurveHandle(cmsBuildGamma(context, gamma));
}

} // namespace

Result<ProfileHandle> profileForCicp(cmsContext context, std::uint16_t primaries, std::uint16_t transfer)
{
    const Primaries* chosen = primariesFor(primaries);
    if (!chosen)
        return fail("colour primaries " + std::to_string(primaries) + " are not supported");
    const Curve curve = curveFor(transfer);
    if (curve == Curve::Hdr)
        return fail("HDR transfer curve " + std::to_string(transfer) + " (PQ or HLG) is not converted");
    if (curve == Curve::Unknown)
        return fail("transfer curve " + std::to_string(transfer) + " is not supported");
    if (chosen->code == kBt709 && curve == Curve::Srgb)
        return ProfileHandle();

    const cmsCIExyY white{chosen->white[0], chosen->white[1], 1.0};
    const cmsCIExyYTRIPLE colorants{{chosen->red[0], chosen->red[1], 1.0},
                                    {chosen->green[0], chosen->green[1], 1.0},
                                    {chosen->blue[0], chosen->blue[1], 1.0}};
    const ToneCurveHandle trc = toneCurve(context, curve);
    if (!trc)
        return fail("cannot build the transfer curve");
    cmsToneCurve* curves[3] = {trc.get(), trc.get(), trc.get()};
    ProfileHandle profile(cmsCreateRGBProfileTHR(context, &white, &colorants, curves));
    if (!profile)
        return fail("cannot build a profile for colour primaries " + std::to_string(primaries));
    return profile;
}

} // namespace vardolin::picture
