#pragma once
// The recursive folder walk that both the source scan and the batch run use
// to list the files whose names match the include pattern.

#include <QString>
#include <QStringList>

#include <atomic>

namespace vardolin::batch {

// The values of s_ReadDirLL's last arguments that every caller passes:
inline constexpr qint64 countFromZero = 0; // count: a walk of its own, not a continuation
inline constexpr int clearListFirst = 1;   // clearFirst: the list holds only what this walk finds

// Lists folder's files whose names match pattern (an empty pattern counts as
// "*") and appends each as folder + separator + name to list; with
// withSubfolders 1 it walks every level below, depth first, at the point
// where each folder comes in the listing. Folder names are never matched,
// nor are the temporary names copies are written under.
// count is the running count to continue from; the result is count plus the
// files added. clearFirst 1 (clearListFirst) empties list first.
// A folder that cannot be listed adds nothing. Each real folder (device and
// inode) is walked once, however many links lead to it: the folders of the
// tree first, then those reached only through links, in order of the links'
// paths, so links that loop are harmless.
// When stop becomes true the walk returns early with what it has.
qint64 s_ReadDirLL(const QString& folder, const QString& pattern, int withSubfolders, QStringList& list, qint64 count,
                   int clearFirst, const std::atomic_bool* stop = nullptr);

// Sorts a file list ascending by full path, ignoring case; entries that
// differ only in case keep their order.
void sortIgnoringCase(QStringList& list);

} // namespace vardolin::batch
