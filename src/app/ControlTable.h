#pragma once
// The main window's controls, each described once: its number and name, its
// kind and option group, its place in the client area, the settings field it
// shows and sets, and its captions in German and English. The window is built
// from this table, SprachTexte fills the captions from it, the settings go in
// and out through it, and the ctl:: names are looked up in it, so adding or
// moving a control is one row here.

#include "frame/Settings.h"

#include <QRect>

#include <span>
#include <string_view>

namespace vardolin::app {

enum class ControlKind {
    Tree,          // a folder tree; its text is the selected folder's path
    List,          // a drop-down list to pick from
    Label,         // a caption
    Frame,         // a captioned frame, drawn behind the controls inside it
    Option,        // an option button of a group
    TextField,     // a text field
    PatternField,  // a text field whose every event scans the source anew
    ReadOnlyField, // a text field the program writes
    Button,        // a push button
    CheckBox,      // a check box
};

// Option buttons of one group exclude each other.
enum class OptionGroup { None, Ausgabe, Datum };

struct ControlSetting {
    QString Settings::*field = nullptr;    // the settings field the control shows and sets
    const char16_t* optionValue = nullptr; // Option: what it stores in the field when switched on
    int digits = 0;                        // List: the stored entry number's width, padded with "0"
};

struct ControlCaption {
    const char16_t* german = nullptr; // nullptr: the control shows no caption
    const char16_t* english = nullptr;
};

struct Control {
    int number = -1;
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    OptionGroup group = OptionGroup::None;
    QRect place; // position and size in pixels within the client area
    ControlSetting setting{};
    ControlCaption caption{};
};

namespace controltable {

using enum ControlKind;
using enum OptionGroup;

// clang-format off
inline constexpr Control rows[] = {
    // no  name                kind           group    x    y    w    h      settings field, option value, list digits
    //       German caption, English caption
    {0,  "Quellbaum",        Tree,          None,    {5,   15,  245, 505}, {&Settings::QuellVerz}},
    {1,  "Groesse",          List,          None,    {510, 50,  100, 20},  {&Settings::Bildgroesse, nullptr, 3}},
    {2,  "Qualitaet",        List,          None,    {510, 100, 140, 20},  {&Settings::Bildqualitaet, nullptr, 2}},
    {3,  "GroesseLabel",     Label,         None,    {510, 30,  100, 20},  {},
         {u"Grösse", u"Size"}},
    {4,  "QualitaetLabel",   Label,         None,    {510, 80,  140, 20},  {},
         {u"Qualität", u"Quality"}},
    {5,  "BildRahmen",       Frame,         None,    {500, 10,  155, 125}, {},
         {u"Bild", u"Picture"}},
    {6,  "AusgabeRahmen",    Frame,         None,    {255, 140, 545, 385}, {},
         {u"Ausgabe", u"Output"}},
    {7,  "Gleich_Prefix",    Option,        Ausgabe, {265, 160, 145, 20},  {&Settings::AusgabeOrdner, u"1"},
         {u"Gleicher Ordner Prefix", u"Same Folder Prefix"}},
    {8,  "Ausgewaehlt",      Option,        Ausgabe, {265, 235, 145, 20},  {&Settings::AusgabeOrdner, u"4"},
         {u"Ausgewählter Ordner", u"Select Folder"}},
    {9,  "Gleich_Suffix",    Option,        Ausgabe, {265, 185, 145, 20},  {&Settings::AusgabeOrdner, u"2"},
         {u"Gleicher Ordner Suffix", u"Same Folder Suffix"}},
    {10, "Unterordner",      Option,        Ausgabe, {265, 210, 145, 20},  {&Settings::AusgabeOrdner, u"3"},
         {u"Unterordner", u"Sub Folder"}},
    {11, "Zielbaum",         Tree,          None,    {415, 240, 380, 205}, {&Settings::ZielVerz}},
    {12, "ZielSubVerz",      TextField,     None,    {415, 210, 380, 20},  {&Settings::ZielSubVerz}},
    {13, "DateiPrefix",      TextField,     None,    {415, 160, 90,  20},  {&Settings::DateiPrefix}},
    {14, "DateiSuffix",      TextField,     None,    {415, 185, 90,  20},  {&Settings::DateiSuffix}},
    {15, "Start",            Button,        None,    {255, 530, 120, 20},  {},
         {u"Start", u"Start"}},
    {16, "DatumRahmen",      Frame,         None,    {660, 10,  140, 125}, {},
         {u"Dateidatum/ -zeit", u"Timestamp"}},
    {17, "Unveraendert",     Option,        Datum,   {670, 35,  105, 20},  {&Settings::DateiDatum, u"1"},
         {u"unverändert", u"unchanging"}},
    {18, "Heutiges",         Option,        Datum,   {670, 60,  105, 20},  {&Settings::DateiDatum, u"2"},
         {u"heutiges", u"today"}},
    {19, "Beenden",          Button,        None,    {655, 530, 140, 20},  {},
         {u"Programm beenden", u"Quit"}},
    {20, "MitUnterordner",   CheckBox,      None,    {260, 105, 230, 20},  {&Settings::MitUnterordner},
         {u"mit Unterordner", u"with Sub Folder"}},
    {21, "ImmerPrefixLabel", Label,         None,    {515, 160, 120, 20},  {},
         {u"Immer Prefix", u"Always Prefix"}},
    {22, "ImmerSuffixLabel", Label,         None,    {515, 185, 120, 20},  {},
         {u"Immer Suffix", u"Always Suffix"}},
    {23, "ImmerPrefix",      TextField,     None,    {640, 160, 80,  20},  {&Settings::ImmerPrefix}},
    {24, "ImmerSuffix",      TextField,     None,    {640, 185, 80,  20},  {&Settings::ImmerSuffix}},
    {25, "AuswahlRahmen",    Frame,         None,    {255, 10,  240, 125}, {},
         {u"Dateiauswahl (z.B. '*.jpg')", u"File select (Example '*.jpg')"}},
    {26, "BildDatei",        PatternField,  None,    {350, 30,  140, 20},  {&Settings::BildDatei}},
    {27, "GefundenLabel",    Label,         None,    {260, 80,  130, 20},  {},
         {u"Dateien gefunden", u"File find"}},
    {28, "Gefunden",         ReadOnlyField, None,    {405, 80,  85,  20}},
    // The overwrite box starts left of the date options, and their frame (16) reaches the window's edge: in
    // the small dialog font its caption needs all of that room.
    {29, "Ueberschreiben",   CheckBox,      None,    {665, 100, 132, 30},  {&Settings::CBZielUeberschreiben},
         {u"Datei überschreiben", u"File overwrite"}},
    {30, "ZielVerzPlus",     CheckBox,      None,    {265, 480, 530, 20},  {&Settings::CBZielVerzPlus},
         {u"Unterordner vom Quellverzeichnis übernehmen", u"Add Sub Folder from Source"}},
    {31, "NeueOrdner",       Button,        None,    {415, 450, 85,  20},  {},
         {u"Neue Ordner", u"New Folder"}},
    {32, "NeuerOrdnerName",  TextField,     None,    {505, 450, 290, 20}},
    {33, "Zielliste",        List,          None,    {280, 500, 515, 20}},
    {34, "BildDateiEx",      PatternField,  None,    {350, 55,  140, 20},  {&Settings::BildDateiEx}},
    {35, "BildDateiExLabel", Label,         None,    {260, 55,  85,  20},  {},
         {u"Exclude", u"Exclude"}},
    {36, "BildDateiLabel",   Label,         None,    {260, 30,  85,  20},  {},
         {u"Include", u"Include"}},
};
// clang-format on

} // namespace controltable

// Row n describes control n.
inline constexpr std::span<const Control> controlTable = controltable::rows;
inline constexpr int controlCount = int(controlTable.size());

// The number of the control of that name; a name no row has does not compile.
consteval int controlNumber(std::string_view name)
{
    for (const Control& row : controlTable)
        if (row.name == name)
            return row.number;
    throw "no control of that name";
}

// The controls the code addresses by name.
namespace ctl {
inline constexpr int Quellbaum = controlNumber("Quellbaum");
inline constexpr int Groesse = controlNumber("Groesse");
inline constexpr int Qualitaet = controlNumber("Qualitaet");
inline constexpr int Gleich_Prefix = controlNumber("Gleich_Prefix");
inline constexpr int Ausgewaehlt = controlNumber("Ausgewaehlt");
inline constexpr int Gleich_Suffix = controlNumber("Gleich_Suffix");
inline constexpr int Unterordner = controlNumber("Unterordner");
inline constexpr int Zielbaum = controlNumber("Zielbaum");
inline constexpr int ZielSubVerz = controlNumber("ZielSubVerz");
inline constexpr int DateiPrefix = controlNumber("DateiPrefix");
inline constexpr int DateiSuffix = controlNumber("DateiSuffix");
inline constexpr int Start = controlNumber("Start");
inline constexpr int Unveraendert = controlNumber("Unveraendert");
inline constexpr int Heutiges = controlNumber("Heutiges");
inline constexpr int Beenden = controlNumber("Beenden");
inline constexpr int MitUnterordner = controlNumber("MitUnterordner");
inline constexpr int ImmerPrefix = controlNumber("ImmerPrefix");
inline constexpr int ImmerSuffix = controlNumber("ImmerSuffix");
inline constexpr int BildDatei = controlNumber("BildDatei");
inline constexpr int Gefunden = controlNumber("Gefunden");
inline constexpr int Ueberschreiben = controlNumber("Ueberschreiben");
inline constexpr int ZielVerzPlus = controlNumber("ZielVerzPlus");
inline constexpr int NeueOrdner = controlNumber("NeueOrdner");
inline constexpr int NeuerOrdnerName = controlNumber("NeuerOrdnerName");
inline constexpr int Zielliste = controlNumber("Zielliste");
inline constexpr int BildDateiEx = controlNumber("BildDateiEx");
} // namespace ctl

namespace controltable {

// Controls are found by their number, and ctl:: names by their name.
consteval bool numberedInRowOrderWithUniqueNames()
{
    for (int number = 0; number < controlCount; ++number) {
        if (controlTable[number].number != number || controlTable[number].name.empty())
            return false;
        for (int other = 0; other < number; ++other)
            if (controlTable[other].name == controlTable[number].name)
                return false;
    }
    return true;
}

// A row fills the columns its kind uses and no others: a captioned kind has
// both captions, an option has a group, a field and a value, a list that is
// stored has a width.
constexpr bool columnsFitKind(const Control& row)
{
    const ControlSetting& setting = row.setting;
    const bool captioned = row.caption.german && row.caption.english;
    const bool uncaptioned = !row.caption.german && !row.caption.english;
    const bool noGroup = row.group == None;
    const bool plainField = !setting.optionValue && setting.digits == 0;
    switch (row.kind) {
    case Label:
    case Frame:
    case Button: return captioned && noGroup && !setting.field && plainField;
    case Option: return captioned && !noGroup && setting.field && setting.optionValue && setting.digits == 0;
    case CheckBox: return captioned && noGroup && plainField;
    case List: return uncaptioned && noGroup && !setting.optionValue && (setting.field ? setting.digits > 0 : true);
    case PatternField: return uncaptioned && noGroup && setting.field && plainField;
    case ReadOnlyField: return uncaptioned && noGroup && !setting.field && plainField;
    case Tree:
    case TextField: return uncaptioned && noGroup && plainField;
    }
    return false;
}

// Switching an option on replaces its group's value: all options of a group
// store into one field.
consteval bool optionGroupsShareTheirField()
{
    for (const Control& row : controlTable)
        for (const Control& other : controlTable)
            if (row.group != None && row.group == other.group && row.setting.field != other.setting.field)
                return false;
    return true;
}

consteval bool everyRowFitsItsKind()
{
    for (const Control& row : controlTable)
        if (!columnsFitKind(row))
            return false;
    return true;
}

static_assert(numberedInRowOrderWithUniqueNames());
static_assert(everyRowFitsItsKind());
static_assert(optionGroupsShareTheirField());

} // namespace controltable

} // namespace vardolin::app
