#include "cli/RunRecords.h"

#include "batch/BatchRun.h"
#include "batch/FileRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QSysInfo>

#include <cstdio>

namespace vardolin::cli {
namespace {

QJsonValue sideOrNull(int side)
{
    return side > 0 ? QJsonValue(side) : QJsonValue();
}

QJsonValue bytesOrNull(qint64 bytes)
{
    return bytes >= 0 ? QJsonValue(bytes) : QJsonValue();
}

QJsonValue textOrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// What was done to the copy's colours; null when no copy was written.
QJsonValue colourRecord(const batch::CopyResult& result)
{
    if (result.outcome != batch::CopyOutcome::Written)
        return QJsonValue();
    const batch::ColourOutcome& colour = result.colour;
    QJsonObject object;
    switch (colour.done) {
    case batch::ColourOutcome::Done::None: object[QStringLiteral("done")] = QStringLiteral("none"); break;
    case batch::ColourOutcome::Done::Converted: object[QStringLiteral("done")] = QStringLiteral("converted"); break;
    case batch::ColourOutcome::Done::Ignored: object[QStringLiteral("done")] = QStringLiteral("ignored"); break;
    }
    object[QStringLiteral("from")] = textOrNull(colour.from);
    object[QStringLiteral("intent")] = textOrNull(colour.intent);
    object[QStringLiteral("reason")] = textOrNull(colour.reason);
    return object;
}

} // namespace

QString outcomeText(const batch::FileRecord& record)
{
    switch (record.result.outcome) {
    case batch::CopyOutcome::Written: return QStringLiteral("written");
    case batch::CopyOutcome::SkippedExisting: return QStringLiteral("skipped: exists");
    case batch::CopyOutcome::SkippedFormat: return QStringLiteral("skipped: format");
    case batch::CopyOutcome::Failed: break;
    }
    return QStringLiteral("failed");
}

RunIdentity RunIdentity::ofThisProcess()
{
    return {QSysInfo::machineHostName(), QCoreApplication::applicationPid(),
            QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)};
}

QJsonObject RunIdentity::toJson() const
{
    QJsonObject run;
    run[QStringLiteral("host")] = host;
    run[QStringLiteral("process")] = process;
    run[QStringLiteral("started")] = started;
    return run;
}

QJsonObject reportRecord(const batch::FileRecord& record, const RunIdentity& run)
{
    const batch::CopyResult& result = record.result;
    QJsonObject line;
    line[QStringLiteral("source")] = record.source;
    line[QStringLiteral("copy")] = result.writtenFile;
    line[QStringLiteral("outcome")] = outcomeText(record);
    line[QStringLiteral("reason")] = result.reason.isEmpty() ? QJsonValue() : QJsonValue(result.reason);
    line[QStringLiteral("warnings")] = QJsonArray::fromStringList(result.warnings);
    line[QStringLiteral("width_before")] = sideOrNull(result.before.width);
    line[QStringLiteral("height_before")] = sideOrNull(result.before.height);
    line[QStringLiteral("width_after")] = sideOrNull(result.after.width);
    line[QStringLiteral("height_after")] = sideOrNull(result.after.height);
    line[QStringLiteral("bytes_before")] = bytesOrNull(record.bytesBefore);
    line[QStringLiteral("bytes_after")] = bytesOrNull(result.bytesAfter);
    line[QStringLiteral("milliseconds")] = result.milliseconds;
    line[QStringLiteral("grade")] = result.grade >= 0 ? QJsonValue(result.grade) : QJsonValue();
    line[QStringLiteral("quality")] = result.quality >= 0 ? QJsonValue(result.quality) : QJsonValue();
    line[QStringLiteral("over_budget")] = result.overBudget;
    line[QStringLiteral("dry_run")] = record.dryRun;
    line[QStringLiteral("colour")] = colourRecord(result);
    line[QStringLiteral("run")] = run.toJson();
    return line;
}

QString outcomeWords(const batch::FileRecord& record, util::Language language)
{
    if (language == util::Language::English)
        return outcomeText(record);
    switch (record.result.outcome) {
    case batch::CopyOutcome::Written: return QStringLiteral("geschrieben");
    case batch::CopyOutcome::SkippedExisting: return QStringLiteral("übersprungen: vorhanden");
    case batch::CopyOutcome::SkippedFormat: return QStringLiteral("übersprungen: Format");
    case batch::CopyOutcome::Failed: break;
    }
    return QStringLiteral("misslungen");
}

QString dryRunLine(const batch::FileRecord& record, util::Language language)
{
    QString line = record.source + QStringLiteral(" -> ") + record.result.writtenFile + QStringLiteral(": ")
                   + outcomeWords(record, language);
    if (record.result.outcome == batch::CopyOutcome::Failed)
        line += QStringLiteral(" (") + record.result.reason + u')';
    return line;
}

RecordingConsoleHost::RecordingConsoleHost(Output output, bool onlyFailures, bool dryRun, ReportFile* report,
                                           util::Language language)
    : ConsoleHost(QString(), QString(), output, onlyFailures), dryRun_(dryRun), report_(report), language_(language)
{
}

void RecordingConsoleHost::fileDone(const batch::FileRecord& record)
{
    if (report_ != nullptr)
        report_->write(reportRecord(record, run_));
    if (dryRun_)
        printLine(stdout, dryRunLine(record, language_));
    // The run logs a failure like any other line; quiet, only failures are printed.
    if (onlyFailures() && record.result.outcome == batch::CopyOutcome::Failed)
        printLine(stderr, batch::failureLogLine(record.source, record.result.reason, language_));
    if (record.result.overBudget)
        logLine(QStringLiteral("vardolin-batch: ")
                + (record.result.grade < 0
                       ? util::words(language_, QStringLiteral("über dem Größenbudget, verlustfrei: "),
                                     QStringLiteral("over the size budget, lossless: "))
                       : util::words(language_, QStringLiteral("über dem Größenbudget auch bei Stufe 0: "),
                                     QStringLiteral("over the size budget even at grade 0: ")))
                + record.result.writtenFile
                + util::words(language_, QStringLiteral(" (%1 Bytes)"), QStringLiteral(" (%1 bytes)"))
                      .arg(record.result.bytesAfter));
}

} // namespace vardolin::cli
