#include "picture/formats/HeifLibrary.h"

#include <libheif/heif.h>

#include <mutex>
#include <string>

namespace vardolin::picture {

void initialiseHeif()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

Result<void> heifResult(const heif_error& error, const char* what)
{
    if (error.code == heif_error_Ok)
        return {};
    return fail(std::string(what) + (error.message ? error.message : "unknown"));
}

} // namespace vardolin::picture
