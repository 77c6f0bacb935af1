#include "app/Program.h"

#include "app/MainWindowSession.h"
#include "app/MessageBoxes.h"
#include "frame/IniDatei.h"
#include "frame/RunLog.h"
#include "frame/StandardEnde530.h"
#include "frame/StandardStart530.h"
#include "frame/StartFolder.h"
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

    Settings settings;
    frame::IniDatei(settings, context, QStringLiteral("#READ"));

    frame::RunLog log;
    log.open(context.uExeVerz);

    frame::takeStartFolder(settings, context.uAktVerz, util::commandLineArguments(argc, argv).value(0));

    HauptFenster(settings, context, log);

    frame::IniDatei(settings, context, QStringLiteral("#WRITE"));
    frame::z_StandardEnde(context, proc);
    return 0;
}

} // namespace vardolin::app
