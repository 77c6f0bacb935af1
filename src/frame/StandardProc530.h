#pragma once
// The frame's procedures unit: debug lines and the debug file, time stamps,
// and the small look-ups of the process's surroundings.

#include "frame/Clock.h"
#include "frame/Environment.h"

#include <QFile>
#include <QString>

namespace vardolin::frame {

// One date-time reading with its counters for unique names.
struct DateRecord {
    QString stamp16; // 14 digits "%yyyy%mm%dd%hh%ii%ss" + 2-digit counter
    QString stamp17; // the same + 3-digit counter
    QString stamp20; // the same + 6-digit counter
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int count100 = 0;
    int count1000 = 0;
    int count1000000 = 0;
};

// The unit's own copies of frame values, handed over by the standard start.
// uExeVerz is taken before test mode is decided and so is always the real
// folder of the executable.
struct ProcValues {
    QString uAnwendung;
    QString uExeDatei;
    QString uExePgm;
    QString uExeVerz;
    QString uAktVerz;
    QString uAnwVerz;
    QString uUserId;
    QString uComputerName;
    int uPgmInstanz = 0;
    int uTestLauf = 0;
    int DebugFileProc = 0;
};

// Whether a debug line of this level passes the threshold: level 7 always,
// otherwise only thresholds 2 to 5, for levels from the threshold up to 5.
bool debugLinePasses(int level, int threshold);

// Holds the debug file and the stamp counters of one program run. The program
// entry owns one; tests make their own with a clock and environment they
// control.
class StandardProc {
public:
    explicit StandardProc(const Clock& clock = systemClock(), const Environment& environment = systemEnvironment());
    StandardProc(const StandardProc&) = delete;
    StandardProc& operator=(const StandardProc&) = delete;

    ProcValues& values() { return values_; }
    const ProcValues& values() const { return values_; }
    const Clock& clock() const { return clock_; }
    const Environment& environment() const { return environment_; }

    // Writes "stamp | unit | procedure | line : text" to the debug file when
    // the level passes the file threshold. A stamp is taken even when nothing
    // is written. The spare and window-threshold arguments select nothing.
    void s_Debug(const QString& unit, const QString& procedure, int line, const QString& text, int level, int spare,
                 int windowThreshold, int fileThreshold);

    // The debug-file writer. Modes: "D" returns the current file name; "Debug"
    // writes the text as it stands; "W" writes the formatted line; "C" closes;
    // "O" starts a new file name when closed, writes the formatted line and
    // closes; any other mode writes the formatted line and closes. Every mode
    // but "D" returns the empty text.
    QString s_DebugFile(const QString& mode, const QString& fileName, const QString& unit, const QString& procedure,
                        const QString& text, int line);

    // "%yyyy-%mm-%dd-%hh:%ii:%ss" + "." + 6-digit counter within the second.
    // Mode 1 returns strictly increasing stamps.
    QString s_DebugStamp(int mode);

    // Fills the record from the clock with counters that run within a second.
    void s_DateRecord(DateRecord& record);

    // A stamp for unique names: "F" yyyymmdd-hhiissNN, "F15" yymmdd-hhiissNN,
    // "12" and the default code the month, day and hour in one character each,
    // "TS" a strictly increasing debug stamp.
    QString s_UniqueStamp(const QString& format = QString());

    // The folder the debug file goes to, separator-terminated.
    QString debugFolder() const;

private:
    QString formattedLine(const QString& unit, const QString& procedure, const QString& text, int line);
    QString newDebugFileName();
    void openDebugFile(const QString& mode, const QString& fileName);
    void writeDebugLine(const QString& text);

    const Clock& clock_;
    const Environment& environment_;
    ProcValues values_;

    QString currentFileName_;
    QFile file_;
    qint64 reopenMark_ = 0;
    QString lastFormattedLine_;

    QString lastDebugStamp_;
    int debugStampCounter_ = 0;

    QString lastDateText_;
    int count100_ = 0;
    int count1000_ = 0;
    int count1000000_ = 0;

    DateRecord lastUniqueRecord_;
};

// Value of one environment variable; empty when unset.
QString s_GetEnv(const Environment& environment, const QString& name);

// TEMP, else TMP (else TMPDIR outside Windows), blanks trimmed, ending in a
// separator when not empty.
QString s_TempDir(const Environment& environment);

// The working folder with the platform separator appended (on Windows always,
// elsewhere unless it already ends in one, since a leading "//" is not the
// root on every system).
QString s_CurrentDir(const Environment& environment);

// The executable's full path; lower-cased on Windows only.
QString s_ExeFile(const Environment& environment);

// Running processes of the named executable; with countAll 0 at most 1.
int s_CountInstances(const Environment& environment, const QString& exeName, int countAll);

} // namespace vardolin::frame
