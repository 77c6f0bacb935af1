#include "picture/formats/JpegLibrary.h"

#include <cstring>
#include <string>

namespace vardolin::picture {
namespace {

JpegComplaints& complaintsOf(j_common_ptr info)
{
    return *reinterpret_cast<JpegComplaints*>(info->err);
}

extern "C" {
static void jumpBack(j_common_ptr info)
{
    JpegComplaints& complaints = complaintsOf(info);
    (*info->err->format_message)(info, complaints.error);
    std::longjmp(complaints.jump, 1);
}

// Level -1 is a warning; the others are trace messages, which nobody reads.
static void keepWarning(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    JpegComplaints& complaints = complaintsOf(info);
    ++info->err->num_warnings;
    ++complaints.allWarnings;
    if (complaints.keptWarnings == JpegComplaints::kKeptWarnings)
        return;
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    for (int i = 0; i < complaints.keptWarnings; ++i)
        if (std::strcmp(complaints.warnings[i], text) == 0)
            return;
    std::memcpy(complaints.warnings[complaints.keptWarnings++], text, sizeof text);
}

static void printNothing(j_common_ptr) {}
}

} // namespace

jpeg_error_mgr* reportTo(JpegComplaints& complaints)
{
    jpeg_error_mgr* manager = jpeg_std_error(&complaints.manager);
    manager->error_exit = jumpBack;
    manager->emit_message = keepWarning;
    manager->output_message = printNothing;
    return manager;
}

void failJpegCall(j_common_ptr info, const char* reason)
{
    JpegComplaints& complaints = complaintsOf(info);
    std::snprintf(complaints.error, sizeof complaints.error, "%s", reason);
    std::longjmp(complaints.jump, 1);
}

void noteWarnings(const JpegComplaints& complaints, Notes& notes)
{
    for (int i = 0; i < complaints.keptWarnings; ++i)
        notes.push_back({Note::Kind::Damaged, std::string("JPEG: ") + complaints.warnings[i]});
    const int more = complaints.allWarnings - complaints.keptWarnings;
    if (more > 0 && complaints.keptWarnings == JpegComplaints::kKeptWarnings)
        notes.push_back({Note::Kind::Damaged, "JPEG: " + std::to_string(more) + " more warnings"});
}

} // namespace vardolin::picture
