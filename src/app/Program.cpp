#include "app/Program.h"

#include "app/HauptFenster.h"
#include "app/MessageBoxes.h"
#include "frame/IniDatei.h"
#include "frame/RunLog.h"
#include "frame/StandardEnde530.h"
#include "frame/StandardStart530.h"
#include "util/Paths.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

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
    // Process set-up; the picture codecs register themselves in their fixed
    // order inside the engine.
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    application.setWindowIcon(QIcon(QStringLiteral(":/vardolin.png")));
    presentMessagesInBoxes();

    frame::FrameContext context;
    frame::StandardProc proc;
    frame::z_StandardStart(context, proc, QStringLiteral("main.cpp"));

    Settings settings;
    frame::IniDatei(settings, context, QStringLiteral("#READ"));

    frame::RunLog log;
    log.open(context.uExeVerz);

    checkSourceFolder(settings, context.uAktVerz);
    applyCommandLineArgument(settings, QApplication::arguments().value(1));

    HauptFenster(settings, context, log);

    frame::IniDatei(settings, context, QStringLiteral("#WRITE"));
    frame::z_StandardEnde(context, proc);
    return 0;
}

} // namespace vardolin::app
