#pragma once
// Owners for the handles of the colour management library, so every path out
// of a function releases what it made.

#include <lcms2.h>
#include <memory>
#include <type_traits>

namespace vardolin::picture {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct ToneCurveDeleter {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
struct ContextDeleter {
    void operator()(cmsContext context) const { cmsDeleteContext(context); }
};

using ProfileHandle = std::unique_ptr<std::remove_pointer_t<cmsHPROFILE>, ProfileCloser>;
using TransformHandle = std::unique_ptr<std::remove_pointer_t<cmsHTRANSFORM>, TransformDeleter>;
using ToneCurveHandle = std::unique_ptr<cmsToneCurve, ToneCurveDeleter>;
using ContextHandle = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;

} // namespace vardolin::picture
