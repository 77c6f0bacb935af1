#pragma once
// Where vardolin-batch takes its settings from, on purpose: the file named by
// --settings, none with --no-settings, else the file the window would use
// (frame/SettingsFolder.h), else the built-in defaults. The list files are
// read beside the settings file and never written; a missing one is the
// built-in list. A file named by --settings must be readable; the one the
// window would use reads as the defaults when it cannot be read, as it does
// for the window, and the first line of the output says so.

#include "cli/CommandLine.h"
#include "frame/Environment.h"
#include "frame/Settings.h"
#include "util/Language.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::cli {

struct ChosenSettings {
    Settings settings;  // defaults overlaid by the file's values
    QString file;       // the settings file read; empty: the built-in defaults
    QString unreadable; // the window's settings file, there but unreadable: the defaults stand in
    QString listFolder; // where the list files are looked for; empty: the built-in lists
    QString problem;    // not empty: the file named by --settings cannot be read, so the run cannot start
};

ChosenSettings chooseSettings(const CommandLine& options, const QString& workingFolder,
                              const frame::Environment& environment, util::Language language);

// "Settings: <file>", or that the built-in defaults are used and why.
QString settingsLine(const ChosenSettings& chosen, util::Language language);

// The size list's path, and its items: the file's, the built-in ones when
// there is no file; nothing when it is there but cannot be read.
QString sizeListPath(const ChosenSettings& chosen);
std::optional<QStringList> sizeListItems(const ChosenSettings& chosen);

} // namespace vardolin::cli
