#include "picture/formats/HeifLibrary.h"

#include <libheif/heif.h>

#include <mutex>

namespace vardolin::picture {

void initialiseHeif()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

} // namespace vardolin::picture
