#pragma once
// Owners for the handles of the colour management library, so every path out
// of a function releases what it made.

#include "picture/LibraryOwner.h"

#include <lcms2.h>
#include <type_traits>

namespace vardolin::picture {

using ProfileHandle = LibraryOwner<std::remove_pointer_t<cmsHPROFILE>, cmsCloseProfile>;
using TransformHandle = LibraryOwner<std::remove_pointer_t<cmsHTRANSFORM>, cmsDeleteTransform>;
using ToneCurveHandle = LibraryOwner<cmsToneCurve, cmsFreeToneCurve>;
using ContextHandle = LibraryOwner<std::remove_pointer_t<cmsContext>, cmsDeleteContext>;

} // namespace vardolin::picture
