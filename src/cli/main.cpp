// vardolin-batch [options] [PATH]: the batch run from a terminal.

#include "cli/BatchCommand.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vardolin-batch"));
    return vardolin::cli::runBatchCommand(QCoreApplication::arguments().mid(1), QDir::currentPath());
}
