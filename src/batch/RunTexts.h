#pragma once
// The run's texts about a damaged picture and about a run that could not
// start, in the language of the run (util/Language.h): vardolin-batch speaks
// the user's locale, the window German in either of its languages.

#include "util/Language.h"

#include <QString>
#include <QStringList>

namespace vardolin::batch {

// The run-log line (and vardolin-batch's line on standard error) for a
// picture whose file is damaged and whose copy was made from what it still
// held: "Bild unvollständig: <source> : <warnings>". The warnings come
// already in the language.
QString damagedLogLine(const QString& source, const QStringList& warnings, util::Language language);

// Why a damaged picture got no copy when warnings fail a file:
// "unvollständig: <warnings>".
QString damagedReason(const QStringList& warnings, util::Language language);

// The status line after a run that could not start because the mode-3
// subfolder could not be made (the message box said which).
QString notStartedStatus(util::Language language);

} // namespace vardolin::batch
