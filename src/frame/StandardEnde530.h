#pragma once
// The standard end: writes the closing debug line. The debug file stays open
// until the process ends.

#include "frame/FrameContext.h"
#include "frame/StandardProc530.h"

namespace vardolin::frame {

// Called once, last, after the settings have been written back.
void z_StandardEnde(const FrameContext& context, StandardProc& proc);

} // namespace vardolin::frame
