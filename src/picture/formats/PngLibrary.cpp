#include "picture/formats/PngLibrary.h"

#include <cstdio>
#include <cstring>

namespace vardolin::picture {
namespace {

PngComplaints& complaintsOf(png_structp png)
{
    return *static_cast<PngComplaints*>(png_get_error_ptr(png));
}

extern "C" {
static void jumpBack(png_structp png, png_const_charp message)
{
    std::snprintf(complaintsOf(png).error, PngComplaints::kLength, "%s", message);
    png_longjmp(png, 1);
}

static void keepWarning(png_structp png, png_const_charp message)
{
    PngComplaints& complaints = complaintsOf(png);
    if (complaints.keptWarnings == PngComplaints::kKeptWarnings)
        return;
    char text[PngComplaints::kLength];
    std::snprintf(text, sizeof text, "%s", message);
    for (int i = 0; i < complaints.keptWarnings; ++i)
        if (std::strcmp(complaints.warnings[i], text) == 0)
            return;
    std::memcpy(complaints.warnings[complaints.keptWarnings++], text, sizeof text);
}
}

} // namespace

png_structp createPngReader(PngComplaints& complaints)
{
    return png_create_read_struct(PNG_LIBPNG_VER_STRING, &complaints, jumpBack, keepWarning);
}

png_structp createPngWriter(PngComplaints& complaints)
{
    return png_create_write_struct(PNG_LIBPNG_VER_STRING, &complaints, jumpBack, keepWarning);
}

} // namespace vardolin::picture
