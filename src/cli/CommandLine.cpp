#include "cli/CommandLine.h"

#include "util/FileNames.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>

namespace vardolin::cli {
namespace {

std::optional<int> numberIn(const QString& text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<batch::Shard> shardIn(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([0-9]{1,7})\\s*/\\s*([0-9]{1,7})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const batch::Shard shard{match.captured(1).toInt(), match.captured(2).toInt()};
    if (shard.count < 1 || shard.index >= shard.count)
        return std::nullopt;
    return shard;
}

bool isSizeText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*[0-9]{1,5}\\s*,\\s*[1-9][0-9]{0,4}\\s*$"));
    return form.match(text).hasMatch();
}

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption size{QStringLiteral("size"), QStringLiteral("Size entry W,H; H is the short side."),
                            QStringLiteral("W,H")};
    QCommandLineOption quality{QStringLiteral("quality"), QStringLiteral("JPEG quality grade 0-11."),
                               QStringLiteral("N")};
    QCommandLineOption mode{QStringLiteral("mode"),
                            QStringLiteral("Output mode: 1 prefix, 2 suffix, 3 subfolder, 4 target folder."),
                            QStringLiteral("1-4")};
    QCommandLineOption target{QStringLiteral("target"),
                              QStringLiteral("Target folder, made when missing (implies --mode 4)."),
                              QStringLiteral("DIR")};
    QCommandLineOption subfolders{QStringLiteral("subfolders"), QStringLiteral("Include subfolders.")};
    QCommandLineOption overwrite{QStringLiteral("overwrite"), QStringLiteral("Overwrite existing copies.")};
    QCommandLineOption keepDate{QStringLiteral("keep-date"), QStringLiteral("Copies keep the source's time.")};
    QCommandLineOption today{QStringLiteral("today"), QStringLiteral("Copies get the time they are written.")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QStringLiteral("Files converted at once (default: all cores)."),
                            QStringLiteral("N")};
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("Only scan: print the files the window would count (the exclude "
                                           "pattern applied) and their number; convert nothing.")};
    QCommandLineOption structure{QStringLiteral("structure"),
                                 QStringLiteral("Mode 4: copies keep the source's subfolders below the target.")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QStringLiteral("Print each file, its copy and what would become of it; write nothing.")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Write one JSON line per file (its outcome, sizes, and what was done to "
                                             "its colours) to FILE as the run goes."),
                              QStringLiteral("FILE")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Print only the files that failed.")};
    QCommandLineOption maxKb{
        QStringLiteral("max-kb"),
        QStringLiteral("A JPEG or lossy WebP copy above N KiB is written at the highest lower grade that fits."),
        QStringLiteral("N")};
    QCommandLineOption shard{QStringLiteral("shard"),
                             QStringLiteral("Take only shard K of N (0 <= K < N); N runs together do the whole job."),
                             QStringLiteral("K/N")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Show the version.")};

    Parser()
    {
        parser.setApplicationDescription(
            QStringLiteral("Makes reduced copies of the pictures in a folder, with the settings of Vardolin.ini\n"
                           "in the working folder; options change single settings for this run only."));
        parser.addOptions({size, quality, mode, target, structure, subfolders, overwrite, keepDate, today, jobs, maxKb,
                           dryRun, list, report, quiet, shard, help, version});
        parser.addPositionalArgument(QStringLiteral("PATH"),
                                     QStringLiteral("Source folder and file pattern, e.g. /home/u/Fotos/*.jpg"),
                                     QStringLiteral("[PATH]"));
    }
};

QString readValues(const Parser& p, CommandLine& line)
{
    if (p.parser.isSet(p.size)) {
        const QString text = p.parser.value(p.size);
        if (!isSizeText(text))
            return QStringLiteral("--size wants W,H with a short side H above 0, e.g. 800,600");
        line.size = text.simplified().remove(u' ');
    }
    if (p.parser.isSet(p.quality) && !(line.quality = numberIn(p.parser.value(p.quality), 0, 11)))
        return QStringLiteral("--quality wants a grade from 0 to 11");
    if (p.parser.isSet(p.mode) && !(line.mode = numberIn(p.parser.value(p.mode), 1, 4)))
        return QStringLiteral("--mode wants 1, 2, 3 or 4");
    if (p.parser.isSet(p.jobs)) {
        const auto jobs = numberIn(p.parser.value(p.jobs), 1, 1024);
        if (!jobs)
            return QStringLiteral("--jobs wants a number from 1 to 1024");
        line.jobs = *jobs;
    }
    if (p.parser.isSet(p.target)) {
        if (p.parser.value(p.target).isEmpty())
            return QStringLiteral("--target wants a folder");
        line.target = p.parser.value(p.target);
    }
    if (p.parser.isSet(p.report)) {
        if (p.parser.value(p.report).isEmpty())
            return QStringLiteral("--report wants a file name");
        line.report = p.parser.value(p.report);
    }
    if (p.parser.isSet(p.maxKb)) {
        bool ok = false;
        const qint64 kb = p.parser.value(p.maxKb).trimmed().toLongLong(&ok);
        if (!ok || kb < 1 || kb > (qint64(1) << 40))
            return QStringLiteral("--max-kb wants a size in KiB above 0, e.g. 500");
        line.maxKb = kb;
    }
    if (p.parser.isSet(p.shard) && !(line.shard = shardIn(p.parser.value(p.shard))))
        return QStringLiteral("--shard wants K/N with 0 <= K < N, e.g. 2/8");
    if (p.parser.isSet(p.keepDate) && p.parser.isSet(p.today))
        return QStringLiteral("--keep-date and --today exclude each other");
    if (p.parser.isSet(p.keepDate))
        line.dateiDatum = 1;
    if (p.parser.isSet(p.today))
        line.dateiDatum = 2;
    return {};
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    Parser p;
    ParsedCommandLine result;
    if (!p.parser.parse(QStringList{QStringLiteral("vardolin-batch")} + arguments)) {
        result.error = p.parser.errorText();
        return result;
    }
    CommandLine& line = result.options;
    line.help = p.parser.isSet(p.help);
    line.version = p.parser.isSet(p.version);
    line.subfolders = p.parser.isSet(p.subfolders);
    line.overwrite = p.parser.isSet(p.overwrite);
    line.list = p.parser.isSet(p.list);
    line.structure = p.parser.isSet(p.structure);
    line.dryRun = p.parser.isSet(p.dryRun);
    line.quiet = p.parser.isSet(p.quiet);
    const QStringList positional = p.parser.positionalArguments();
    if (positional.size() > 1) {
        result.error = QStringLiteral(
            "only one PATH may be given (quote a pattern so that the shell leaves it alone: '/home/u/Fotos/*.jpg')");
        return result;
    }
    if (!positional.isEmpty())
        line.path = positional.front();
    result.error = readValues(p, line);
    return result;
}

QString usageText()
{
    return Parser().parser.helpText();
}

void applyOptions(const CommandLine& options, Settings& settings)
{
    if (options.quality)
        settings.Bildqualitaet = util::padLeft(util::decimalText(*options.quality), 2, u'0');
    if (options.target) {
        settings.ZielVerz = util::withTrailingSeparator(
            QDir::toNativeSeparators(QDir::cleanPath(QDir(util::workingFolder()).absoluteFilePath(*options.target))));
        if (!options.mode)
            settings.AusgabeOrdner = QStringLiteral("4");
    }
    if (options.mode)
        settings.AusgabeOrdner = util::decimalText(*options.mode);
    if (options.structure)
        settings.CBZielVerzPlus = QStringLiteral("1");
    if (options.subfolders)
        settings.MitUnterordner = QStringLiteral("1");
    if (options.overwrite)
        settings.CBZielUeberschreiben = QStringLiteral("1");
    if (options.dateiDatum)
        settings.DateiDatum = util::decimalText(*options.dateiDatum);
}

} // namespace vardolin::cli
