// vardolin-batch [options] [PATH]: the batch run from a terminal.

#include "cli/BatchCommand.h"
#include "cli/ConsoleHost.h"
#include "cli/Locale.h"
#include "util/FileNames.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    const vardolin::util::Language language = vardolin::cli::languageOfEnvironment();
    // First, so that every thread started later leaves the stop signals to
    // the one thread that takes them.
    vardolin::cli::ConsoleHost::stopOnInterrupt(language);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vardolin-batch"));
    // Decoded like names from the disk, so that a path that is not UTF-8 still
    // leads to its folder.
    const int code = vardolin::cli::runBatchCommand(vardolin::util::commandLineArguments(argc, argv),
                                                    vardolin::util::workingFolder(), language);
    vardolin::cli::ConsoleHost::endByStopSignal();
    return code;
}
