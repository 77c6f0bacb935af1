#pragma once
// The standard start: collects the frame context, reads the debug switches
// from debug.ini, decides test mode and writes the start block of debug lines.

#include "frame/FrameContext.h"
#include "frame/StandardProc530.h"

#include <QString>

namespace vardolin::frame {

// Called once, first. The main source file's name is shown in the start block.
void z_StandardStart(FrameContext& context, StandardProc& proc,
                     const QString& mainSourceFile = QStringLiteral("main.cpp"));

// The platform's counterparts of the Windows values the context records.
QString applicationDataFolder(const Environment& environment);
QString userName(const Environment& environment);
QString systemRootFolder(const Environment& environment);
QString computerName(const Environment& environment);

} // namespace vardolin::frame
