#pragma once
// vardolin-batch: the batch run of the program without its window.

#include "util/Language.h"

#include <QString>
#include <QStringList>

namespace vardolin::cli {

// How a run ended, as its exit status. A run ended by a signal ends by that
// signal instead (the shell sees 128 + its number).
enum ExitCode {
    allDone = 0,    // every listed file was written or skipped on purpose
    someFailed = 1, // some files failed, all others done
    badUsage = 2,   // the command line could not be understood
    notStarted = 3, // the run could not start: settings unreadable, target not makeable
};

// Reads the settings the options choose (SettingsSource.h) and the size
// list beside them, writing neither; applies PATH and the options, runs the
// batch and returns the exit code: 0 when every listed file was written or
// skipped on purpose, 1 when some failed or the run was stopped, 2 on bad
// usage (a call without PATH included), 3 when the run could not start (a
// settings or list file that is there cannot be read, a target folder or
// mode-3 subfolder that cannot be made). A stop by a signal is ended by that
// signal afterwards (ConsoleHost::endByStopSignal). Everything it prints is
// in the language.
int runBatchCommand(const QStringList& arguments, const QString& workingFolder, util::Language language);

} // namespace vardolin::cli
