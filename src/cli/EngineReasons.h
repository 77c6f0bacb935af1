#pragma once
// The picture engine gives its reasons in English; vardolin-batch says them
// in the user's language, so that a line never mixes two.

#include "util/Language.h"

#include <QString>

namespace vardolin::cli {

// The reason in the language: English as it is; German by the table of the
// engine's texts, a part it does not know (a library's own message) kept.
// Fits batch::EngineWording.
QString engineReasonIn(const QString& reason, util::Language language);

} // namespace vardolin::cli
