#pragma once
// vardolin-batch: the batch run of the program without its window.

#include <QString>
#include <QStringList>

namespace vardolin::cli {

enum ExitCode { allDone = 0, someFailed = 1, badUsage = 2 };

// Reads Vardolin.ini and the two list files from workingFolder (writing the
// list files with their defaults when missing, never the settings file),
// applies PATH and the options, runs the batch and returns the exit code:
// 0 when every listed file was written or skipped on purpose, 1 when some
// failed or the run was stopped, 2 on bad usage.
int runBatchCommand(const QStringList& arguments, const QString& workingFolder);

} // namespace vardolin::cli
