#include "batch/DirectoryWalk.h"

#include "batch/PatternMatch.h"
#include "batch/TempFiles.h"
#include "util/FileNames.h"
#include "util/Paths.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace vardolin::batch {
namespace {

// What makes a folder the same folder, whatever path leads to it.
#ifdef _WIN32
using FolderKey = std::wstring; // the canonical path
#else
using FolderKey = std::pair<std::uint64_t, std::uint64_t>; // device, inode
#endif

std::optional<FolderKey> keyOf(const fs::path& folder)
{
#ifdef _WIN32
    std::error_code error;
    const fs::path canonical = fs::canonical(folder, error);
    if (error)
        return std::nullopt;
    return canonical.native();
#else
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0)
        return std::nullopt;
    return FolderKey{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)};
#endif
}

bool isFolder(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_directory(error); // the listing's type, stat only for links
}

bool isLink(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_symlink(error);
}

// Walks each real folder once, however many links lead to it and however
// they loop. The folders of the tree are walked first, depth first where
// they come in the listings; folders reached through a link are walked
// afterwards, in order of their paths, so a file is listed under its own
// path whenever it has one inside the tree, and the result does not depend
// on the order of the listings.
class Walk {
public:
    Walk(const CaseInsensitivePattern& pattern, bool withSubfolders, QStringList& list, qint64 count,
         const std::atomic_bool* stop)
        : pattern_(pattern), withSubfolders_(withSubfolders), list_(list), count_(count), stop_(stop)
    {
    }

    qint64 run(const QString& top)
    {
        if (firstVisit(top))
            listFolder(top);
        while (!links_.empty() && !stopped()) {
            std::vector<QString> round = std::exchange(links_, {});
            std::sort(round.begin(), round.end());
            for (const QString& linked : round) {
                if (stopped())
                    break;
                if (firstVisit(linked))
                    listFolder(linked);
            }
        }
        return count_;
    }

private:
    bool stopped() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    static fs::path onDisk(const QString& folder) { return folder.isEmpty() ? fs::path(".") : util::toFsPath(folder); }

    // A folder whose identity cannot be read is walked (its listing will
    // most likely fail too).
    bool firstVisit(const QString& folder)
    {
        const auto key = keyOf(onDisk(folder));
        return !key || walked_.insert(*key).second;
    }

    void listFolder(const QString& folder)
    {
        const QString separator =
            (!folder.isEmpty() && !util::isSeparator(folder.back())) ? QString(util::separator()) : QString();
        std::error_code error;
        fs::directory_iterator it(onDisk(folder), fs::directory_options::skip_permission_denied, error);
        if (error)
            return;
        for (; it != fs::directory_iterator(); it.increment(error)) {
            if (stopped())
                break;
            const fs::directory_entry& entry = *it;
            const QString name = util::fromFsPath(entry.path().filename());
            if (isFolder(entry)) {
                if (!withSubfolders_ || name == QLatin1String(".") || name == QLatin1String(".."))
                    continue;
                const QString path = folder + separator + name;
                if (isLink(entry))
                    links_.push_back(path);
                else if (firstVisit(path))
                    listFolder(path);
            } else if (pattern_.matches(name) && !isTemporaryName(name)) {
                // A copy being written by this or another run (or left by a
                // killed one) is no source: listed, it would be "converted"
                // and reported while it is renamed or removed under us.
                ++count_;
                list_.append(folder + separator + name);
            }
        }
    }

    const CaseInsensitivePattern& pattern_;
    const bool withSubfolders_;
    QStringList& list_;
    qint64 count_;
    const std::atomic_bool* stop_;
    std::set<FolderKey> walked_;
    std::vector<QString> links_; // linked folders met, walked after the tree
};

} // namespace

qint64 s_ReadDirLL(const QString& folder, const QString& rawPattern, int withSubfolders, QStringList& list,
                   qint64 count, int clearFirst, const std::atomic_bool* stop)
{
    if (clearFirst == clearListFirst)
        list.clear();
    const QString pattern = rawPattern.isEmpty() ? QStringLiteral("*") : rawPattern;
    const CaseInsensitivePattern matcher(pattern);
    return Walk(matcher, withSubfolders == 1, list, count, stop).run(folder);
}

void sortIgnoringCase(QStringList& list)
{
    // Each entry is folded once, not at every comparison.
    struct Keyed {
        QString key;
        QString entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(std::size_t(list.size()));
    for (QString& entry : list)
        keyed.push_back({entry.toCaseFolded(), std::move(entry)});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i] = std::move(keyed[std::size_t(i)].entry);
}

} // namespace vardolin::batch
