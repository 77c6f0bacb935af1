#pragma once
// Which settings field each control of the main window shows and sets. The
// one table drives the settings into the controls at start, each control's
// event into its field and the connection of its signal; Start, New folder,
// Quit and the scans are the event table's own.

#include "frame/Settings.h"

#include <QString>

#include <span>

namespace vardolin::app {

class MainWindow;

enum class ControlKind {
    Tree,         // the selected folder's path; an event when another folder is chosen
    List,         // the chosen entry's number from 1, padded with "0"; an event when one is chosen
    TextField,    // the text; an event at every change
    PatternField, // the text; events when typed in, on Return, when entered and when left
    Option,       // stores its value; an event when switched on
    CheckBox,     // "1" ticked, "0" cleared; an event when toggled
};

struct SettingsControl {
    int control;
    ControlKind kind;
    QString Settings::*field;
    const char16_t* optionValue = nullptr; // Option: what it stores in the field
    int digits = 0;                        // List: the stored number's width
};

// Every control with a settings field, in the order the start puts the
// settings in.
std::span<const SettingsControl> settingsControls();

// The control's row, or nullptr for a control without a settings field.
const SettingsControl* settingsControl(int control);

// The control's value as its field stores it.
QString controlValue(const MainWindow& window, const SettingsControl& row);

// Shows the field's value in the control: a list selects entry number value
// (none when out of range), an option is switched on when the value is its
// own (else left alone), a check box is ticked when the value reads as
// non-zero.
void showSetting(MainWindow& window, const SettingsControl& row, const Settings& settings);

} // namespace vardolin::app
