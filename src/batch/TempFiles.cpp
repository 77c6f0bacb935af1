#include "batch/TempFiles.h"

#include "util/FileNames.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace fs = std::filesystem;

namespace vardolin::batch {
namespace {

std::atomic<quint64> nextNumber{1};

qint64 ownProcessId()
{
    return QCoreApplication::applicationPid();
}

// The process number inside a temporary name, or -1.
qint64 writerOf(const QString& fileName)
{
    const QString prefix = QString::fromUtf16(temporaryPrefix);
    const qsizetype dash = fileName.indexOf(u'-', prefix.size());
    if (dash < 0)
        return -1;
    bool ok = false;
    const qint64 pid = fileName.mid(prefix.size(), dash - prefix.size()).toLongLong(&ok);
    return ok ? pid : -1;
}

bool writerHasEnded(const QString& fileName, const fs::path& file)
{
    const qint64 pid = writerOf(fileName);
    if (pid == ownProcessId())
        return false;
#ifndef _WIN32
    if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    (void)file;
    return false;
#else
    // Without a cheap liveness test, a temporary untouched for an hour is
    // taken as left behind.
    std::error_code error;
    const auto written = fs::last_write_time(file, error);
    return !error && fs::file_time_type::clock::now() - written > std::chrono::hours(1);
#endif
}

} // namespace

QString temporaryNameIn(const QString& folder)
{
    return folder + QString::fromUtf16(temporaryPrefix) + QString::number(ownProcessId()) + u'-'
           + QString::number(nextNumber.fetch_add(1)) + QString::fromUtf16(temporarySuffix);
}

bool isTemporaryName(const QString& fileName)
{
    return fileName.startsWith(QString::fromUtf16(temporaryPrefix))
           && fileName.endsWith(QString::fromUtf16(temporarySuffix)) && writerOf(fileName) > 0;
}

int removeStaleTemporaries(const QString& folder)
{
    std::error_code error;
    fs::directory_iterator it(folder.isEmpty() ? fs::path(".") : util::toFsPath(folder), error);
    if (error)
        return 0;
    int removed = 0;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const QString name = util::fromFsPath(it->path().filename());
        if (!isTemporaryName(name) || !writerHasEnded(name, it->path()))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

} // namespace vardolin::batch
