#pragma once
// libheif for the HEIF decoder and the AVIF encoder alike.

#include "picture/LibraryOwner.h"
#include "picture/Result.h"

#include <libheif/heif.h>

namespace vardolin::picture {

using HeifContextOwner = LibraryOwner<heif_context, heif_context_free>;
using HeifHandleOwner = LibraryOwner<heif_image_handle, heif_image_handle_release>;
using HeifImageOwner = LibraryOwner<heif_image, heif_image_release>;
using HeifNclxOwner = LibraryOwner<heif_color_profile_nclx, heif_nclx_color_profile_free>;

// libheif's answer as a result: its message after `what` when it failed.
Result<void> heifResult(const heif_error& error, const char* what);

// libheif registers its codecs on first use without a lock; this does it
// under one, before two workers can race there. Call before any other
// libheif function.
void initialiseHeif();

} // namespace vardolin::picture
