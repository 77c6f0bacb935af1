#include "cli/ConsoleHost.h"

#include "util/FileNames.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace vardolin::cli {
namespace {

std::atomic_bool interrupted{false};
static_assert(std::atomic_bool::is_always_lock_free);

constexpr char kStoppingGerman[] = "\nHalte nach den laufenden Dateien an (noch einmal: sofort) ...\n";
constexpr char kStoppingEnglish[] = "\nStopping after the files in progress (once more to quit at once) ...\n";
// Chosen before the handler is installed; the handler only reads it.
std::atomic<const char*> stoppingNotice{kStoppingEnglish};

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
    {
        const char* notice = stoppingNotice.load();
        const auto length = std::strlen(notice);
#ifdef _WIN32
        _write(2, notice, unsigned(length));
#else
        [[maybe_unused]] const auto written = ::write(2, notice, length);
#endif
    }
}

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

ConsoleHost::ConsoleHost(QString sizeItem, QString targetItem, Output output)
    : sizeItem_(std::move(sizeItem)), targetItem_(std::move(targetItem)), output_(output)
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
    stoppingNotice = language == util::Language::German ? kStoppingGerman : kStoppingEnglish;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
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
