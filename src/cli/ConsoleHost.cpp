#include "cli/ConsoleHost.h"

#include "batch/TempFiles.h"
#include "util/FileNames.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <mutex>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#endif

namespace vardolin::cli {
namespace {

std::atomic_bool interrupted{false};
std::atomic_int stopSignal{0}; // the signal that asked the run to stop
static_assert(std::atomic_bool::is_always_lock_free && std::atomic_int::is_always_lock_free);

constexpr char kStoppingGerman[] = "\nHalte nach den laufenden Dateien an (noch einmal: sofort) ...\n";
constexpr char kStoppingEnglish[] = "\nStopping after the files in progress (once more to quit at once) ...\n";
// Chosen before the signals are taken; where they are taken it is only read.
std::atomic<const char*> stopNotice{kStoppingEnglish};

void sayStopping()
{
    const char* notice = stopNotice.load();
#ifdef _WIN32
    _write(2, notice, unsigned(std::strlen(notice)));
#else
    [[maybe_unused]] const auto written = ::write(2, notice, std::strlen(notice));
#endif
}

#ifdef _WIN32
// The first request lets the files in progress finish; a second one ends
// the process at once (a copy being written then stays a temporary file,
// which the next run in that folder removes).
extern "C" void onInterrupt(int signalNumber)
{
    if (interrupted.exchange(true)) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    stopSignal = signalNumber;
    sayStopping();
}
#else
// Ends the process by the signal's default action. The kernel never ends the
// first process of a namespace (a container's) by a signal it does not
// handle, so there the process exits as a shell reports a signal's end.
[[noreturn]] void endBy(int signalNumber)
{
    std::fflush(nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signalNumber, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

// The stop signals arrive here, on a thread of their own, as plain events
// rather than in a handler: so the second one may take the locks that
// removing the temporaries in progress needs.
void takeStopSignals(sigset_t stopSet)
{
    for (;;) {
        int signalNumber = 0;
        if (sigwait(&stopSet, &signalNumber) != 0)
            continue;
        if (!interrupted.exchange(true)) {
            stopSignal = signalNumber;
            sayStopping();
            continue;
        }
        batch::removeTemporariesInProgress();
        endBy(signalNumber);
    }
}
#endif

constexpr auto redrawInterval = std::chrono::milliseconds(100);

} // namespace

void printLine(std::FILE* stream, const QString& text)
{
    // Names are printed with their bytes as on the disk, as other tools do.
    const QByteArray bytes = util::fileNameFromText(text);
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

ConsoleHost::ConsoleHost(QString sizeItem, QString targetItem, Output output, bool onlyFailures)
    : sizeItem_(std::move(sizeItem)), targetItem_(std::move(targetItem)), output_(output), onlyFailures_(onlyFailures)
{
}

void ConsoleHost::statusText(const QString& text)
{
    status_ = text;
    if (output_ == Output::Terminal)
        redraw(false);
    else if (output_ == Output::Lines)
        printLine(stdout, text);
}

void ConsoleHost::lastingStatus(const QString& text)
{
    if (output_ == Output::Quiet)
        return;
    clearLine();
    printLine(stdout, text);
}

void ConsoleHost::showMessage(const QString& text)
{
    clearLine();
    printLine(stderr, QStringLiteral("Vardolin: ") + text);
}

void ConsoleHost::logLine(const QString& line)
{
    if (onlyFailures_)
        return;
    clearLine();
    printLine(stderr, line);
}

bool ConsoleHost::stopRequested()
{
    return interrupted.load();
}

void ConsoleHost::progress(qint64 finished, qint64 count)
{
    finished_ = finished;
    count_ = count;
    if (output_ == Output::Terminal)
        redraw(finished == count);
}

void ConsoleHost::finish()
{
    if (output_ != Output::Terminal)
        return;
    clearLine();
    printLine(stdout, status_);
}

void ConsoleHost::stopOnInterrupt(util::Language language)
{
    stopNotice = language == util::Language::German ? kStoppingGerman : kStoppingEnglish;
#ifdef _WIN32
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
#else
    sigset_t stopSet;
    sigemptyset(&stopSet);
    bool any = false;
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        // nohup, a shell's background job, a scheduler: whoever set a signal
        // to be ignored meant this process to go on through it.
        struct sigaction current {};
        if (sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        sigaddset(&stopSet, signalNumber);
        any = true;
    }
    if (!any)
        return;
    // Blocked in this thread and in every thread it starts later, so that
    // only the signal thread takes them.
    pthread_sigmask(SIG_BLOCK, &stopSet, nullptr);
    static std::once_flag started;
    std::call_once(started, [stopSet] { std::thread(takeStopSignals, stopSet).detach(); });
#endif
}

void ConsoleHost::endByStopSignal()
{
#ifndef _WIN32
    if (const int signalNumber = stopSignal.load(); signalNumber != 0)
        endBy(signalNumber);
#endif
}

bool ConsoleHost::standardOutputIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
}

int ConsoleHost::terminalWidth()
{
#ifndef _WIN32
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        return size.ws_col;
#endif
    return 80;
}

void ConsoleHost::redraw(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (!force && barShown_ && now - lastDrawn_ < redrawInterval)
        return;
    lastDrawn_ = now;
    constexpr int barWidth = 24;
    const int filled = count_ > 0 ? int(finished_ * barWidth / count_) : 0;
    QString line =
        QStringLiteral("[") + QString(filled, u'#') + QString(barWidth - filled, u'.') + QStringLiteral("] ") + status_;
    line = line.left(terminalWidth() - 1);
    const QByteArray bytes = util::fileNameFromText(QStringLiteral("\r\x1b[K") + line);
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
    barShown_ = true;
}

void ConsoleHost::clearLine()
{
    if (!barShown_)
        return;
    std::fputs("\r\x1b[K", stdout);
    std::fflush(stdout);
    barShown_ = false;
}

} // namespace vardolin::cli
