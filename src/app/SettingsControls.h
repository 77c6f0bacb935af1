#pragma once
// How a control of the main window shows and sets the settings field its row
// of the control table names. The table drives the settings into the
// controls at start, each control's event into its field and the connection
// of its signal; Start, New folder, Quit and the scans are the event table's
// own.
//
// What each kind stores, and when its event comes:
//   Tree          the selected folder's path; when another folder is chosen
//   List          the chosen entry's number from 1, padded with "0"; when one is chosen
//   TextField     the text; at every change
//   PatternField  the text; when typed in, on Return, when entered and when left
//   Option        its option value; when switched on
//   CheckBox      "1" ticked, "0" cleared; when toggled

#include "app/ControlTable.h"

#include <QString>

#include <ranges>

namespace vardolin::app {

class MainWindow;

constexpr bool hasSetting(const Control& row)
{
    return row.setting.field != nullptr;
}

// Every control with a settings field, in number order.
inline auto settingsControls()
{
    return controlTable | std::views::filter(hasSetting);
}

// The control's row, or nullptr for a control without a settings field.
const Control* settingsControl(int control);

// The control's value as its field stores it.
QString controlValue(const MainWindow& window, const Control& row);

// Shows the field's value in the control: a list selects entry number value
// (none when out of range), an option is switched on when the value is its
// own (else left alone), a check box is ticked when the value reads as
// non-zero.
void showSetting(MainWindow& window, const Control& row, const Settings& settings);

} // namespace vardolin::app
