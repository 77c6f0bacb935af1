#include "frame/RunLog.h"

#include "frame/LogFolder.h"
#include "util/Dates.h"

#include <QMutexLocker>

namespace vardolin::frame {

namespace {

const QString kFileName = QStringLiteral("Vardolin.log");

} // namespace

RunLog::RunLog(const Clock& clock, const Environment& environment) : clock_(clock), environment_(environment) {}

bool RunLog::open(const QString& exeFolder)
{
    QMutexLocker lock(&mutex_);
    on_ = true;
    file_.close();
    const QString folder = logBaseFolder(exeFolder, environment_);
    if (folder.isEmpty()) {
        return false;
    }
    file_.setFileName(folder + kFileName);
    if (file_.size() > kMaxSize) {
        file_.remove();
    }
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    writeLocked(QString(80, u'='));
    writeLocked(banner(QStringLiteral("Programmstart ")));
    writeLocked(QString(80, u'-'));
    return true;
}

void RunLog::close()
{
    QMutexLocker lock(&mutex_);
    if (!file_.isOpen()) {
        return;
    }
    writeLocked(QString(80, u'-'));
    writeLocked(banner(QStringLiteral("Programmende ")));
    writeLocked(QString(80, u'='));
    file_.close();
}

void RunLog::writeLine(const QString& line)
{
    QMutexLocker lock(&mutex_);
    writeLocked(line);
}

QString RunLog::filePath() const
{
    QMutexLocker lock(&mutex_);
    return file_.fileName();
}

void RunLog::writeLocked(const QString& line)
{
    if (file_.isOpen()) {
        file_.write((line + QStringLiteral("\r\n")).toUtf8());
        file_.flush();
    }
}

QString RunLog::banner(const QString& word) const
{
    return word + util::formatDate(QStringLiteral("%yyyy-%mm-%dd  %hh:%ii:%ss"), clock_.localNow());
}

} // namespace vardolin::frame
