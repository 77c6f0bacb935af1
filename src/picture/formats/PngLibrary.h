#pragma once
// Driving libpng: where its errors and warnings go, and the one place a jump
// target is set for it. An error makes the library jump back to pngGuarded,
// which returns false with the message kept; a warning (a checksum wrong,
// data past the end, a chunk it dropped) is kept and the work goes on.

#include "picture/Picture.h"

#include <csetjmp>
#include <png.h>

namespace vardolin::picture {

// Plain data only, so a jump may cross it.
struct PngComplaints {
    static constexpr int kKeptWarnings = 4;
    static constexpr int kLength = 200;

    char error[kLength] = {};
    // The distinct warnings, in the order they came; further ones are dropped.
    char warnings[kKeptWarnings][kLength] = {};
    int keptWarnings = 0;
};

// A reader or writer that reports to complaints; null when libpng could not
// make one.
png_structp createPngReader(PngComplaints& complaints);
png_structp createPngWriter(PngComplaints& complaints);

// Runs step, a sequence of library calls, with the jump target set: true when
// it ran through, false when the library failed (the complaints say why).
// Nothing in step may own a resource: a jump leaves it without unwinding.
template <typename Step> bool pngGuarded(png_structp png, Step&& step)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    step();
    return true;
}

} // namespace vardolin::picture
