#include "util/Files.h"

#include "util/FileNames.h"
#include "util/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <chrono>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
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

#ifdef Q_OS_UNIX
namespace {

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Where links cannot be made (FAT, some network shares): created only when
// missing, then written.
NewFile writeNewFileInPlace(const QByteArray& name, const QByteArray& bytes)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? NewFile::AlreadyThere : NewFile::Failed;
    const bool complete = writeAll(fd, bytes);
    ::close(fd);
    if (!complete)
        ::unlink(name.constData());
    return complete ? NewFile::Written : NewFile::Failed;
}

} // namespace

NewFile writeNewFileWhole(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = fileNameFromText(path);
    QByteArray temporary = fileNameFromText(folderOf(path)) + '.' + fileNameFromText(nameOf(path)) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return writeNewFileInPlace(name, bytes);
    // mkstemp's 0600 would keep the file from others who may read it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    const bool complete = writeAll(fd, bytes);
    ::close(fd);
    NewFile result = NewFile::Failed;
    if (complete && ::link(temporary.constData(), name.constData()) == 0)
        result = NewFile::Written;
    else if (complete && errno == EEXIST)
        result = NewFile::AlreadyThere;
    else if (complete)
        result = writeNewFileInPlace(name, bytes);
    ::unlink(temporary.constData());
    return result;
}
#else
NewFile writeNewFileWhole(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo::exists(path))
        return NewFile::AlreadyThere;
    QTemporaryFile file(folderOf(path) + u'.' + nameOf(path) + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return NewFile::Failed;
    // Renaming onto an existing name fails here, so the first writer's file stays.
    if (file.rename(path)) {
        file.setAutoRemove(false);
        return NewFile::Written;
    }
    return QFileInfo::exists(path) ? NewFile::AlreadyThere : NewFile::Failed;
}
#endif

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
