#include "frame/StandardEnde530.h"

#include "util/Text.h"

namespace vardolin::frame {

void z_StandardEnde(const FrameContext& context, StandardProc& proc)
{
    // Test mode would run a developer tool here; this build has none.
    proc.s_Debug(QStringLiteral("StandardEnde530"), QStringLiteral("z_StandardEnde"), __LINE__,
                 util::padRight(QStringLiteral("--- Ende "), 165, u'-'), 5, 1, 0, context.DebugFileAnw);
}

} // namespace vardolin::frame
