#pragma once
// A main window as the program builds it, over a temporary working folder,
// with messages recorded instead of shown.

#include "app/MainWindowSession.h"
#include "frame/IniDatei.h"
#include "frame/MessageBox.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

namespace vardolin::app::testing {

struct Message {
    QString title;
    QString text;
};

inline QString withSeparator(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path)) + QDir::separator();
}

class Session {
public:
    QTemporaryDir dir;
    frame::FrameContext context;
    frame::RunLog log;
    Settings settings;
    std::vector<Message> messages;
    std::unique_ptr<MainWindowSession> session;

    Session()
    {
        context.uAnwendung = QStringLiteral("Vardolin");
        context.uAktVerz = folder();
        context.uExeVerz = folder();
        context.uPgmVersion = QStringLiteral("V 1.07");
    }

    ~Session()
    {
        session.reset();
        frame::setMessagePresenter({});
    }

    QString folder() const { return withSeparator(dir.path()); }
    QString path(const QString& name) const { return folder() + name; }

    // Reads the settings file as the program does at start, then lets the
    // test change the record before the window takes it.
    void readSettings() { frame::IniDatei(settings, context, QStringLiteral("#READ")); }

    MainWindow& open()
    {
        log.open(context.uExeVerz);
        recordMessages();
        session = std::make_unique<MainWindowSession>(settings, context, log);
        return session->window();
    }

    void recordMessages()
    {
        frame::setMessagePresenter([this](const QString& title, const QString& text, int) {
            messages.push_back({title, text});
            return 1;
        });
    }

    MainWindow& window() { return session->window(); }
    EventTable& events() { return session->events(); }

    // Writes a small picture; returns its full path.
    QString picture(const QString& relativePath, int width = 40, int height = 30) const
    {
        const QString full = dir.path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(full).path());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(200, 120, 40));
        image.save(full);
        return full;
    }
};

} // namespace vardolin::app::testing
