#include "cli/CommandLine.h"

#include "cli/Rewording.h"
#include "util/FileNames.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>

#include <array>

namespace vardolin::cli {
namespace {

using util::Language;

// One option: its names, the name of its value (none for a switch), and what
// it does in both languages. The parser and the help are made from this table.
struct OptionRow {
    QStringList names;
    const char16_t* valueGerman;
    const char16_t* valueEnglish;
    const char16_t* german;
    const char16_t* english;
};

// clang-format off
const std::array kOptions{
    OptionRow{{QStringLiteral("size")}, u"B,H", u"W,H",
              u"Größeneintrag B,H; H ist die kurze Seite.", u"Size entry W,H; H is the short side."},
    OptionRow{{QStringLiteral("quality")}, u"N", u"N",
              u"Qualitätsstufe 0-11 der JPEG-, verlustbehafteten WebP- und AVIF-Kopien.",
              u"Quality grade 0-11 of JPEG, lossy WebP and AVIF copies."},
    OptionRow{{QStringLiteral("mode")}, u"1-4", u"1-4",
              u"Ausgabe: 1 Präfix, 2 Suffix, 3 Unterordner, 4 Zielordner.",
              u"Output mode: 1 prefix, 2 suffix, 3 subfolder, 4 target folder."},
    OptionRow{{QStringLiteral("target")}, u"ORDNER", u"DIR",
              u"Zielordner, angelegt wenn er fehlt (wählt --mode 4).",
              u"Target folder, made when missing (implies --mode 4)."},
    OptionRow{{QStringLiteral("structure")}, nullptr, nullptr,
              u"Modus 4: die Kopien behalten die Unterordner der Quelle unter dem Zielordner.",
              u"Mode 4: copies keep the source's subfolders below the target."},
    OptionRow{{QStringLiteral("no-structure")}, nullptr, nullptr,
              u"Modus 4: alle Kopien in den Zielordner selbst, was die Einstellungen auch sagen.",
              u"Mode 4: every copy into the target folder itself, whatever the settings say."},
    OptionRow{{QStringLiteral("subfolders")}, nullptr, nullptr,
              u"Die Unterordner einbeziehen.", u"Include subfolders."},
    OptionRow{{QStringLiteral("no-subfolders")}, nullptr, nullptr,
              u"Nur den Ordner selbst, ohne Unterordner (so beginnt jeder Lauf).",
              u"Only the folder itself, without subfolders (as every run starts)."},
    OptionRow{{QStringLiteral("overwrite")}, nullptr, nullptr,
              u"Vorhandene Kopien überschreiben.", u"Overwrite existing copies."},
    OptionRow{{QStringLiteral("no-overwrite")}, nullptr, nullptr,
              u"Vorhandene Kopien nie überschreiben, was die Einstellungen auch sagen.",
              u"Never overwrite existing copies, whatever the settings say."},
    OptionRow{{QStringLiteral("keep-date")}, nullptr, nullptr,
              u"Die Kopien erhalten die Zeit der Quelle.", u"Copies keep the source's time."},
    OptionRow{{QStringLiteral("today")}, nullptr, nullptr,
              u"Die Kopien erhalten die Zeit, zu der sie geschrieben werden.",
              u"Copies get the time they are written."},
    OptionRow{{QStringLiteral("jobs")}, u"N", u"N",
              u"So viele Dateien zugleich (Vorgabe: alle Kerne).", u"Files converted at once (default: all cores)."},
    OptionRow{{QStringLiteral("max-kb")}, u"N", u"N",
              u"Eine verlustbehaftete Kopie (JPEG, WebP, AVIF) über N KiB wird mit der höchsten niedrigeren Stufe "
              u"geschrieben, die passt.",
              u"A lossy copy (JPEG, WebP, AVIF) above N KiB is written at the highest lower grade that fits."},
    // The Extra menu's choices (ExtraOptions.h).
    OptionRow{{QStringLiteral("format")}, u"keep|jpeg|webp|avif", u"keep|jpeg|webp|avif",
              u"Jede Kopie als jpeg (JPG), webp (WEBP) oder avif (AVIF) schreiben, in der Qualität, die wie die "
              u"JPEG-Kopie aussieht; keep: nach der Endung der Quelle.",
              u"Write every copy as jpeg (JPG), webp (WEBP) or avif (AVIF) at the quality that looks like the "
              u"JPEG copy's; keep: by the source's extension."},
    OptionRow{{QStringLiteral("keep-metadata")}, nullptr, nullptr,
              u"Die Kopien behalten das Exif ihrer Quelle (Aufnahmedatum, Kamera, Belichtung, Copyright, "
              u"Beschreibung), ohne Vorschaubild und GPS-Position.",
              u"Copies keep their source's Exif (date, camera, exposure, copyright, description), without "
              u"thumbnail and GPS position."},
    OptionRow{{QStringLiteral("keep-location")}, nullptr, nullptr,
              u"Dasselbe mit der GPS-Position.", u"The same with the GPS position."},
    OptionRow{{QStringLiteral("no-metadata")}, nullptr, nullptr,
              u"Die Kopien behalten kein Exif.", u"Copies keep no Exif."},
    OptionRow{{QStringLiteral("optimize")}, nullptr, nullptr,
              u"JPEG-Kopien mit optimierter, progressiver Kodierung: dieselben Pixel, weniger Bytes.",
              u"JPEG copies with optimised, progressive coding: the same pixels, fewer bytes."},
    OptionRow{{QStringLiteral("no-optimize")}, nullptr, nullptr,
              u"JPEG-Kopien mit einfacher Kodierung.", u"JPEG copies with plain coding."},
    OptionRow{{QStringLiteral("dry-run")}, nullptr, nullptr,
              u"Jede Datei, ihre Kopie und was aus ihr würde, ausgeben; nichts schreiben.",
              u"Print each file, its copy and what would become of it; write nothing."},
    OptionRow{{QStringLiteral("list")}, nullptr, nullptr,
              u"Nur suchen: die Dateien ausgeben, die das Fenster zählen und ein Lauf umrechnen würde (ohne die "
              u"ausgeschlossenen und ohne die Kopien gelisteter Dateien), und ihre Anzahl; nichts umrechnen.",
              u"Only scan: print the files the window would count and a run would convert (the exclude pattern "
              u"applied, copies of listed files left out) and their number; convert nothing."},
    OptionRow{{QStringLiteral("report")}, u"DATEI", u"FILE",
              u"Für jede Datei eine JSON-Zeile an DATEI anhängen, sobald sie fertig ist (Ergebnis, Größen, was mit ihren "
              u"Farben geschah); jede nennt ihren Lauf.",
              u"Append one JSON line per file to FILE as the run goes (its outcome, sizes, and what was done to its "
              u"colours), each naming its run."},
    OptionRow{{QStringLiteral("q"), QStringLiteral("quiet")}, nullptr, nullptr,
              u"Nur die Dateien ausgeben, die misslangen.", u"Print only the files that failed."},
    OptionRow{{QStringLiteral("shard")}, u"K/N", u"K/N",
              u"Nur Teil K von N (0 <= K < N); N Läufe zusammen erledigen alles.",
              u"Take only shard K of N (0 <= K < N); N runs together do the whole job."},
    OptionRow{{QStringLiteral("fail-on")}, u"none|warning", u"none|warning",
              u"none (Vorgabe): ein beschädigtes Bild wird aus dem kopiert, was seine Datei hält, und genannt; "
              u"warning: es misslingt und erhält keine Kopie.",
              u"none (default): a damaged picture is copied from what its file holds and named; warning: it "
              u"fails and gets no copy."},
    OptionRow{{QStringLiteral("settings")}, u"DATEI", u"FILE",
              u"Die Einstellungen aus DATEI lesen, die Listendateien aus ihrem Ordner.",
              u"Read the settings from FILE, the list files from its folder."},
    OptionRow{{QStringLiteral("no-settings")}, nullptr, nullptr,
              u"Keine Einstellungsdatei lesen: die eingebauten Vorgaben.",
              u"Read no settings file: the built-in defaults."},
    OptionRow{{QStringLiteral("h"), QStringLiteral("help")}, nullptr, nullptr,
              u"Diese Hilfe zeigen.", u"Show this help."},
    OptionRow{{QStringLiteral("version")}, nullptr, nullptr, u"Die Version zeigen.", u"Show the version."},
};
// clang-format on

// Qt's parser tells its complaints in English.
constexpr std::array kParserTexts{
    Rewording{u"Unknown option '{}'.", u"Unbekannte Option '{}'."},
    Rewording{u"Unknown options: {}.", u"Unbekannte Optionen: {}."},
    Rewording{u"Missing value after '{}'.", u"Es fehlt ein Wert nach '{}'."},
    Rewording{u"Unexpected value after '{}'.", u"Unerwarteter Wert nach '{}'."},
};

QString said(Language language, const char16_t* german, const char16_t* english)
{
    return util::words(language, QString::fromUtf16(german), QString::fromUtf16(english));
}

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

class Parser {
public:
    explicit Parser(Language language)
    {
        for (const OptionRow& row : kOptions) {
            QCommandLineOption option(row.names, said(language, row.german, row.english));
            if (row.valueEnglish != nullptr)
                option.setValueName(said(language, row.valueGerman, row.valueEnglish));
            parser_.addOption(option);
        }
    }

    bool parse(const QStringList& arguments)
    {
        return parser_.parse(QStringList{QStringLiteral("vardolin-batch")} + arguments);
    }
    QString errorText() const { return parser_.errorText(); }
    bool isSet(const char* name) const { return parser_.isSet(QString::fromLatin1(name)); }
    QString value(const char* name) const { return parser_.value(QString::fromLatin1(name)); }
    QStringList positional() const { return parser_.positionalArguments(); }
    const QCommandLineParser& qt() const { return parser_; }

    // A switch and its "no-" twin: on, off, or as the settings say.
    std::optional<bool> pair(const char* on, const char* off) const
    {
        if (isSet(on))
            return true;
        if (isSet(off))
            return false;
        return std::nullopt;
    }

private:
    QCommandLineParser parser_;
};

QString readValues(const Parser& p, CommandLine& line, Language language)
{
    if (p.isSet("size")) {
        const QString text = p.value("size");
        if (!isSizeText(text))
            return said(language, u"--size will B,H mit einer kurzen Seite H über 0, z. B. 800,600",
                        u"--size wants W,H with a short side H above 0, e.g. 800,600");
        line.size = text.simplified().remove(u' ');
    }
    if (p.isSet("quality") && !(line.quality = numberIn(p.value("quality"), 0, 11)))
        return said(language, u"--quality will eine Stufe von 0 bis 11", u"--quality wants a grade from 0 to 11");
    if (p.isSet("mode") && !(line.mode = numberIn(p.value("mode"), 1, 4)))
        return said(language, u"--mode will 1, 2, 3 oder 4", u"--mode wants 1, 2, 3 or 4");
    if (p.isSet("jobs")) {
        const auto jobs = numberIn(p.value("jobs"), 1, 1024);
        if (!jobs)
            return said(language, u"--jobs will eine Zahl von 1 bis 1024", u"--jobs wants a number from 1 to 1024");
        line.jobs = *jobs;
    }
    if (p.isSet("target")) {
        if (p.value("target").isEmpty())
            return said(language, u"--target will einen Ordner", u"--target wants a folder");
        line.target = p.value("target");
    }
    if (p.isSet("report")) {
        if (p.value("report").isEmpty())
            return said(language, u"--report will einen Dateinamen", u"--report wants a file name");
        line.report = p.value("report");
    }
    if (p.isSet("settings")) {
        if (p.value("settings").isEmpty())
            return said(language, u"--settings will einen Dateinamen", u"--settings wants a file name");
        line.settings = p.value("settings");
    }
    if (p.isSet("max-kb")) {
        bool ok = false;
        const qint64 kb = p.value("max-kb").trimmed().toLongLong(&ok);
        if (!ok || kb < 1 || kb > (qint64(1) << 40))
            return said(language, u"--max-kb will eine Größe in KiB über 0, z. B. 500",
                        u"--max-kb wants a size in KiB above 0, e.g. 500");
        line.maxKb = kb;
    }
    if (p.isSet("shard") && !(line.shard = shardIn(p.value("shard"))))
        return said(language, u"--shard will K/N mit 0 <= K < N, z. B. 2/8",
                    u"--shard wants K/N with 0 <= K < N, e.g. 2/8");
    if (p.isSet("fail-on")) {
        const QString level = p.value("fail-on").trimmed().toLower();
        if (level != QStringLiteral("none") && level != QStringLiteral("warning"))
            return said(language, u"--fail-on will none oder warning", u"--fail-on wants none or warning");
        line.failOnWarning = level == QStringLiteral("warning");
    }
    return readExtraOptions(p.qt(), line.extra, language);
}

// Options that say opposite things cannot both be meant.
QString contradiction(const Parser& p, Language language)
{
    static constexpr std::array<std::pair<const char*, const char*>, 5> kOpposites{{
        {"keep-date", "today"},
        {"overwrite", "no-overwrite"},
        {"subfolders", "no-subfolders"},
        {"structure", "no-structure"},
        {"settings", "no-settings"},
    }};
    for (const auto& [one, other] : kOpposites) {
        if (p.isSet(one) && p.isSet(other))
            return said(language, u"--%1 und --%2 schließen einander aus", u"--%1 and --%2 exclude each other")
                .arg(QString::fromLatin1(one), QString::fromLatin1(other));
    }
    return {};
}

// The text broken at blanks into lines that end before column 100, the
// lines after the first indented by indent.
QString wrapped(const QString& text, qsizetype indent)
{
    constexpr qsizetype kColumns = 99;
    QString result;
    qsizetype lineLength = indent;
    for (const QString& word : text.split(u' ')) {
        if (lineLength > indent && lineLength + 1 + word.size() > kColumns) {
            result += u'\n' + QString(indent, u' ');
            lineLength = indent;
        } else if (lineLength > indent) {
            result += u' ';
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

// "  --size <W,H>" and its text, the texts lined up in one column.
QString optionLines(Language language)
{
    QStringList heads;
    for (const OptionRow& row : kOptions) {
        QStringList names;
        for (const QString& name : row.names)
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString head = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (row.valueEnglish != nullptr)
            head += QStringLiteral(" <") + said(language, row.valueGerman, row.valueEnglish) + u'>';
        heads << head;
    }
    qsizetype width = 0;
    for (const QString& head : heads)
        width = std::max(width, head.size());
    QString text;
    for (std::size_t i = 0; i < kOptions.size(); ++i)
        text += heads[qsizetype(i)].leftJustified(width + 2)
                + wrapped(said(language, kOptions[i].german, kOptions[i].english), width + 2) + u'\n';
    return text;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments, Language language)
{
    Parser p(language);
    ParsedCommandLine result;
    if (!p.parse(arguments)) {
        static const RewordingTable parserTexts(kParserTexts);
        result.error = language == Language::German ? parserTexts.german(p.errorText()) : p.errorText();
        return result;
    }
    CommandLine& line = result.options;
    line.help = p.isSet("help");
    line.version = p.isSet("version");
    line.subfolders = p.pair("subfolders", "no-subfolders");
    line.overwrite = p.pair("overwrite", "no-overwrite");
    line.structure = p.pair("structure", "no-structure");
    if (p.isSet("keep-date"))
        line.dateiDatum = 1;
    if (p.isSet("today"))
        line.dateiDatum = 2;
    line.list = p.isSet("list");
    line.dryRun = p.isSet("dry-run");
    line.quiet = p.isSet("quiet");
    line.noSettings = p.isSet("no-settings");
    const QStringList positional = p.positional();
    if (positional.size() > 1) {
        result.error = said(language,
                            u"nur ein PFAD ist möglich (ein Muster in Anführungszeichen lässt die Shell es nicht "
                            u"ausbreiten: '/home/u/Fotos/*.jpg')",
                            u"only one PATH may be given (quote a pattern so that the shell leaves it alone: "
                            u"'/home/u/Fotos/*.jpg')");
        return result;
    }
    if (!positional.isEmpty())
        line.path = positional.front();
    result.error = contradiction(p, language);
    if (result.error.isEmpty())
        result.error = readValues(p, line, language);
    return result;
}

QString usageLine(Language language)
{
    return said(language, u"Aufruf: vardolin-batch [OPTION]... PFAD", u"Usage: vardolin-batch [OPTION]... PATH");
}

QString usageText(Language language)
{
    return usageLine(language) + u'\n'
           + said(language,
                  u"Macht verkleinerte Kopien der Bilder in einem Ordner. Die Einstellungen kommen aus Vardolin.ini\n"
                  u"im Arbeitsordner, sonst aus der des Fensters in $XDG_CONFIG_HOME/vardolin/; Optionen ändern\n"
                  u"einzelne Einstellungen nur für diesen Lauf.\n",
                  u"Makes reduced copies of the pictures in a folder. The settings come from Vardolin.ini in the\n"
                  u"working folder, else from the window's in $XDG_CONFIG_HOME/vardolin/; options change single\n"
                  u"settings for this run only.\n")
           + u'\n' + said(language, u"Optionen:\n", u"Options:\n") + optionLines(language) + u'\n'
           + said(language, u"Argument:\n  PFAD  Quellordner und Dateimuster, z. B. /home/u/Fotos/*.jpg",
                  u"Argument:\n  PATH  Source folder and file pattern, e.g. /home/u/Fotos/*.jpg");
}

void applyOptions(const CommandLine& options, Settings& settings)
{
    const auto switchText = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
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
        settings.CBZielVerzPlus = switchText(*options.structure);
    if (options.subfolders)
        settings.MitUnterordner = switchText(*options.subfolders);
    if (options.overwrite)
        settings.CBZielUeberschreiben = switchText(*options.overwrite);
    if (options.dateiDatum)
        settings.DateiDatum = util::decimalText(*options.dateiDatum);
    applyExtraOptions(options.extra, settings.Extra);
}

} // namespace vardolin::cli
