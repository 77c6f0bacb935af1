#pragma once
// The user's choices, each a text as stored in the settings file. Numbers and
// switches are decimal texts read with the integer-value rule where used.
// Owned by the program entry and passed by reference; no global.

#include <QString>

namespace vardolin {

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
};

} // namespace vardolin
