#include "frame/IniDatei.h"

#include "frame/MessageBox.h"
#include "util/IniFile.h"
#include "util/Text.h"

#include <algorithm>
#include <array>

namespace vardolin::frame {

namespace {

const QString kGroup = QStringLiteral("Standard");
const QString kExtraGroup = QStringLiteral("Extra");

struct KeyField {
    const char* key;
    QString Settings::*field;
};

// The keys in file order, each with the record field it stores.
constexpr std::array<KeyField, 18> kKeyFields{{
    {"Editor", &Settings::Editor},
    {"QuellVerz", &Settings::QuellVerz},
    {"Bildgroesse", &Settings::Bildgroesse},
    {"Bildqualitaet", &Settings::Bildqualitaet},
    {"AusgabeOrdner", &Settings::AusgabeOrdner},
    {"ZielVerz", &Settings::ZielVerz},
    {"ZielSubVerz", &Settings::ZielSubVerz},
    {"DateiPrefix", &Settings::DateiPrefix},
    {"DateiSuffix", &Settings::DateiSuffix},
    {"DateiDatum", &Settings::DateiDatum},
    {"Sprache", &Settings::Sprache},
    {"BildDatei", &Settings::BildDatei},
    {"BildDateiEx", &Settings::BildDateiEx},
    {"ImmerSuffix", &Settings::ImmerSuffix},
    {"ImmerPrefix", &Settings::ImmerPrefix},
    {"CBZielUeberschreiben", &Settings::CBZielUeberschreiben},
    {"CBZielVerzPlus", &Settings::CBZielVerzPlus},
    {"ZielVerzPlus", &Settings::ZielVerzPlus},
}};

struct ExtraKeyField {
    const char* key;
    QString ExtraSettings::*field;
};

// The Extra menu's keys, in their own group.
constexpr std::array<ExtraKeyField, 4> kExtraKeyFields{{
    {"MetadatenBehalten", &ExtraSettings::MetadatenBehalten},
    {"OrtBehalten", &ExtraSettings::OrtBehalten},
    {"Kopieformat", &ExtraSettings::Kopieformat},
    {"JpegOptimieren", &ExtraSettings::JpegOptimieren},
}};

// Every field back to its default except the three switches without one,
// which keep what they hold.
void setDefaults(Settings& settings)
{
    Settings defaults;
    defaults.IniFile = settings.IniFile;
    defaults.CBZielUeberschreiben = settings.CBZielUeberschreiben;
    defaults.CBZielVerzPlus = settings.CBZielVerzPlus;
    defaults.ZielVerzPlus = settings.ZielVerzPlus;
    defaults.MitUnterordner = QStringLiteral("0");
    settings = defaults;
}

void readSettings(Settings& settings)
{
    setDefaults(settings);
    const util::IniFile ini = util::IniFile::read(settings.IniFile).value_or(util::IniFile());
    for (const KeyField& entry : kKeyFields) {
        QString& field = settings.*entry.field;
        field = ini.value(kGroup, QString::fromLatin1(entry.key), field);
    }
    for (const ExtraKeyField& entry : kExtraKeyFields) {
        QString& field = settings.Extra.*entry.field;
        field = ini.value(kExtraGroup, QString::fromLatin1(entry.key), field);
    }
}

// The group is written once a choice differs from its default, and from
// then on: a file in which nothing was ever chosen stays as it always was,
// and a choice taken back is stored as taken back.
void writeExtraSettings(const ExtraSettings& extra, util::IniFile& ini)
{
    const bool stored = std::any_of(kExtraKeyFields.begin(), kExtraKeyFields.end(), [&](const ExtraKeyField& entry) {
        return ini.contains(kExtraGroup, QString::fromLatin1(entry.key));
    });
    if (!stored && extra == ExtraSettings{})
        return;
    for (const ExtraKeyField& entry : kExtraKeyFields)
        ini.setValue(kExtraGroup, QString::fromLatin1(entry.key), extra.*entry.field);
}

void writeSettings(const Settings& settings)
{
    // Starting from the file as it is keeps groups and keys we do not know.
    // A value holding a line break (a folder name may) cannot be stored; the
    // file keeps what it held for that key, so the next start falls back to
    // the choice stored before.
    util::IniFile ini = util::IniFile::read(settings.IniFile).value_or(util::IniFile());
    for (const KeyField& entry : kKeyFields) {
        ini.setValue(kGroup, QString::fromLatin1(entry.key), settings.*entry.field);
    }
    writeExtraSettings(settings.Extra, ini);
    if (!ini.write(settings.IniFile)) {
        yInfoBox(kAnwendung, QStringLiteral("Ini-Datei konnte nicht erstellt werden !\r\n\r\n") + settings.IniFile, 0);
    }
}

} // namespace

const QStringList& settingsKeys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const KeyField& entry : kKeyFields) {
            list << QString::fromLatin1(entry.key);
        }
        return list;
    }();
    return keys;
}

QString settingsFileName()
{
    return util::field(kAnwendung, 1, QStringLiteral(" ")) + QStringLiteral(".ini");
}

QString settingsFilePath(const FrameContext& context)
{
    return context.uAktVerz + settingsFileName();
}

void readSettingsFile(Settings& settings, const QString& path)
{
    settings.IniFile = path;
    readSettings(settings);
}

void IniDatei(Settings& settings, const FrameContext& context, const QString& mode)
{
    settings.IniFile = settingsFilePath(context);
    if (mode == QStringLiteral("#READ")) {
        readSettings(settings);
    } else if (mode == QStringLiteral("#WRITE")) {
        writeSettings(settings);
    } else {
        yInfoBox(kAnwendung,
                 QStringLiteral("IniDatei: Fehler = Select Default-Zweig erreicht !(") + mode + QStringLiteral(")"), 0);
    }
}

} // namespace vardolin::frame
