#include "util/Files.h"

#include "util/Dates.h"
#include "util/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace vardolin::util {

namespace {

#ifdef Q_OS_WIN
// "C:" or "C:\": the drive's root exists or not.
std::optional<qint64> driveSizeTest(const QString& path)
{
    if ((path.size() == 2 || path.size() == 3) && path.at(1) == u':') {
        return QFileInfo(path.left(2) + u'\\').isDir() ? -2 : -1;
    }
    return std::nullopt;
}
#endif

} // namespace

qint64 sizeTest(const QString& path)
{
    if (path.isEmpty()) {
        return -1;
    }
#ifdef Q_OS_WIN
    if (const auto drive = driveSizeTest(path)) {
        return *drive;
    }
#endif
    QString entry = path;
    while (entry.size() > 1 && isSeparator(entry.back())) {
        entry.chop(1);
    }
    const QFileInfo info(entry);
    if (!info.exists()) {
        return -1;
    }
    return info.isDir() ? -2 : info.size();
}

bool isFolder(const QString& path)
{
    return sizeTest(path) == -2;
}

int createFolder(const QString& path)
{
    const QString folder = withoutTrailingSeparators(path);
    if (folder.isEmpty()) {
        return 0;
    }
    return QDir().mkdir(folder) ? 1 : 0;
}

qint64 modificationTime(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return 0;
    }
    return dateValueOf(info.lastModified());
}

bool setModificationTime(const QString& path, qint64 dateValue)
{
    const qint64 instant = localTimeOf(dateValue).toSecsSinceEpoch();
#ifdef Q_OS_UNIX
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(instant);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    return file.setFileTime(QDateTime::fromSecsSinceEpoch(instant), QFileDevice::FileModificationTime);
#endif
}

std::optional<QStringList> readTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    QString text = QString::fromUtf8(bytes);
    if (text.endsWith(u'\n')) {
        text.chop(1);
    }
    if (text.isEmpty()) {
        return QStringList();
    }
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
    }
    return lines;
}

bool writeTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    // ReadWrite creates a missing file and keeps an existing one's length.
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // A file the user may write in a folder that takes no new file (a
    // read-only working folder) could otherwise never be saved again.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vardolin::util
