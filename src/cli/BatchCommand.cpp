#include "cli/BatchCommand.h"

#include "batch/BatchRun.h"
#include "batch/ChoiceLists.h"
#include "batch/SourceScan.h"
#include "batch/TargetNames.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleHost.h"
#include "cli/ReportFile.h"
#include "cli/RunRecords.h"
#include "frame/FrameContext.h"
#include "frame/IniDatei.h"
#include "frame/StartFolder.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <cstdio>

namespace vardolin::cli {
namespace {

// One line that says what is wrong, and where the help is.
int usageError(const QString& problem)
{
    printLine(stderr, QStringLiteral("vardolin-batch: ") + problem);
    printLine(stderr, QStringLiteral("Try 'vardolin-batch --help' for more information."));
    return badUsage;
}

frame::FrameContext contextFor(const QString& workingFolder)
{
    frame::FrameContext context;
    context.uAnwendung = frame::kAnwendung;
    context.uPgmVersion = frame::kPgmVersion;
    context.uAktVerz = util::withTrailingSeparator(workingFolder);
    return context;
}

// The settings as the program would start with them, then PATH and the
// options of this run on top.
Settings settingsFor(const CommandLine& options, const frame::FrameContext& context)
{
    Settings settings;
    frame::IniDatei(settings, context, QStringLiteral("#READ"));
    frame::takeStartFolder(settings, context.uAktVerz, options.path);
    applyOptions(options, settings);
    return settings;
}

// The size list's item that Bildgroesse chooses, or the one --size gives.
QString sizeItemFor(const CommandLine& options, const Settings& settings, const QStringList& items)
{
    if (options.size)
        return QStringLiteral("1-") + *options.size;
    const qint64 index = util::integerValue(settings.Bildgroesse) - 1;
    return index >= 0 && index < items.size() ? items[index] : QString();
}

// The size list's items, the list files written with their defaults when
// missing, as the window does at start; a dry run writes nothing and takes
// the defaults of a missing size list as they would be written.
QStringList sizeItems(const QString& workingFolder, ConsoleHost& host, bool dryRun)
{
    if (dryRun) {
        if (util::sizeTest(workingFolder + QString::fromUtf16(batch::sizeListFile)) < 0)
            return batch::numberedItems(batch::defaultSizeLines());
        return batch::FuelleComboGroesse(workingFolder, host).items;
    }
    const batch::ListFill sizes = batch::fillListLoadingDefaults(&batch::FuelleComboGroesse, workingFolder, host);
    batch::fillListLoadingDefaults(&batch::FuelleComboQualitaet, workingFolder, host);
    return sizes.items;
}

// The scan as the window runs it: exclusions applied, sorted, counted.
int listFiles(const Settings& settings)
{
    const batch::ScanResult result = batch::scanSources(batch::scanRequestFrom(settings));
    QByteArray lines;
    for (const QString& file : result.files) {
        lines += util::fileNameFromText(file); // as on the disk, for scripts that read the list
        lines += '\n';
    }
    std::fwrite(lines.constData(), 1, std::size_t(lines.size()), stdout);
    printLine(stdout, util::decimalText(result.count) + QStringLiteral(" Dateien gefunden !"));
    return allDone;
}

// A terminal user names a new target folder and expects it made, as any
// command that writes into a folder would; the window offers only folders
// that exist. A dry run makes nothing but finds what the run would find.
// False when it is needed and cannot be made.
bool makeTargetFolder(const CommandLine& options, const Settings& settings, ConsoleHost& host)
{
    if (!options.target || util::integerValue(settings.AusgabeOrdner) != 4 || util::isFolder(settings.ZielVerz))
        return true;
    if (options.dryRun ? !batch::folderCanBeMade(settings.ZielVerz)
                       : (batch::zVerzAnlegen(settings.ZielVerz), !util::isFolder(settings.ZielVerz))) {
        printLine(stderr, QStringLiteral("vardolin-batch: the target folder cannot be made: ") + settings.ZielVerz);
        return false;
    }
    if (!options.dryRun)
        host.lastingStatus(QStringLiteral("Zielordner angelegt: ") + settings.ZielVerz);
    return true;
}

ConsoleHost::Output outputFor(const CommandLine& options)
{
    if (options.quiet || options.dryRun)
        return ConsoleHost::Output::Quiet;
    return ConsoleHost::standardOutputIsTerminal() ? ConsoleHost::Output::Terminal : ConsoleHost::Output::Lines;
}

batch::RunOptions runOptionsFor(const CommandLine& options)
{
    batch::RunOptions run;
    run.jobs = options.jobs;
    run.dryRun = options.dryRun;
    run.shard = options.shard;
    run.failOnWarning = options.failOnWarning;
    if (options.maxKb)
        run.maxBytes = *options.maxKb * 1024;
    return run;
}

// A run stopped by a signal ends by it afterwards (main.cpp); this code is
// what a stop by other means would give.
int finalCode(const batch::RunReport& report)
{
    if (report.subfolderFailed)
        return notStarted;
    if (report.stopped) {
        printLine(stderr,
                  QStringLiteral("vardolin-batch: stopped after %1 of %2 files").arg(report.reached).arg(report.count));
        return someFailed;
    }
    if (report.failed > 0) {
        printLine(stderr, QStringLiteral("vardolin-batch: %1 of %2 files could not be converted")
                              .arg(report.failed)
                              .arg(report.count));
        return someFailed;
    }
    return allDone;
}

} // namespace

int runBatchCommand(const QStringList& arguments, const QString& workingFolder)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.error.isEmpty())
        return usageError(parsed.error);
    const CommandLine& options = parsed.options;
    if (options.help) {
        printLine(stdout, usageText());
        return allDone;
    }
    if (options.version) {
        printLine(stdout, QStringLiteral("vardolin-batch ") + frame::kPgmVersion);
        return allDone;
    }

    const frame::FrameContext context = contextFor(workingFolder);
    const Settings settings = settingsFor(options, context);
    const QString sourceFolder = batch::sourceFolderOf(settings);
    if (!sourceFolder.isEmpty() && !util::isFolder(sourceFolder))
        return usageError(QStringLiteral("the source folder does not exist: ") + sourceFolder);
    if (options.list)
        return listFiles(settings);

    ReportFile reportFile;
    RecordingConsoleHost host(outputFor(options), options.quiet, options.dryRun,
                              options.report ? &reportFile : nullptr);
    const QString sizeItem = sizeItemFor(options, settings, sizeItems(context.uAktVerz, host, options.dryRun));
    if (batch::chosenSize(sizeItem).height <= 0)
        return usageError(QStringLiteral("size entry %1 of %2 gives no short side; choose one with --size W,H")
                              .arg(settings.Bildgroesse, QString::fromUtf16(batch::sizeListFile)));
    host.setSizeItemText(sizeItem);
    QString problem;
    if (options.report && !reportFile.open(*options.report, problem))
        return usageError(QStringLiteral("cannot write the report %1: %2").arg(*options.report, problem));
    if (!makeTargetFolder(options, settings, host))
        return notStarted;

    const batch::RunReport report = batch::BilderVerarbeiten(settings, host, runOptionsFor(options));
    host.finish();
    const int code = finalCode(report);
    if (reportFile.failed()) {
        printLine(stderr,
                  QStringLiteral("vardolin-batch: the report %1 could not be written whole").arg(*options.report));
        return someFailed;
    }
    return code;
}

} // namespace vardolin::cli
