#pragma once
// vardolin-batch's host: status texts on standard output (one line each, or
// a progress bar redrawn in place when standard output is a terminal; none
// when quiet), messages and the run's log lines on standard error (only the
// failed files when quiet), and the stop flag that Ctrl-C sets.

#include "batch/BatchHost.h"
#include "util/Language.h"

#include <QString>

#include <chrono>
#include <cstdio>

namespace vardolin::cli {

class ConsoleHost : public batch::BatchHost {
public:
    enum class Output { Terminal, Lines, Quiet };
    // onlyFailures: of the run's log lines only those of failed files are
    // printed (fileDone prints them); notes on files that were copied or
    // skipped on purpose are not.
    ConsoleHost(QString sizeItem, QString targetItem, Output output, bool onlyFailures = false);

    void statusText(const QString& text) override;
    // A status text that stays in view: on a terminal too it gets a line of
    // its own instead of being redrawn over by the next one.
    void lastingStatus(const QString& text);
    void showMessage(const QString& text) override;
    void logLine(const QString& line) override;
    bool onlyFailures() const { return onlyFailures_; }
    QString sizeItemText() override { return sizeItem_; }
    void setSizeItemText(const QString& text) { sizeItem_ = text; }
    QString targetListText() override { return targetItem_; }
    void setFoundCount(qint64) override {}
    void setTargetListItems(const QStringList&) override {}
    bool stopRequested() override;
    void progress(qint64 finished, qint64 count) override;

    // Ends the progress display and prints the latest status on a line of its
    // own; call when the run is over.
    void finish();

    // Makes Ctrl-C (SIGINT) and a termination request (SIGTERM) ask the run
    // to stop after the files in progress, saying so in the language; a
    // second one removes the temporary files of the copies in progress and
    // ends the process at once, by that signal. A signal that the parent set
    // to be ignored stays ignored. Call before any other thread is started.
    static void stopOnInterrupt(util::Language language);
    // After a run that a signal stopped: ends the process by that signal, as
    // its default action would have, so that a shell sees 128 + its number
    // (130, 143) and a script's loop or set -e stops. Returns at once when no
    // signal came.
    static void endByStopSignal();
    static bool standardOutputIsTerminal();

private:
    void redraw(bool force);
    void clearLine();
    static int terminalWidth();

    QString sizeItem_;
    QString targetItem_;
    Output output_;
    bool onlyFailures_;
    QString status_;
    qint64 finished_ = 0;
    qint64 count_ = 0;
    bool barShown_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// Writes text and a line end as UTF-8.
void printLine(std::FILE* stream, const QString& text);

} // namespace vardolin::cli
