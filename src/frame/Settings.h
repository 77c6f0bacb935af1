#pragma once
// The user's choices, each a text as stored in the settings file. Numbers and
// switches are decimal texts read with the integer-value rule where used.
// Owned by the program entry and passed by reference; no global.

#include <QString>

namespace vardolin {

// The Extra menu's choices for the copies, kept in a group of their own
// ("Extra") so the keys of "Standard" stay as they are.
struct ExtraSettings {
    QString MetadatenBehalten = QStringLiteral("0"); // "1": copies keep the source's Exif, without GPS
    QString OrtBehalten = QStringLiteral("0");       // "1": and with GPS
    QString Kopieformat = QStringLiteral("keep");    // keep (by the source's extension), jpeg, webp, avif
    QString JpegOptimieren = QStringLiteral("0");    // "1": JPEG copies with optimised, progressive coding
    friend bool operator==(const ExtraSettings&, const ExtraSettings&) = default;
};

struct Settings {
    QString IniFile; // full path of the settings file; not a key
    QString Editor = QStringLiteral("C:\\Programme\\med\\med.exe");
    QString QuellVerz; // source folder tree's text
    QString Bildgroesse = QStringLiteral("001");
    QString Bildqualitaet = QStringLiteral("03");
    QString AusgabeOrdner = QStringLiteral("1");
    QString ZielVerz;
    QString ZielSubVerz = QStringLiteral("komp");
    QString DateiPrefix = QStringLiteral("!k_");
    QString DateiSuffix = QStringLiteral("_k!");
    QString DateiDatum = QStringLiteral("1");
    QString Sprache = QStringLiteral("D");
    QString BildDatei = QStringLiteral("*.jpg");
    QString BildDateiEx = QStringLiteral("*NoPic*.jpg");
    QString ImmerSuffix = QStringLiteral("_k!");
    QString ImmerPrefix = QStringLiteral("!k_");
    QString CBZielUeberschreiben;                 // empty reads as 0
    QString CBZielVerzPlus;                       // empty reads as 0
    QString ZielVerzPlus;                         // stored and written back only
    QString MitUnterordner = QStringLiteral("0"); // not a key
    ExtraSettings Extra;
};

} // namespace vardolin
