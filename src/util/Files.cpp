#include "util/Files.h"

#include "util/FileNames.h"
#include "util/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

// Opens file under a name that may hold bytes that are not UTF-8 (see
// FileNames.h); QFile given the text itself would write them as U+FFFD. A
// folder is not a file.
bool openByName(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    int flags = O_RDONLY;
    if (mode & QIODevice::WriteOnly) {
        flags = ((mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY) | O_CREAT;
    }
    const int fd = ::open(fileNameFromText(path).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && !S_ISDIR(status.st_mode) && file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        return true;
    }
    ::close(fd);
    return false;
#else
    file.setFileName(path);
    return file.open(mode);
#endif
}

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
    const std::filesystem::path name = toFsPath(entry);
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error || !std::filesystem::exists(status)) {
        return -1;
    }
    if (std::filesystem::is_directory(status)) {
        return -2;
    }
    const auto size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(name, error) : 0;
    return error ? -1 : qint64(size);
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
    std::error_code error;
    return std::filesystem::create_directory(toFsPath(folder), error) && !error ? 1 : 0;
}

qint64 modificationTime(const QString& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(toFsPath(path), error);
    if (error) {
        return 0;
    }
    const auto instant = std::chrono::file_clock::to_sys(written);
    return std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count();
}

bool setModificationTime(const QString& path, qint64 instant)
{
#ifdef Q_OS_UNIX
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(instant);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, fileNameFromText(path).constData(), times, 0) == 0;
#else
    const std::chrono::sys_seconds time{std::chrono::seconds(instant)};
    std::error_code error;
    std::filesystem::last_write_time(toFsPath(path), std::chrono::file_clock::from_sys(time), error);
    return !error;
#endif
}

std::optional<QStringList> readTextLines(const QString& path)
{
    QFile file;
    if (!openByName(file, path, QIODevice::ReadOnly)) {
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
    QFile file;
    // ReadWrite creates a missing file and keeps an existing one's length.
    if (!openByName(file, path, QIODevice::ReadWrite)) {
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
