#include "app/Program.h"

#include "app/MainWindowSession.h"
#include "app/MessageBoxes.h"
#include "frame/IniDatei.h"
#include "frame/RunLog.h"
#include "frame/StandardEnde530.h"
#include "frame/StandardStart530.h"
#include "frame/StartFolder.h"
#include "frame/UserFolders.h"
#include "util/FileNames.h"

#include <QApplication>
#include <QIcon>

namespace vardolin::app {

int runProgram(int argc, char** argv)
{
    // Process set-up. Nothing registers the picture codecs: the decoders and
    // encoders are constant tables (picture/DecoderTable.cpp, Encoders.cpp),
    // the decoders probed in their fixed order.
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    application.setWindowIcon(QIcon(QStringLiteral(":/vardolin.png")));
    presentMessagesInBoxes();

    frame::FrameContext context;
    frame::StandardProc proc;
    frame::z_StandardStart(context, proc, QStringLiteral("main.cpp"));
    // The list files are written there as the window opens, the settings as
    // it closes; a folder that cannot be made shows when they cannot be.
    if (context.settingsInUserConfig)
        frame::makeUserFolder(context.uAktVerz);

    Settings settings;
    frame::IniDatei(settings, context, QStringLiteral("#READ"));

    frame::RunLog log;
    log.open(context.uExeVerz);

    frame::takeStartFolder(settings, frame::sourceFallbackFolder(context, proc.environment()),
                           util::commandLineArguments(argc, argv).value(0));

    HauptFenster(settings, context, log);

    frame::IniDatei(settings, context, QStringLiteral("#WRITE"));
    frame::z_StandardEnde(context, proc);
    return 0;
}

} // namespace vardolin::app
