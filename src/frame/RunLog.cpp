#include "frame/RunLog.h"

#include "frame/LogFolder.h"
#include "util/Dates.h"

#include <QMutexLocker>

#ifdef Q_OS_UNIX
#include <sys/file.h>

#include <cerrno>
#endif

namespace vardolin::frame {

namespace {

const QString kFileName = QStringLiteral("Vardolin.log");

// Holds the file's lock while it lives. Several programs may write one log
// (two windows, started at once); each line goes in whole under the lock, and
// the size test at the start sees no other program's half-written banner.
class FileLock {
public:
    explicit FileLock(QFile& file) : handle_(file.handle())
    {
#ifdef Q_OS_UNIX
        while (handle_ >= 0 && ::flock(handle_, LOCK_EX) != 0 && errno == EINTR) {
        }
#endif
    }
    ~FileLock()
    {
#ifdef Q_OS_UNIX
        if (handle_ >= 0)
            ::flock(handle_, LOCK_UN);
#endif
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    [[maybe_unused]] int handle_; // unlocked on platforms without flock
};

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
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return false;
    }
    const FileLock locked(file_);
    // Emptied rather than deleted: another program that has the log open
    // keeps writing into this same file, not into one that is gone.
    if (file_.size() > kMaxSize) {
        file_.resize(0);
    }
    writeUnlocked(QString(80, u'=') + QStringLiteral("\r\n") + banner(QStringLiteral("Programmstart "))
                  + QStringLiteral("\r\n") + QString(80, u'-'));
    return true;
}

void RunLog::close()
{
    QMutexLocker lock(&mutex_);
    if (!file_.isOpen()) {
        return;
    }
    writeLocked(QString(80, u'-') + QStringLiteral("\r\n") + banner(QStringLiteral("Programmende "))
                + QStringLiteral("\r\n") + QString(80, u'='));
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

void RunLog::writeLocked(const QString& lines)
{
    if (file_.isOpen()) {
        const FileLock locked(file_);
        writeUnlocked(lines);
    }
}

void RunLog::writeUnlocked(const QString& lines)
{
    if (file_.isOpen()) {
        file_.write((lines + QStringLiteral("\r\n")).toUtf8());
    }
}

QString RunLog::banner(const QString& word) const
{
    return word + util::formatDate(QStringLiteral("%yyyy-%mm-%dd  %hh:%ii:%ss"), clock_.localNow());
}

} // namespace vardolin::frame
