#include "batch/TempFiles.h"

#include "util/FileNames.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
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

// The names of the temporaries being written, for a stop that cannot wait.
class InProgress {
public:
    void add(const QString& name)
    {
        std::lock_guard lock(mutex_);
        names_.insert(name);
    }
    void drop(const QString& name)
    {
        std::lock_guard lock(mutex_);
        if (const auto found = names_.find(name); found != names_.end())
            names_.erase(found);
    }
    void removeAll()
    {
        std::lock_guard lock(mutex_);
        for (const QString& name : names_) {
            std::error_code ignored;
            fs::remove(util::toFsPath(name), ignored);
        }
    }

private:
    std::mutex mutex_;
    std::multiset<QString> names_;
};

InProgress& inProgress()
{
    static InProgress names;
    return names;
}

qint64 ownProcessId()
{
    return QCoreApplication::applicationPid();
}

// The host name as it may stand in a file name.
const QString& ownHost()
{
    static const QString host = [] {
        QString name = QSysInfo::machineHostName();
        for (QChar& c : name) {
            const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
                               || c == u'.' || c == u'-';
            if (!plain)
                c = u'_';
        }
        return name.isEmpty() ? QStringLiteral("host") : name;
    }();
    return host;
}

// Tells this process apart from one with the same number on a machine or in
// a container of the same name.
const QString& ownInstance()
{
    static const QString instance = [] {
        std::random_device device;
        const quint64 value = (quint64(device()) << 32) ^ quint64(device());
        return QStringLiteral("%1").arg(value, 16, 16, QChar(u'0'));
    }();
    return instance;
}

struct Writer {
    qint64 pid = -1;
    QString instance; // empty in the names of earlier versions
    QString host;     // likewise
};

bool allDigits(QStringView text, bool hexadecimal)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const bool digit = (c >= u'0' && c <= u'9') || (hexadecimal && c >= u'a' && c <= u'f');
        if (!digit)
            return false;
    }
    return true;
}

// Who wrote a temporary name; pid -1 when the name is not one.
Writer writerOf(const QString& fileName)
{
    const QString prefix = QString::fromUtf16(temporaryPrefix);
    const QString suffix = QString::fromUtf16(temporarySuffix);
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return {};
    const QStringView middle =
        QStringView(fileName).mid(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    // <pid>-<number>[-<instance>-<host>]; the host may hold "-" itself.
    const qsizetype first = middle.indexOf(u'-');
    if (first <= 0)
        return {};
    const qsizetype second = middle.indexOf(u'-', first + 1);
    const QStringView pid = middle.left(first);
    const QStringView number = second < 0 ? middle.mid(first + 1) : middle.mid(first + 1, second - first - 1);
    if (!allDigits(pid, false) || !allDigits(number, false))
        return {};
    Writer writer;
    writer.pid = pid.toLongLong();
    if (second < 0)
        return writer;
    const qsizetype third = middle.indexOf(u'-', second + 1);
    if (third < 0 || third + 1 >= middle.size() || !allDigits(middle.mid(second + 1, third - second - 1), true))
        return {};
    writer.instance = middle.mid(second + 1, third - second - 1).toString();
    writer.host = middle.mid(third + 1).toString();
    return writer;
}

bool untouchedForLong(const fs::path& file)
{
    std::error_code error;
    const auto written = fs::last_write_time(file, error);
    return !error && fs::file_time_type::clock::now() - written > temporaryAbandonedAfter;
}

bool writerHasEnded(const Writer& writer, const fs::path& file)
{
    const bool thisHost = writer.host.isEmpty() || writer.host == ownHost();
    if (!thisHost)
        return untouchedForLong(file);
    if (writer.pid == ownProcessId())
        return writer.instance.isEmpty() || writer.instance == ownInstance() ? false : untouchedForLong(file);
#ifndef _WIN32
    return writer.pid > 0 && ::kill(pid_t(writer.pid), 0) != 0 && errno == ESRCH;
#else
    // Without a cheap liveness test, the age decides.
    return untouchedForLong(file);
#endif
}

} // namespace

QString temporaryNameIn(const QString& folder)
{
    return folder + QString::fromUtf16(temporaryPrefix) + QString::number(ownProcessId()) + u'-'
           + QString::number(nextNumber.fetch_add(1)) + u'-' + ownInstance() + u'-' + ownHost()
           + QString::fromUtf16(temporarySuffix);
}

TemporaryCopy::TemporaryCopy(QString name) : name_(std::move(name))
{
    if (!name_.isEmpty())
        inProgress().add(name_);
}

TemporaryCopy& TemporaryCopy::operator=(TemporaryCopy&& other) noexcept
{
    if (this != &other) {
        remove();
        name_ = std::exchange(other.name_, QString());
    }
    return *this;
}

QString TemporaryCopy::moveTo(const QString& finalFile)
{
    std::error_code error;
    fs::rename(util::toFsPath(name_), util::toFsPath(finalFile), error);
    if (error)
        return QString::fromStdString(error.message());
    inProgress().drop(name_);
    name_.clear();
    return {};
}

void TemporaryCopy::forget()
{
    inProgress().drop(name_);
    name_.clear();
}

void TemporaryCopy::remove()
{
    if (name_.isEmpty())
        return;
    std::error_code ignored;
    fs::remove(util::toFsPath(name_), ignored);
    inProgress().drop(name_);
    name_.clear();
}

void removeTemporariesInProgress()
{
    inProgress().removeAll();
}

bool isTemporaryName(const QString& fileName)
{
    return writerOf(fileName).pid > 0;
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
        const Writer writer = writerOf(name);
        if (writer.pid <= 0 || !writerHasEnded(writer, it->path()))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

} // namespace vardolin::batch
