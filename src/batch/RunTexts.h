#pragma once
// The run's own texts beyond the status and message texts of the window: what
// it says about a damaged picture and about a run that could not start. Each
// in German and English side by side, so the program around the run chooses
// the language; German is what the window and vardolin-batch say today.

#include <QString>
#include <QStringList>

namespace vardolin::batch {

enum class Language { German, English };

// The run-log line (and vardolin-batch's line on standard error) for a
// picture whose file is damaged and whose copy was made from what it still
// held: "Bild unvollständig: <source> : <warnings>".
QString damagedLogLine(const QString& source, const QStringList& warnings, Language language);

// Why a damaged picture got no copy when warnings fail a file:
// "unvollständig: <warnings>".
QString damagedReason(const QStringList& warnings, Language language);

// The status line after a run that could not start because the mode-3
// subfolder could not be made (the message box said which).
QString notStartedStatus(Language language);

} // namespace vardolin::batch
