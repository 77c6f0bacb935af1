#pragma once
// Driving libjpeg: where its errors and warnings go, and the one place a jump
// target is set for it. An error makes the library jump back to jpegGuarded,
// which returns false with the message kept; a warning (data corrupt, the
// file ends early) is kept and the work goes on, so the layer above can say
// that the picture is what the damaged file still held.

#include "picture/Picture.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace vardolin::picture {

// Plain data only, so a jump may cross it. The manager comes first: the
// library hands it back as the object's err pointer.
struct JpegComplaints {
    static constexpr int kKeptWarnings = 4;

    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char error[JMSG_LENGTH_MAX] = {};
    // The distinct warnings, in the order they came; further ones are counted.
    char warnings[kKeptWarnings][JMSG_LENGTH_MAX] = {};
    int keptWarnings = 0;
    int allWarnings = 0;
};

// Points the library's reports for one object at complaints; set before the
// object is created.
jpeg_error_mgr* reportTo(JpegComplaints& complaints);

// Ends the library call in progress with our own reason, as its own errors do.
[[noreturn]] void failJpegCall(j_common_ptr info, const char* reason);

// Runs step, a sequence of library calls, with the jump target set: true when
// it ran through, false when the library failed (complaints.error says why).
// Nothing in step may own a resource: a jump leaves it without unwinding.
template <typename Step> bool jpegGuarded(JpegComplaints& complaints, Step&& step)
{
    if (setjmp(complaints.jump))
        return false;
    step();
    return true;
}

// The warnings as notes of a damaged file.
void noteWarnings(const JpegComplaints& complaints, Notes& notes);

} // namespace vardolin::picture
