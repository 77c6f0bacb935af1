#include "app/SettingsControls.h"

#include "app/FolderTree.h"
#include "app/MainWindow.h"
#include "util/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

using enum ControlKind;

// clang-format off
constexpr SettingsControl table[] = {
    {ctl::Quellbaum,      Tree,         &Settings::QuellVerz},
    {ctl::Zielbaum,       Tree,         &Settings::ZielVerz},
    {ctl::Groesse,        List,         &Settings::Bildgroesse,          nullptr, 3},
    {ctl::Qualitaet,      List,         &Settings::Bildqualitaet,        nullptr, 2},
    {ctl::ZielSubVerz,    TextField,    &Settings::ZielSubVerz},
    {ctl::DateiPrefix,    TextField,    &Settings::DateiPrefix},
    {ctl::DateiSuffix,    TextField,    &Settings::DateiSuffix},
    {ctl::ImmerPrefix,    TextField,    &Settings::ImmerPrefix},
    {ctl::ImmerSuffix,    TextField,    &Settings::ImmerSuffix},
    {ctl::BildDatei,      PatternField, &Settings::BildDatei},
    {ctl::BildDateiEx,    PatternField, &Settings::BildDateiEx},
    {ctl::Gleich_Prefix,  Option,       &Settings::AusgabeOrdner,        u"1"},
    {ctl::Gleich_Suffix,  Option,       &Settings::AusgabeOrdner,        u"2"},
    {ctl::Unterordner,    Option,       &Settings::AusgabeOrdner,        u"3"},
    {ctl::Ausgewaehlt,    Option,       &Settings::AusgabeOrdner,        u"4"},
    {ctl::Unveraendert,   Option,       &Settings::DateiDatum,           u"1"},
    {ctl::Heutiges,       Option,       &Settings::DateiDatum,           u"2"},
    {ctl::MitUnterordner, CheckBox,     &Settings::MitUnterordner},
    {ctl::Ueberschreiben, CheckBox,     &Settings::CBZielUeberschreiben},
    {ctl::ZielVerzPlus,   CheckBox,     &Settings::CBZielVerzPlus},
};
// clang-format on

} // namespace

std::span<const SettingsControl> settingsControls()
{
    return table;
}

const SettingsControl* settingsControl(int control)
{
    const auto row = std::ranges::find(table, control, &SettingsControl::control);
    return row == std::end(table) ? nullptr : row;
}

QString controlValue(const MainWindow& window, const SettingsControl& row)
{
    switch (row.kind) {
    case Tree: return window.controlAs<FolderTree>(row.control)->text();
    case List: {
        const int index = window.controlAs<QComboBox>(row.control)->currentIndex();
        return util::padLeft(QString::number(index + 1), row.digits, u'0');
    }
    case TextField:
    case PatternField: return window.controlAs<QLineEdit>(row.control)->text();
    case Option: return QString::fromUtf16(row.optionValue);
    case CheckBox: return window.controlAs<QCheckBox>(row.control)->isChecked() ? u"1"_s : u"0"_s;
    }
    return {};
}

void showSetting(MainWindow& window, const SettingsControl& row, const Settings& settings)
{
    const QString& value = settings.*row.field;
    switch (row.kind) {
    case Tree: window.controlAs<FolderTree>(row.control)->setText(value); break;
    case List: {
        auto* list = window.controlAs<QComboBox>(row.control);
        const qint64 index = util::integerValue(value) - 1;
        list->setCurrentIndex(index >= 0 && index < list->count() ? int(index) : -1);
        break;
    }
    case TextField:
    case PatternField: window.controlAs<QLineEdit>(row.control)->setText(value); break;
    case Option:
        if (value == QStringView(row.optionValue))
            window.controlAs<QRadioButton>(row.control)->setChecked(true);
        break;
    case CheckBox: window.controlAs<QCheckBox>(row.control)->setChecked(util::integerValue(value) != 0); break;
    }
}

} // namespace vardolin::app
