#pragma once
// The program's version text and change history.

#include <QString>

namespace vardolin::app {

// "V": the current version text "  V 1.07" (callers trim it); "A": the whole
// change history, one entry per version, each line ending in CR LF; any other
// mode, compared exactly: the empty text.
QString z_Doku(const QString& mode);

} // namespace vardolin::app
