#include "cli/BatchCommand.h"

#include "batch/BatchRun.h"
#include "batch/ChoiceLists.h"
#include "batch/CopyChoices.h"
#include "batch/SourceScan.h"
#include "batch/TargetNames.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleHost.h"
#include "cli/EngineReasons.h"
#include "cli/ReportFile.h"
#include "cli/RunRecords.h"
#include "cli/SettingsSource.h"
#include "frame/StartFolder.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <cstdio>

namespace vardolin::cli {
namespace {

using util::Language;

// One line that says what is wrong, and where the help is.
int usageError(const QString& problem, Language language)
{
    printLine(stderr, QStringLiteral("vardolin-batch: ") + problem);
    printLine(stderr, util::words(language, QStringLiteral("Mehr mit 'vardolin-batch --help'."),
                                  QStringLiteral("Try 'vardolin-batch --help' for more information.")));
    return badUsage;
}

int notStartedBecause(const QString& problem)
{
    printLine(stderr, QStringLiteral("vardolin-batch: ") + problem);
    return notStarted;
}

// The size list's item that Bildgroesse chooses, or the one --size gives.
QString sizeItemFor(const CommandLine& options, const Settings& settings, const QStringList& items)
{
    if (options.size)
        return QStringLiteral("1-") + *options.size;
    const qint64 index = util::integerValue(settings.Bildgroesse) - 1;
    return index >= 0 && index < items.size() ? items[index] : QString();
}

// The scan as the window runs it: exclusions applied, sorted, counted.
int listFiles(const Settings& settings, Language language)
{
    const batch::ScanResult result = batch::scanSources(batch::scanRequestFrom(settings));
    QByteArray lines;
    for (const QString& file : result.files) {
        lines += util::fileNameFromText(file); // as on the disk, for scripts that read the list
        lines += '\n';
    }
    std::fwrite(lines.constData(), 1, std::size_t(lines.size()), stdout);
    printLine(stdout,
              util::decimalText(result.count)
                  + util::words(language, QStringLiteral(" Dateien gefunden !"), QStringLiteral(" files found")));
    return allDone;
}

// A terminal user names a new target folder and expects it made, as any
// command that writes into a folder would; the window offers only folders
// that exist. A dry run makes nothing but finds what the run would find.
// False when it is needed and cannot be made.
bool makeTargetFolder(const CommandLine& options, const Settings& settings, ConsoleHost& host, Language language)
{
    if (!options.target || util::integerValue(settings.AusgabeOrdner) != 4 || util::isFolder(settings.ZielVerz))
        return true;
    if (options.dryRun ? !batch::folderCanBeMade(settings.ZielVerz)
                       : (batch::zVerzAnlegen(settings.ZielVerz), !util::isFolder(settings.ZielVerz))) {
        printLine(stderr, QStringLiteral("vardolin-batch: ")
                              + util::words(language, QStringLiteral("der Zielordner kann nicht angelegt werden: "),
                                            QStringLiteral("the target folder cannot be made: "))
                              + settings.ZielVerz);
        return false;
    }
    if (!options.dryRun)
        host.lastingStatus(
            util::words(language, QStringLiteral("Zielordner angelegt: "), QStringLiteral("Target folder made: "))
            + settings.ZielVerz);
    return true;
}

ConsoleHost::Output outputFor(const CommandLine& options)
{
    if (options.quiet || options.dryRun)
        return ConsoleHost::Output::Quiet;
    return ConsoleHost::standardOutputIsTerminal() ? ConsoleHost::Output::Terminal : ConsoleHost::Output::Lines;
}

batch::RunOptions runOptionsFor(const CommandLine& options, Language language)
{
    batch::RunOptions run;
    run.jobs = options.jobs;
    run.dryRun = options.dryRun;
    run.shard = options.shard;
    run.failOnWarning = options.failOnWarning;
    if (options.maxKb)
        run.maxBytes = *options.maxKb * 1024;
    run.language = language;
    run.engineWording = &engineReasonIn;
    return run;
}

// A run stopped by a signal ends by it afterwards (main.cpp); this code is
// what a stop by other means would give.
int finalCode(const batch::RunReport& report, Language language)
{
    if (report.subfolderFailed)
        return notStarted;
    if (report.stopped) {
        printLine(stderr, QStringLiteral("vardolin-batch: ")
                              + util::words(language, QStringLiteral("angehalten nach %1 von %2 Dateien"),
                                            QStringLiteral("stopped after %1 of %2 files"))
                                    .arg(report.reached)
                                    .arg(report.count));
        return someFailed;
    }
    if (report.failed > 0) {
        printLine(stderr,
                  QStringLiteral("vardolin-batch: ")
                      + util::words(language, QStringLiteral("%1 von %2 Dateien konnten nicht umgerechnet werden"),
                                    QStringLiteral("%1 of %2 files could not be converted"))
                            .arg(report.failed)
                            .arg(report.count));
        return someFailed;
    }
    return allDone;
}

} // namespace

int runBatchCommand(const QStringList& arguments, const QString& workingFolder, Language language)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments, language);
    if (!parsed.error.isEmpty())
        return usageError(parsed.error, language);
    const CommandLine& options = parsed.options;
    if (options.help) {
        printLine(stdout, usageText(language));
        return allDone;
    }
    if (options.version) {
        printLine(stdout, QStringLiteral("vardolin-batch ") + frame::kPgmVersion);
        return allDone;
    }
    // A bare call converts nothing: which folder to shrink is never guessed.
    if (options.path.isEmpty()) {
        printLine(stderr, usageLine(language)
                              + util::words(language, QStringLiteral("  (mehr mit --help)"),
                                            QStringLiteral("  (more with --help)")));
        return badUsage;
    }

    const ChosenSettings chosen = chooseSettings(options, workingFolder, frame::systemEnvironment(), language);
    if (!chosen.problem.isEmpty())
        return notStartedBecause(chosen.problem);
    Settings settings = chosen.settings;
    frame::takeStartFolder(settings, util::withTrailingSeparator(workingFolder), options.path);
    applyOptions(options, settings);
    const QString sourceFolder = batch::sourceFolderOf(settings);
    if (!sourceFolder.isEmpty() && !util::isFolder(sourceFolder))
        return usageError(util::words(language, QStringLiteral("den Quellordner gibt es nicht: "),
                                      QStringLiteral("the source folder does not exist: "))
                              + sourceFolder,
                          language);
    if (!options.quiet)
        printLine(stdout, settingsLine(chosen, language));
    if (options.list)
        return listFiles(settings, language);

    const std::optional<QStringList> sizes = sizeListItems(chosen);
    if (!sizes && !options.size)
        return notStartedBecause(util::words(language, QStringLiteral("die Größenliste kann nicht gelesen werden: %1"),
                                             QStringLiteral("the size list cannot be read: %1"))
                                     .arg(sizeListPath(chosen)));
    const QString sizeItem = sizeItemFor(options, settings, sizes.value_or(QStringList()));
    if (batch::chosenSize(sizeItem).height <= 0)
        return usageError(util::words(language,
                                      QStringLiteral("Größeneintrag %1 von %2 gibt keine kurze Seite; wählen Sie "
                                                     "eine mit --size B,H"),
                                      QStringLiteral("size entry %1 of %2 gives no short side; choose one with "
                                                     "--size W,H"))
                              .arg(settings.Bildgroesse, QString::fromUtf16(batch::sizeListFile)),
                          language);
    const batch::CopyFormat format = batch::copyChoicesFrom(settings.Extra).format;
    if (!batch::canWriteCopies(format))
        return notStartedBecause(util::words(language,
                                             QStringLiteral("%1-Kopien können hier nicht geschrieben werden: es "
                                                            "fehlt ihr Encoder"),
                                             QStringLiteral("%1 copies cannot be written here: no encoder for them"))
                                     .arg(batch::extensionOf(format)));

    ReportFile reportFile;
    RecordingConsoleHost host(outputFor(options), options.quiet, options.dryRun, options.report ? &reportFile : nullptr,
                              language);
    host.setSizeItemText(sizeItem);
    QString problem;
    if (options.report && !reportFile.open(*options.report, problem))
        return usageError(util::words(language, QStringLiteral("der Bericht %1 kann nicht geschrieben werden: %2"),
                                      QStringLiteral("cannot write the report %1: %2"))
                              .arg(*options.report, problem),
                          language);
    if (!makeTargetFolder(options, settings, host, language))
        return notStarted;

    const batch::RunReport report = batch::BilderVerarbeiten(settings, host, runOptionsFor(options, language));
    host.finish();
    const int code = finalCode(report, language);
    if (reportFile.failed()) {
        printLine(stderr, QStringLiteral("vardolin-batch: ")
                              + util::words(language, QStringLiteral("der Bericht %1 wurde nicht ganz geschrieben"),
                                            QStringLiteral("the report %1 could not be written whole"))
                                    .arg(*options.report));
        return someFailed;
    }
    return code;
}

} // namespace vardolin::cli
