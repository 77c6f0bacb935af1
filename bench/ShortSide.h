#pragma once
// The size a copy gets: its shorter side becomes S, the aspect ratio stays.
// The ratio passes through a 32-bit float and the product is rounded to the
// nearest integer, ties to even, as the conversion does it.

#include "picture/Picture.h"

namespace vardolin::bench {

picture::Size shortSideSize(picture::Size full, int shortSide);

} // namespace vardolin::bench
