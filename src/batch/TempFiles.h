#pragma once
// Copies are first written under a temporary name in their target folder and
// renamed into place when complete, so no half-written copy ever carries a
// real name. The temporary names are recognisable by their fixed prefix and
// end: ".vardolin-<process>-<number>-<instance>-<host>.part". Ones left
// behind by a process that was killed are removed by the next run that
// writes into that folder.
//
// Several machines (or containers, each with its own process numbers) may
// write into one shared folder at once, so a name also carries the host and a
// random instance number: two writers never share a temporary file, and a
// process number is only trusted on the host that wrote it.

#include <QString>

#include <chrono>
#include <utility>

namespace vardolin::batch {

inline constexpr char16_t temporaryPrefix[] = u".vardolin-";
inline constexpr char16_t temporarySuffix[] = u".part";

// A temporary of another host, or one whose writer cannot be asked, counts
// as left behind once it has not been written to for this long.
inline constexpr std::chrono::hours temporaryAbandonedAfter{1};

// A fresh temporary name in folder (which ends in a separator or is empty).
QString temporaryNameIn(const QString& folder);

// A temporary file of this process: removed when the owner goes, unless it
// was renamed into place first. While it is owned, its name is known to
// removeTemporariesInProgress.
class TemporaryCopy {
public:
    explicit TemporaryCopy(QString name);
    TemporaryCopy(TemporaryCopy&& other) noexcept : name_(std::exchange(other.name_, QString())) {}
    TemporaryCopy& operator=(TemporaryCopy&& other) noexcept;
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;
    ~TemporaryCopy() { remove(); }

    const QString& name() const { return name_; }
    // Renames the file to finalFile. An empty text on success (nothing is
    // left to remove then), else the reason.
    QString moveTo(const QString& finalFile);
    // The name turned out to be someone else's: give it up without removing
    // whatever has it.
    void forget();

private:
    void remove();
    QString name_;
};

// Removes the temporary files this process is writing now: for a stop that
// ends the process at once, without waiting for their owners. Any thread may
// call it.
void removeTemporariesInProgress();

// True for names made by temporaryNameIn, of any process and host (and for
// the shorter ".vardolin-<process>-<number>.part" of earlier versions).
bool isTemporaryName(const QString& fileName);

// Removes the temporary files in folder whose writing process has ended:
// on this host, a process that no longer exists; elsewhere, one that has not
// written for temporaryAbandonedAfter. Returns how many were removed.
int removeStaleTemporaries(const QString& folder);

} // namespace vardolin::batch
