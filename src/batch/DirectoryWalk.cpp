#include "batch/DirectoryWalk.h"

#include "batch/PatternMatch.h"
#include "util/FileNames.h"
#include "util/Paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace vardolin::batch {
namespace {

bool isInside(const fs::path& inner, const fs::path& outer)
{
    auto [outerEnd, innerPos] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    (void)innerPos;
    return outerEnd == outer.end();
}

// A linked folder whose real place holds the folder being listed would make
// the walk go round until the path grew too long.
bool leadsBackToAncestor(const fs::path& linkedFolder, const fs::path& listedFolder)
{
    std::error_code error;
    const fs::path target = fs::canonical(linkedFolder, error);
    if (error)
        return true;
    const fs::path here = fs::canonical(listedFolder, error);
    return !error && isInside(here, target);
}

bool isFolder(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_directory(error); // the listing's type, stat only for links
}

qint64 walk(const QString& folder, const CaseInsensitivePattern& pattern, int withSubfolders, QStringList& list,
            qint64 count, const std::atomic_bool* stop);

} // namespace

qint64 s_ReadDirLL(const QString& folder, const QString& rawPattern, int withSubfolders, QStringList& list,
                   qint64 count, int progressField, int clearFirst, const std::atomic_bool* stop)
{
    (void)progressField; // no caller shows progress
    if (clearFirst == clearListFirst)
        list.clear();
    const QString pattern = rawPattern.isEmpty() ? QStringLiteral("*") : rawPattern;
    return walk(folder, CaseInsensitivePattern(pattern), withSubfolders, list, count, stop);
}

namespace {

qint64 walk(const QString& folder, const CaseInsensitivePattern& pattern, int withSubfolders, QStringList& list,
            qint64 count, const std::atomic_bool* stop)
{
    const QString separator =
        (!folder.isEmpty() && !util::isSeparator(folder.back())) ? QString(util::separator()) : QString();

    const fs::path listed = folder.isEmpty() ? fs::path(".") : util::toFsPath(folder);
    std::error_code error;
    fs::directory_iterator it(listed, fs::directory_options::skip_permission_denied, error);
    if (error)
        return count;

    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const fs::directory_entry& entry = *it;
        const QString name = util::fromFsPath(entry.path().filename());
        if (isFolder(entry)) {
            if (withSubfolders != 1 || name == QLatin1String(".") || name == QLatin1String(".."))
                continue;
            std::error_code linkError;
            if (entry.is_symlink(linkError) && leadsBackToAncestor(entry.path(), listed))
                continue;
            count = walk(folder + separator + name, pattern, 1, list, count, stop);
        } else if (pattern.matches(name)) {
            ++count;
            list.append(folder + separator + name);
        }
    }
    return count;
}

} // namespace

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
