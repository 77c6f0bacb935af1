#include "app/Program.h"

#include "util/Paths.h"

#include <QApplication>
#include <QFileInfo>

namespace vardolin::app {

void checkSourceFolder(Settings& settings, const QString& workingFolder)
{
    if (settings.QuellVerz.isEmpty() || !QFileInfo(settings.QuellVerz).isDir())
        settings.QuellVerz = workingFolder;
}

void applyCommandLineArgument(Settings& settings, const QString& argument)
{
    if (argument.isEmpty())
        return;
    settings.QuellVerz = util::pathPart(argument);
    settings.BildDatei = util::filePart(argument);
}

int runProgram(int argc, char** argv)
{
    QApplication application(argc, argv);
    return 0;
}

} // namespace vardolin::app
