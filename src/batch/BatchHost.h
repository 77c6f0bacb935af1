#pragma once
// What the batch layer needs from the program around it. The main window
// implements this with its widgets, vardolin-batch with the console, the tests
// with a recorder. The batch layer never touches a widget.
//
// Threads: every call is made on the thread that called the batch procedure
// (AktionQuelle, BilderVerarbeiten, AnlegenNeuerOrdner, the list fillers).
// When the window runs BilderVerarbeiten on a thread of its own, the calls
// arrive on that thread and the window marshals them to its own; showMessage
// must then block until the message is closed. The worker threads that
// convert files never call the host: their results are collected and reported
// from the calling thread. stopRequested() is polled from the calling thread
// between files and must be cheap and thread-safe.

#include <QString>
#include <QStringList>

namespace vardolin::batch {

struct FileRecord;

class BatchHost {
public:
    virtual ~BatchHost() = default;

    // Replaces the text of the status line.
    virtual void statusText(const QString& text) = 0;
    // Shows a message to the user, titled "Vardolin", with one OK button.
    virtual void showMessage(const QString& text) = 0;
    // Appends one line to the run log; the host drops it while the log is off.
    virtual void logLine(const QString& line) = 0;

    // The displayed text of the size list's chosen item, for example
    // "5-800,600"; empty when no item is chosen.
    virtual QString sizeItemText() = 0;
    // The displayed text of the target list (mode 4 with the source's
    // folder structure carried over), for example "/Fotos/".
    virtual QString targetListText() = 0;

    // The number of files the scan found, for the found-count field.
    virtual void setFoundCount(qint64 count) = 0;
    // Replaces the target list's items; the first (empty) one is chosen.
    virtual void setTargetListItems(const QStringList& items) = 0;

    // True once the user asked the running batch to stop.
    virtual bool stopRequested() = 0;
    // Files finished so far out of all listed files in this run.
    virtual void progress(qint64 finished, qint64 count) = 0;
    // One listed file is done: written, skipped or failed (or, in a dry
    // run, decided). For a host that keeps a record of the run.
    virtual void fileDone(const FileRecord& record) { (void)record; }
};

} // namespace vardolin::batch
