#pragma once
// What vardolin-batch tells about each listed file: the report's JSON line,
// the dry run's line, and the note for a copy over the size budget.

#include "cli/ConsoleHost.h"
#include "cli/ReportFile.h"

#include <QJsonObject>
#include <QString>

namespace vardolin::batch {
struct FileRecord;
}

namespace vardolin::cli {

// The outcome's code, the same in every language (the report's "outcome"):
// "written", "skipped: exists", "skipped: format" or "failed".
QString outcomeText(const batch::FileRecord& record);

// Which run a report line comes from, so that the lines of a retried shard,
// appended to those of its earlier attempt, are told apart: the host, the
// process and the moment the run started (UTC, to the millisecond, so the
// latest run sorts last).
struct RunIdentity {
    QString host;
    qint64 process = 0;
    QString started;

    static RunIdentity ofThisProcess();
    QJsonObject toJson() const;
};

// One report line: source, copy, outcome, reason, the codec library's warnings
// of a damaged file (as the library words them, in any language), width and
// height before and after, bytes before and after, milliseconds, grade and
// encoder quality, whether the copy is over the size budget, whether the run
// was dry, what was done to its colours ({"done": "converted", "ignored" or
// "none", "from", "intent", "reason"}) and the run. What is not known (a
// skipped file was not loaded) is null.
QJsonObject reportRecord(const batch::FileRecord& record, const RunIdentity& run);

// The outcome in words of the language, for people: "written" or
// "geschrieben", "skipped: exists" or "übersprungen: vorhanden" ...
QString outcomeWords(const batch::FileRecord& record, util::Language language);

// "<source> -> <copy>: <outcome>" in words of the language, and the reason
// of a failure.
QString dryRunLine(const batch::FileRecord& record, util::Language language = util::Language::English);

// The console host of a run that also keeps its records: the report file
// when one was asked for, the dry run's lines on standard output, a line on
// standard error for each copy that stayed over the size budget, and, when
// only failures are printed, the line of each failed file.
class RecordingConsoleHost : public ConsoleHost {
public:
    RecordingConsoleHost(Output output, bool onlyFailures, bool dryRun, ReportFile* report,
                         util::Language language = util::Language::English);
    void fileDone(const batch::FileRecord& record) override;

private:
    bool dryRun_;
    ReportFile* report_;
    util::Language language_;
    RunIdentity run_ = RunIdentity::ofThisProcess();
};

} // namespace vardolin::cli
