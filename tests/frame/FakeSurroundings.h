#pragma once
// A clock and an environment the frame tests set by hand.

#include "frame/Clock.h"
#include "frame/Environment.h"

#include <QDateTime>
#include <QFile>
#include <QMap>
#include <QString>

namespace vardolin::frame::testing {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2023, 5, 10), QTime(14, 30, 22))) : now_(std::move(now)) {}
    QDateTime localNow() const override { return now_; }
    qint64 elapsedMs() const override { return elapsed_; }

    void set(const QDateTime& now) { now_ = now; }
    void advance(qint64 ms)
    {
        elapsed_ += ms;
        now_ = now_.addMSecs(ms);
    }

private:
    QDateTime now_;
    qint64 elapsed_ = 1000;
};

class FakeEnvironment final : public Environment {
public:
    QMap<QString, QString> variables;
    QString exePath = QStringLiteral("/opt/vardolin/vardolin");
    QString workFolder = QStringLiteral("/home/u/work");
    QString host = QStringLiteral("office7");
    int instances = 1;

    QString variable(const QString& name) const override { return variables.value(name); }
    QString executablePath() const override { return exePath; }
    QString workingFolder() const override { return workFolder; }
    QString hostName() const override { return host; }
    int countInstances(const QString&, bool countAll) const override
    {
        return countAll ? instances : qMin(instances, 1);
    }
};

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

} // namespace vardolin::frame::testing
