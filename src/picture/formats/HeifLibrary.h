#pragma once
// libheif for the HEIF decoder and the AVIF encoder alike.

namespace vardolin::picture {

// libheif registers its codecs on first use without a lock; this does it
// under one, before two workers can race there. Call before any other
// libheif function.
void initialiseHeif();

} // namespace vardolin::picture
