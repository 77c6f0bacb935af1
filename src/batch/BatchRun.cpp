#include "batch/BatchRun.h"

#include "batch/BatchHost.h"
#include "batch/ChoiceLists.h"
#include "batch/Conversion.h"
#include "batch/CopiesOfListed.h"
#include "batch/FileRecord.h"
#include "batch/FilesInUse.h"
#include "batch/RunTexts.h"
#include "batch/SourceScan.h"
#include "batch/TargetNames.h"
#include "batch/TempFiles.h"
#include "batch/WorkerPool.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <set>

namespace vardolin::batch {
namespace {

struct Finished {
    QString source;
    FilesInUse::Use use;
    CopyResult result;
};

// Results handed from the workers back to the run's thread.
class FinishedQueue {
public:
    void push(Finished finished)
    {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(finished));
        }
        ready_.notify_one();
    }
    Finished pop()
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !queue_.empty(); });
        Finished finished = std::move(queue_.front());
        queue_.pop_front();
        return finished;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Finished> queue_;
};

QString statusForFile(qint64 n, qint64 count, const QString& path, util::Language language)
{
    return util::words(language, QStringLiteral("Kopiere %1 von %2 Datei:%3"), QStringLiteral("Copying %1 of %2: %3"))
        .arg(util::decimalText(n), util::decimalText(count), path);
}

// A worker thread must hand back a result whatever happens, or the run
// would wait for it forever.
CopyResult convertOnWorker(const QString& source, const QString& targetName, const QString& file, ChosenSize size,
                           const CopyOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    CopyResult result;
    try {
        result = BildKorrigierenKopieren(source, targetName, size.height, options);
    } catch (const std::exception& error) {
        result = {CopyOutcome::Failed, QString::fromLocal8Bit(error.what()), file};
    }
    result.milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    return result;
}

// Everything the run keeps between files, on the run's own thread.
class Run {
public:
    Run(const Settings& settings, BatchHost& host, const RunOptions& options)
        : settings_(settings), host_(host), options_(options),
          jobs_(options.jobs > 0 ? options.jobs : WorkerPool::defaultThreadCount()),
          decoders_(options.decoding, options.limits), pool_(jobs_)
    {
        copyOptions_.limits = options.limits;
        copyOptions_.decoders = &decoders_;
    }

    RunReport execute();

private:
    QStringList filesOfThisShard(const QStringList& files) const;
    bool makeTopSubfolder();
    void prepareFolders(const QString& source, const TargetName& target);
    void waitForTurn(const FilesInUse::Use& use);
    void convert(qint64 n, const QString& source, const TargetName& target, const QString& file, FilesInUse::Use use);
    CopyResult planned(const QString& source, const QString& targetName, const QString& file);
    void collectOne();
    void record(const QString& source, const CopyResult& result);
    void noteSharedCopy(const QString& source, const CopyResult& result);
    QString words(const QString& german, const QString& english) const
    {
        return util::words(options_.language, german, english);
    }

    const Settings& settings_;
    BatchHost& host_;
    const RunOptions options_;
    const int jobs_;
    RunReport report_;
    QString sourceFolder_;
    ChosenSize size_;
    TargetChoice choice_;
    CopyOptions copyOptions_;
    qint64 finished_ = 0;
    int inFlight_ = 0;
    FilesInUse filesInUse_;
    std::map<QString, QString> copiesMade_; // file written in this run -> its source
    std::set<QString> subfoldersMade_;
    std::set<QString> foldersCleaned_;
    std::set<QString> plannedCopies_; // dry run: the copies it would have made
    FinishedQueue results_;
    // Ended and reaped when the run ends, after the last worker.
    Decoders decoders_;
    WorkerPool pool_; // last: its threads are joined before the queue and the decoders go
};

RunReport Run::execute()
{
    size_ = chosenSize(host_.sizeItemText());
    choice_ = targetChoiceFrom(settings_, host_.targetListText());
    copyOptions_.overwrite = util::integerValue(settings_.CBZielUeberschreiben) != 0;
    copyOptions_.dateiDatum = int(util::integerValue(settings_.DateiDatum));
    copyOptions_.quality = qualityGrade(settings_.Bildqualitaet);
    copyOptions_.maxBytes = options_.maxBytes;
    copyOptions_.choices = copyChoicesFrom(settings_.Extra);
    copyOptions_.failOnWarning = options_.failOnWarning;
    copyOptions_.language = options_.language;
    copyOptions_.engineWording = options_.engineWording;
    sourceFolder_ = sourceFolderOf(settings_);

    host_.statusText(words(QStringLiteral("Dateiliste wird erstellt, bitte warten ..."),
                           QStringLiteral("Making the list of files, please wait ...")));
    // The files the scan counts: exclusions and copies of listed files left out.
    ScanRequest request = scanRequestFrom(settings_);
    request.naming = choice_;
    QStringList files = scanSources(request).files;
    if (options_.shard)
        files = filesOfThisShard(files);
    report_.count = files.size();

    if (choice_.mode == 3 && !makeTopSubfolder())
        return report_;

    for (const QString& source : files) {
        const TargetName target = zielName(source, choice_);
        const QString file = fileToWrite(target.name, source, copyOptions_.choices.format);
        FilesInUse::Use use = filesInUse_.useOf(source, target.name, file);
        waitForTurn(use);
        // Asked after the wait, which may last as long as a whole file: an
        // entry reached is one that was started.
        if (host_.stopRequested()) {
            report_.stopped = true;
            break;
        }
        convert(++report_.reached, source, target, file, std::move(use));
    }
    while (inFlight_ > 0)
        collectOne();
    host_.statusText(util::decimalText(report_.reached)
                     + words(QStringLiteral(" Dateien kopiert !"), QStringLiteral(" files copied")));
    return report_;
}

// The copies of modes 1 to 3 are named below the source folder, those of
// mode 4 below the target folder.
QStringList Run::filesOfThisShard(const QStringList& files) const
{
    const auto copyOf = [this](const QString& source) { return copyFileOf(source, choice_); };
    return filesOfShard(files, copyOf, choice_.mode == 4 ? choice_.zielVerz : sourceFolder_, *options_.shard);
}

// A dry run makes nothing, but foretells whether the run could make it.
bool Run::makeTopSubfolder()
{
    const QString folder = sourceFolder_ + choice_.zielSubVerz;
    subfoldersMade_.insert(sourceFolder_);
    const bool ready =
        options_.dryRun ? folderCanBeMade(folder) : util::createFolder(folder) == 1 || util::isFolder(folder);
    if (ready)
        return true;
    report_.subfolderFailed = true;
    host_.showMessage(words(QStringLiteral("Konnte Unterverzeichnis %1 nicht anlegen !"),
                            QStringLiteral("Could not make the subfolder %1"))
                          .arg(folder));
    // Once the message is closed, the status line says how the run ended
    // rather than still promising the list.
    host_.statusText(notStartedStatus(options_.language));
    return false;
}

// Once per folder: the mode-3 subfolder beside every listed file (not only
// in the top folder, so no picture is left without its copy), the folders
// of mode 4 with structure, and the temporaries a killed run left there.
void Run::prepareFolders(const QString& source, const TargetName& target)
{
    if (!target.folderToCreate.isEmpty())
        zVerzAnlegen(target.folderToCreate);
    const QString sourceFolder = util::folderOf(source);
    if (choice_.mode == 3 && subfoldersMade_.insert(sourceFolder).second)
        util::createFolder(sourceFolder + choice_.zielSubVerz);
    const QString targetFolder = util::folderOf(target.name);
    if (foldersCleaned_.insert(targetFolder).second)
        removeStaleTemporaries(targetFolder);
}

// An entry starts when a worker is free and no entry in progress uses its
// files: the copy that an earlier entry is writing (say, the mode-2 copy of
// IMG_01.jpg, listed right after it) is read only when complete, and two
// sources named onto one copy are made one after the other, as the overwrite
// test of the second must see the first. One worker gives the same order.
void Run::waitForTurn(const FilesInUse::Use& use)
{
    while (inFlight_ >= jobs_ || filesInUse_.conflicts(use))
        collectOne();
}

void Run::convert(qint64 n, const QString& source, const TargetName& target, const QString& file, FilesInUse::Use use)
{
    if (options_.dryRun) {
        host_.statusText(statusForFile(n, report_.count, source, options_.language));
        record(source, planned(source, target.name, file));
        return;
    }
    prepareFolders(source, target);
    host_.statusText(statusForFile(n, report_.count, source, options_.language));
    if (const auto refused = copyRefused(source, file, target.name, copyOptions_.overwrite, options_.language)) {
        record(source, *refused);
        return;
    }
    ++inFlight_;
    filesInUse_.add(use);
    pool_.submit(
        [this, source, targetName = target.name, file, use = std::move(use), options = copyOptions_, size = size_] {
            results_.push({source, use, convertOnWorker(source, targetName, file, size, options)});
        });
}

// The outcome the file would have: the run's tests, then the conversion's;
// a copy this run would already have made counts as existing.
CopyResult Run::planned(const QString& source, const QString& targetName, const QString& file)
{
    if (auto refused = copyRefused(source, file, targetName, copyOptions_.overwrite, options_.language))
        return *std::move(refused);
    if (auto refused =
            conversionRefused(source, file, copyOptions_.overwrite, options_.language, copyOptions_.choices.format))
        return *std::move(refused);
    if (!plannedCopies_.insert(file).second && !copyOptions_.overwrite)
        return copyExists(file, options_.language);
    return {CopyOutcome::Written, {}, file};
}

void Run::collectOne()
{
    const Finished finished = results_.pop();
    --inFlight_;
    filesInUse_.remove(finished.use);
    record(finished.source, finished.result);
}

void Run::record(const QString& source, const CopyResult& result)
{
    if (!result.colour.reason.isEmpty())
        host_.logLine(colourNoteLogLine(source, result.colour.reason, options_.language));
    // A failure's own line names the warnings already.
    if (!result.warnings.isEmpty() && result.outcome != CopyOutcome::Failed) {
        ++report_.damaged;
        host_.logLine(damagedLogLine(source, engineReasons(result.warnings, copyOptions_), options_.language));
    }
    if (!result.metadataNote.isEmpty())
        host_.logLine(metadataNoteLogLine(source, result.metadataNote, options_.language));
    if (!options_.dryRun)
        noteSharedCopy(source, result);
    FileRecord done{source, util::sizeTest(source), result, options_.dryRun};
    if (result.outcome == CopyOutcome::SkippedExisting)
        done.result.bytesAfter = util::sizeTest(result.writtenFile);
    host_.fileDone(done);
    switch (result.outcome) {
    case CopyOutcome::Written: ++report_.written; break;
    case CopyOutcome::SkippedExisting:
    case CopyOutcome::SkippedFormat: ++report_.skipped; break;
    case CopyOutcome::Failed:
        ++report_.failed;
        host_.logLine(failureLogLine(source, result.reason, options_.language));
        break;
    }
    host_.progress(++finished_, report_.count);
}

// Two sources that differ only in their extension (IMG.HEIC and IMG.JPG) name
// one copy. The overwrite switch decides as for any existing copy, but the
// picture that loses is named in the log instead of vanishing unseen.
void Run::noteSharedCopy(const QString& source, const CopyResult& result)
{
    const QString& file = result.writtenFile;
    const auto made = copiesMade_.find(file);
    const bool madeFromOther = made != copiesMade_.end() && made->second != source;
    if (result.outcome == CopyOutcome::SkippedExisting && madeFromOther)
        host_.logLine(failureLogLine(source,
                                     words(QStringLiteral("die Kopie %1 wurde in diesem Lauf schon aus %2 geschrieben"),
                                           QStringLiteral("the copy %1 was written from %2 in this run already"))
                                         .arg(file, made->second),
                                     options_.language));
    if (result.outcome != CopyOutcome::Written)
        return;
    if (madeFromOther)
        host_.logLine(words(QStringLiteral("Kopie ersetzt: %1 : ihre Kopie %2 wurde mit der von %3 überschrieben"),
                            QStringLiteral("Copy replaced: %1 : its copy %2 was overwritten with the one of %3"))
                          .arg(made->second, file, source));
    copiesMade_[file] = source;
}

} // namespace

QString failureLogLine(const QString& source, const QString& reason, util::Language language)
{
    return util::words(language, QStringLiteral("Nicht kopiert: "), QStringLiteral("Not copied: ")) + source
           + QStringLiteral(" : ") + reason;
}

QString colourNoteLogLine(const QString& source, const QString& reason, util::Language language)
{
    return util::words(language, QStringLiteral("Farbprofil ignoriert: "), QStringLiteral("Colour profile ignored: "))
           + source + QStringLiteral(" : ") + reason;
}

QString metadataNoteLogLine(const QString& source, const QString& reason, util::Language language)
{
    return util::words(language, QStringLiteral("Metadaten nicht übernommen: "),
                       QStringLiteral("Metadata not carried over: "))
           + source + QStringLiteral(" : ") + reason;
}

RunReport BilderVerarbeiten(const Settings& settings, BatchHost& host, const RunOptions& options)
{
    Run run(settings, host, options);
    return run.execute();
}

} // namespace vardolin::batch
