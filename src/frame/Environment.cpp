#include "frame/Environment.h"

#include "util/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <filesystem>
#include <system_error>

namespace vardolin::frame {

namespace {

// The link target of /proc/<pid>/exe; the kernel marks a replaced binary with
// " (deleted)", which is not part of its name.
QString linkedExecutableName(const QString& exeLink)
{
    std::error_code error;
    const auto target = std::filesystem::read_symlink(exeLink.toStdString(), error);
    if (error) {
        return {};
    }
    QString name = QString::fromStdString(target.filename().string());
    const QString deleted = QStringLiteral(" (deleted)");
    if (name.endsWith(deleted)) {
        name.chop(deleted.size());
    }
    return name;
}

class SystemEnvironment final : public Environment {
public:
    QString variable(const QString& name) const override
    {
        return qEnvironmentVariable(name.toLocal8Bit().constData());
    }

    QString executablePath() const override
    {
        if (QCoreApplication::instance()) {
            return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
        }
#ifdef Q_OS_LINUX
        std::error_code error;
        const auto target = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) {
            return QString::fromStdString(target.string());
        }
#endif
        return {};
    }

    QString workingFolder() const override
    {
        return util::workingFolder();
    }

    QString hostName() const override
    {
        return QSysInfo::machineHostName();
    }

    int countInstances(const QString& exeName, bool countAll) const override
    {
#ifdef Q_OS_LINUX
        return countInstancesIn(QStringLiteral("/proc"), exeName, countAll);
#else
        Q_UNUSED(exeName);
        Q_UNUSED(countAll);
        return 0;
#endif
    }
};

} // namespace

const Environment& systemEnvironment()
{
    static const SystemEnvironment environment;
    return environment;
}

int countInstancesIn(const QString& procFolder, const QString& exeName, bool countAll)
{
    const QDir proc(procFolder);
    if (!proc.exists() || exeName.isEmpty()) {
        return 0;
    }
    int found = 0;
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric) {
            continue;
        }
        const QString name = linkedExecutableName(proc.filePath(entry) + QStringLiteral("/exe"));
        if (!name.isEmpty() && name.compare(exeName, Qt::CaseInsensitive) == 0) {
            ++found;
            if (!countAll) {
                break;
            }
        }
    }
    return found;
}

} // namespace vardolin::frame
