#pragma once
// The program's run log "Vardolin.log": start and end banners around a run and
// the lines the source scan and the batch run append. Lines may be written
// from several threads, and by several programs, at once: each is appended
// whole under a lock on the file.

#include "frame/Clock.h"
#include "frame/Environment.h"

#include <QFile>
#include <QMutex>
#include <QString>

#include <atomic>

namespace vardolin::frame {

class RunLog {
public:
    // A log file larger than this is deleted and started afresh.
    static constexpr qint64 kMaxSize = 1000000;

    explicit RunLog(const Clock& clock = systemClock(), const Environment& environment = systemEnvironment());
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Switches the log on and opens "Vardolin.log" in the folder logBaseFolder
    // gives for exeFolder (LogFolder.h), then appends the start banner. A file
    // over kMaxSize is emptied first. False when no file could be opened (the
    // switch stays on; lines are then dropped).
    bool open(const QString& exeFolder);

    // Appends the end banner and closes the file.
    void close();

    // Appends one line (UTF-8, CR LF) when the file is open.
    void writeLine(const QString& line);

    bool isOn() const { return on_; }
    QString filePath() const;

private:
    // lines: one or more lines joined by CR LF, written with one more CR LF.
    void writeLocked(const QString& lines);
    void writeUnlocked(const QString& lines);
    QString banner(const QString& word) const;

    const Clock& clock_;
    const Environment& environment_;
    mutable QMutex mutex_;
    QFile file_;
    std::atomic<bool> on_ = false;
};

} // namespace vardolin::frame
