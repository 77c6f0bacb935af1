#include "batch/SourceScan.h"

#include "batch/BatchHost.h"
#include "batch/CopiesOfListed.h"
#include "batch/DirectoryWalk.h"
#include "batch/PatternMatch.h"
#include "batch/TargetNames.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace vardolin::batch {
namespace {

QString ruler()
{
    return QString(80, u'-');
}

QStringList walkLogLines(const ScanRequest& request)
{
    return {ruler(),
            QStringLiteral("Aufrufs_ReadDirLL mit Parameter"),
            QStringLiteral("   Ermittel Dateien aus Pfad :") + request.sourceFolder,
            QStringLiteral("   Dateifilter               :") + request.includePattern,
            QStringLiteral("   DateifilterExclude        :") + request.excludePattern,
            QStringLiteral("   Dateierweiterung          :") + request.extension,
            QStringLiteral("   Unterverzeichnisschalter  :") + util::decimalText(request.withSubfolders)};
}

// A pattern with "*" is matched on the full path; any other text names a
// marker file whose non-empty presence excludes the pictures of its folder.
// The marker is looked up once per run of entries from one folder.
QStringList withoutExcluded(const QStringList& files, const QString& exclude)
{
    if (exclude.isEmpty())
        return files;
    QStringList kept;
    kept.reserve(files.size());
    const bool isPattern = exclude.contains(u'*');
    QString previousFolder;
    bool markerFound = false;
    for (const QString& file : files) {
        bool drop = false;
        if (isPattern) {
            drop = s_MatchPattern(file, exclude, 1) == 1;
        } else {
            const QString folder = util::folderOf(file);
            if (folder != previousFolder)
                markerFound = util::sizeTest(folder + exclude) > 0;
            previousFolder = folder;
            drop = markerFound;
        }
        if (!drop)
            kept.append(file);
    }
    return kept;
}

} // namespace

ScanRequest scanRequestFrom(const Settings& settings, const QString& targetListText)
{
    ScanRequest request;
    request.sourceFolder = sourceFolderOf(settings);
    request.includePattern = util::filePart(settings.BildDatei);
    request.excludePattern = util::filePart(settings.BildDateiEx);
    const int dot = request.includePattern.lastIndexOf(u'.');
    request.extension = dot < 0 ? QString() : request.includePattern.mid(dot + 1);
    request.withSubfolders = int(util::integerValue(settings.MitUnterordner));
    request.naming = targetChoiceFrom(settings, targetListText);
    return request;
}

ScanResult scanSources(const ScanRequest& request, const std::atomic_bool* stop)
{
    ScanResult result;
    result.logLines = walkLogLines(request);
    QStringList walked;
    result.found = s_ReadDirLL(request.sourceFolder, request.includePattern, request.withSubfolders, walked,
                               countFromZero, clearListFirst, stop);
    // A walk that was stopped may have ended early: its count is no finding.
    const bool walkCut = stop && stop->load();
    result.logLines << (walkCut ? QStringLiteral("   >>Abgebrochen bei Anzahl  :")
                                : QStringLiteral("   >>Gefunden Anzahl         :"))
                           + util::decimalText(result.found)
                    << ruler();
    result.files = withoutExcluded(withoutCopiesOfListed(walked, request.naming), request.excludePattern);
    result.count = result.found - (walked.size() - result.files.size());
    sortIgnoringCase(result.files);
    result.targetItems = FuellenComboZielVerz(request.sourceFolder);
    result.stopped = stop && stop->load();
    return result;
}

void logScanResult(const ScanResult& result, BatchHost& host)
{
    for (const QString& line : result.logLines)
        host.logLine(line);
}

void showScanResult(const ScanResult& result, BatchHost& host)
{
    host.setFoundCount(result.count);
    host.setTargetListItems(result.targetItems);
    host.statusText(util::decimalText(result.count) + QStringLiteral(" Dateien gefunden !"));
}

int AktionQuelle(qint64 eventType, const Settings& settings, BatchHost& host, QStringList* files)
{
    if (eventType != textChangedEvent) {
        host.statusText(QStringLiteral("Dateien werden ermittelt, bitte warten ..."));
        ScanResult result = scanSources(scanRequestFrom(settings));
        logScanResult(result, host);
        showScanResult(result, host);
        if (files)
            *files = std::move(result.files);
    }
    return 0;
}

} // namespace vardolin::batch
