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

// "written", "skipped: exists", "skipped: format" or "failed".
QString outcomeText(const batch::FileRecord& record);

// One report line: source, copy, outcome, reason, width and height before
// and after, bytes before and after, milliseconds, grade and encoder quality,
// whether the copy is over the size budget and whether the run was dry, and
// what was done to its colours: {"done": "converted", "ignored" or "none",
// "from", "intent", "reason"}. What is not known (a skipped file was not
// loaded) is null.
QJsonObject reportRecord(const batch::FileRecord& record);

// "<source> -> <copy>: <outcome>", and the reason of a failure.
QString dryRunLine(const batch::FileRecord& record);

// The console host of a run that also keeps its records: the report file
// when one was asked for, the dry run's lines on standard output, and a line
// on standard error for each copy that stayed over the size budget.
class RecordingConsoleHost : public ConsoleHost {
public:
    RecordingConsoleHost(Output output, bool dryRun, ReportFile* report);
    void fileDone(const batch::FileRecord& record) override;

private:
    bool dryRun_;
    ReportFile* report_;
};

} // namespace vardolin::cli
