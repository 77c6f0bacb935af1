#include "frame/StandardProc530.h"

#include "frame/LogFolder.h"
#include "util/Dates.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace vardolin::frame {

namespace {

constexpr qint64 kReopenIntervalMs = 30000;
const QString kUnitName = QStringLiteral("StandardProc530");

QString zeroPadded(int value, int width)
{
    return util::padLeft(util::decimalText(value), width, u'0');
}

// 0-9 as digits, 10 and more as letters from A (used for day and hour).
QChar codeCharacter(int value)
{
    return value < 10 ? QChar(u'0' + value) : QChar(u'A' + (value - 10));
}

QString codeCharacters(const DateRecord& record)
{
    return util::hexText(record.month) + codeCharacter(record.day) + codeCharacter(record.hour);
}

} // namespace

bool debugLinePasses(int level, int threshold)
{
    if (level == 7) {
        return true;
    }
    return threshold >= 2 && threshold <= 5 && level >= threshold && level <= 5;
}

StandardProc::StandardProc(const Clock& clock, const Environment& environment)
    : clock_(clock), environment_(environment)
{
}

void StandardProc::s_Debug(const QString& unit, const QString& procedure, int line, const QString& text, int level,
                           int /*spare*/, int /*windowThreshold*/, int fileThreshold)
{
    const QString stamp = s_DebugStamp(0);
    if (fileThreshold <= 0 || !debugLinePasses(level, fileThreshold)) {
        return;
    }
    const QString sep = QStringLiteral(" | ");
    const QString debugLine =
        stamp + sep + unit + sep + procedure + sep + util::decimalText(line) + QStringLiteral(" : ") + text;
    s_DebugFile(QStringLiteral("Debug"), QString(), unit, procedure, debugLine, 0);
}

QString StandardProc::formattedLine(const QString& unit, const QString& procedure, const QString& text, int line)
{
    const QString stamp = s_DebugStamp(0);
    const QString sep = QStringLiteral(" | ");
    if (unit == QStringLiteral("-")) {
        return stamp + sep + text;
    }
    const QString unitColumn = util::padRight(unit.isEmpty() ? kUnitName : unit, 20);
    const QString procColumn = util::padRight(procedure.isEmpty() ? QStringLiteral("Main") : procedure, 40);
    QString result = stamp + sep + unitColumn + sep + procColumn + sep;
    if (line > 0) {
        result += util::padLeft(util::decimalText(line), 5) + sep;
    }
    return result + text;
}

QString StandardProc::s_DebugFile(const QString& mode, const QString& fileName, const QString& unit,
                                  const QString& procedure, const QString& text, int line)
{
    if (mode == QStringLiteral("D")) {
        return currentFileName_;
    }
    if (mode != QStringLiteral("Debug")) {
        lastFormattedLine_ = formattedLine(unit, procedure, text, line);
    }
    QString nameForThisCall = fileName;
    const qint64 now = clock_.elapsedMs();
    if (file_.isOpen() && now - reopenMark_ > kReopenIntervalMs) {
        reopenMark_ = now;
        file_.close();
        nameForThisCall = currentFileName_;
    }
    const QString upperMode = util::upperCase(mode);
    if (!file_.isOpen()) {
        openDebugFile(upperMode, nameForThisCall);
    }
    if (!file_.isOpen()) {
        return {}; // dropped silently; the next line tries again
    }
    if (upperMode == QStringLiteral("W")) {
        writeDebugLine(lastFormattedLine_);
    } else if (upperMode == QStringLiteral("C")) {
        file_.close();
    } else if (upperMode == QStringLiteral("DEBUG")) {
        writeDebugLine(text);
    } else {
        writeDebugLine(lastFormattedLine_);
        file_.close();
    }
    return {};
}

QString StandardProc::debugFolder() const
{
    const QString base = logBaseFolder(values_.uExeVerz, environment_);
    return base.isEmpty() ? QString() : base + QStringLiteral("log") + util::separator();
}

QString StandardProc::newDebugFileName()
{
    return QStringLiteral("Log_") + values_.uAnwendung + QStringLiteral("_Pgm_") + values_.uComputerName + u'_'
           + s_UniqueStamp(QStringLiteral("F15")) + QStringLiteral(".txt");
}

void StandardProc::openDebugFile(const QString& upperMode, const QString& fileName)
{
    const QString folder = debugFolder();
    if (folder.isEmpty()) {
        return;
    }
    util::createFolder(folder);
    if (util::trim(fileName).isEmpty()) {
        if (currentFileName_.isEmpty() || upperMode == QStringLiteral("O")) {
            currentFileName_ = folder + newDebugFileName();
        }
    } else {
        currentFileName_ = fileName;
    }
    file_.setFileName(currentFileName_);
    if (file_.open(QIODevice::ReadWrite) && file_.size() > 0) {
        file_.seek(file_.size());
    }
}

void StandardProc::writeDebugLine(const QString& text)
{
    file_.write((text + QStringLiteral("\r\n")).toUtf8());
    // Others may read the file while it is open; each line is there at once.
    file_.flush();
}

QString StandardProc::s_DebugStamp(int mode)
{
    QString stamp;
    do {
        const QString seconds = util::formatDate(QStringLiteral("%yyyy-%mm-%dd-%hh:%ii:%ss"), clock_.localNow());
        if (seconds == util::left(lastDebugStamp_, 19)) {
            ++debugStampCounter_;
        } else {
            debugStampCounter_ = 0;
        }
        stamp = seconds + u'.' + zeroPadded(debugStampCounter_, 6);
    } while (mode == 1 && stamp == lastDebugStamp_);
    lastDebugStamp_ = stamp;
    return stamp;
}

void StandardProc::s_DateRecord(DateRecord& record)
{
    const QString digits = util::formatDate(QStringLiteral("%yyyy%mm%dd%hh%ii%ss"), clock_.localNow());
    if (digits == lastDateText_) {
        ++count100_;
        ++count1000_;
        ++count1000000_;
    } else {
        count100_ = count1000_ = count1000000_ = 0;
    }
    if (count100_ > 99) {
        count100_ = 0;
    }
    if (count1000_ > 999) {
        count1000_ = 0;
    }
    if (count1000000_ > 999999) {
        count1000000_ = 0;
    }
    const auto part = [&digits](int start, int length) {
        return static_cast<int>(util::integerValue(util::mid(digits, start, length)));
    };
    record.year = part(1, 4);
    record.month = part(5, 2);
    record.day = part(7, 2);
    record.hour = part(9, 2);
    record.minute = part(11, 2);
    record.second = part(13, 2);
    record.count100 = count100_;
    record.count1000 = count1000_;
    record.count1000000 = count1000000_;
    record.stamp16 = digits + zeroPadded(count100_, 2);
    record.stamp17 = digits + zeroPadded(count1000_, 3);
    record.stamp20 = digits + zeroPadded(count1000000_, 6);
    lastDateText_ = digits;
}

QString StandardProc::s_UniqueStamp(const QString& format)
{
    const QString upper = util::upperCase(format);
    if (upper == QStringLiteral("TS")) {
        return s_DebugStamp(1);
    }
    const bool by17 = upper.isEmpty() || upper == QStringLiteral("12");
    DateRecord record;
    do {
        s_DateRecord(record);
    } while (by17 ? record.stamp17 == lastUniqueRecord_.stamp17 : record.stamp16 == lastUniqueRecord_.stamp16);
    lastUniqueRecord_ = record;

    if (upper == QStringLiteral("F")) {
        return util::mid(record.stamp16, 1, 8) + u'-' + util::mid(record.stamp16, 9, 8);
    }
    if (upper == QStringLiteral("F15")) {
        return util::mid(record.stamp16, 3, 6) + u'-' + util::mid(record.stamp16, 9, 8);
    }
    const QString codes = codeCharacters(record);
    if (upper == QStringLiteral("12")) {
        return util::mid(record.stamp17, 3, 2) + codes + util::mid(record.stamp17, 11, 7);
    }
    return util::mid(record.stamp17, 1, 4) + codes + util::mid(record.stamp17, 11, 7);
}

QString s_GetEnv(const Environment& environment, const QString& name)
{
    return environment.variable(name);
}

QString s_TempDir(const Environment& environment)
{
    QString folder = s_GetEnv(environment, QStringLiteral("TEMP"));
    if (folder.isEmpty()) {
        folder = s_GetEnv(environment, QStringLiteral("TMP"));
    }
#ifndef Q_OS_WIN
    if (folder.isEmpty()) {
        folder = s_GetEnv(environment, QStringLiteral("TMPDIR"));
    }
#endif
    return util::withTrailingSeparator(util::trim(folder));
}

QString s_CurrentDir(const Environment& environment)
{
#ifdef Q_OS_WIN
    return environment.workingFolder() + util::separator();
#else
    return util::withTrailingSeparator(environment.workingFolder());
#endif
}

QString s_ExeFile(const Environment& environment)
{
#ifdef Q_OS_WIN
    return util::lowerCase(environment.executablePath());
#else
    return environment.executablePath();
#endif
}

int s_CountInstances(const Environment& environment, const QString& exeName, int countAll)
{
    return environment.countInstances(exeName, countAll != 0);
}

} // namespace vardolin::frame
