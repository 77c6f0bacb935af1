#include "app/MainWindowSession.h"

#include "frame/IniDatei.h"

#include <QEventLoop>

namespace vardolin::app {

MainWindowSession::MainWindowSession(Settings& settings, const frame::FrameContext& context, frame::RunLog& log)
{
    SprachTexte(texts_, QStringLiteral("#T"), settings.Sprache);
    window_.FensterOeffnen(0, 0, 800, 600, texts_);
    window_.setWindowTitle(QStringLiteral("Vardolin  ") + context.uPgmVersion);
    SprachTexte(texts_, QStringLiteral("#M"), settings.Sprache,
                [this](const MenuTexts& menu) { window_.rebuildMenu(menu); });
    events_ = std::make_unique<EventTable>(window_, settings, [&log](const QString& line) { log.writeLine(line); });
    events_->fillLists(context.uAktVerz);
    events_->settingsIntoControls();
}

MainWindowSession::~MainWindowSession()
{
    events_.reset();
}

void HauptFenster(Settings& settings, const frame::FrameContext& context, frame::RunLog& log)
{
    {
        MainWindowSession session(settings, context, log);
        QEventLoop loop;
        QObject::connect(&session.events(), &EventTable::loopEnds, &loop, &QEventLoop::quit);
        session.window().show();
        loop.exec();
        session.events().scans().waitForAll();
    }
    frame::IniDatei(settings, context, QStringLiteral("#WRITE"));
    if (log.isOn())
        log.close();
}

} // namespace vardolin::app
