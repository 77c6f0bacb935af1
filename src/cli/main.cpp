// vardolin-batch [options] [PATH]: the batch run from a terminal.

#include "cli/BatchCommand.h"
#include "cli/Locale.h"
#include "util/FileNames.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vardolin-batch"));
    // Decoded like names from the disk, so that a path that is not UTF-8 still
    // leads to its folder.
    return vardolin::cli::runBatchCommand(vardolin::util::commandLineArguments(argc, argv),
                                          vardolin::util::workingFolder(), vardolin::cli::languageOfEnvironment());
}
