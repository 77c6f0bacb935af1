#pragma once
// Copies are first written under a temporary name in their target folder and
// renamed into place when complete, so no half-written copy ever carries a
// real name. The temporary names are recognisable by their fixed prefix and
// end (".vardolin-<process>-<number>.part"); ones left behind by a process
// that was killed are removed by the next run that writes into that folder.

#include <QString>

namespace vardolin::batch {

inline constexpr char16_t temporaryPrefix[] = u".vardolin-";
inline constexpr char16_t temporarySuffix[] = u".part";

// A fresh temporary name in folder (which ends in a separator or is empty).
QString temporaryNameIn(const QString& folder);

// True for names made by temporaryNameIn, of any process.
bool isTemporaryName(const QString& fileName);

// Removes the temporary files in folder whose writing process has ended.
// Returns how many were removed.
int removeStaleTemporaries(const QString& folder);

} // namespace vardolin::batch
