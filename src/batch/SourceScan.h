#pragma once
// The source scan: turns the source folder, the include and exclude
// patterns and the subfolder switch into the sorted list of files a batch run
// converts, and shows how many there are. The run lists its files with the
// same scan, so the count, --list, the dry run and the run agree.
//
// scanSources is a pure function of its request (it only reads the disk), so
// the window may run it on another thread; every scan that ran writes its
// block to the run log (logScanResult), and only the newest is shown
// (showScanResult).
// AktionQuelle does both in one call on the caller's thread.

#include "batch/TargetNames.h"
#include "frame/Settings.h"

#include <QString>
#include <QStringList>

#include <atomic>

namespace vardolin::batch {

class BatchHost;

// The event type of a text field whose text changed (one per keystroke).
inline constexpr qint64 textChangedEvent = 768;

struct ScanRequest {
    QString sourceFolder;   // path part of QuellVerz
    QString includePattern; // file part of BildDatei
    QString excludePattern; // file part of BildDateiEx
    QString extension;      // after the last "." of the include pattern; logged only
    int withSubfolders = 0; // number of MitUnterordner
    // The run's naming: a listed file that is the copy another one makes
    // under it is no source (CopiesOfListed.h).
    TargetChoice naming;
};

// targetListText: the target list's displayed text (mode 4 with the source's
// structure); a scan refills that list with its empty item chosen.
ScanRequest scanRequestFrom(const Settings& settings, const QString& targetListText = {});

struct ScanResult {
    QStringList files;       // sorted ignoring case; exclusions and copies of listed files removed
    qint64 found = 0;        // what the walk found, before exclusion
    qint64 count = 0;        // the sources: the found count shown, the files a run converts
    QStringList logLines;    // the run-log block, in order; a stopped walk logs its count as cut short
    QStringList targetItems; // the target list's items for the source folder
    bool stopped = false;    // stop was set: the result is incomplete
};

// Walks, leaves out the copies of listed files and what the exclude pattern
// or marker file excludes, and sorts. When stop becomes true the scan ends early and
// marks its result stopped.
ScanResult scanSources(const ScanRequest& request, const std::atomic_bool* stop = nullptr);

// Writes a finished scan's block to the run log.
void logScanResult(const ScanResult& result, BatchHost& host);

// Shows a finished scan: the found count, the target list and the status text
// "<count> Dateien gefunden !".
void showScanResult(const ScanResult& result, BatchHost& host);

// The window's entry for every event of the source tree (eventType -1), the
// subfolder box (-1) and the two pattern fields (their event type). The
// window puts the fields' and the tree's texts into settings first
// (QuellVerz, BildDatei, BildDateiEx, MitUnterordner). A change event (768)
// does not scan (the window rescans once typing pauses); every other value
// scans. Returns 0, and the file list in files when it scanned.
int AktionQuelle(qint64 eventType, const Settings& settings, BatchHost& host, QStringList* files = nullptr);

} // namespace vardolin::batch
