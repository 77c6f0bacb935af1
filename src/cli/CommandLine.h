#pragma once
// The options of vardolin-batch and how they change the settings of one run.
// Nothing here writes the settings file. PATH follows the program's own rule
// for its argument (frame/StartFolder.h).

#include "batch/Shards.h"
#include "cli/ExtraOptions.h"
#include "frame/Settings.h"
#include "util/Language.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::cli {

struct CommandLine {
    QString path;                  // PATH, required for a run
    std::optional<QString> size;   // "W,H" from --size
    std::optional<int> quality;    // --quality N
    std::optional<int> mode;       // --mode 1-4
    std::optional<QString> target; // --target DIR
    // The switches a settings file can turn on, each turned on or off here
    // (--subfolders / --no-subfolders ...); unset: as the settings say.
    std::optional<bool> subfolders;
    std::optional<bool> overwrite;
    std::optional<bool> structure;     // mode 4 keeps the source's folders
    std::optional<int> dateiDatum;     // --keep-date 1, --today 2
    int jobs = 0;                      // --jobs N; 0: one per core
    bool list = false;                 // --list: scan only and print the files
    bool dryRun = false;               // --dry-run: say what would be written, write nothing
    std::optional<QString> report;     // --report FILE: one JSON line per file
    bool quiet = false;                // --quiet: only failures
    std::optional<qint64> maxKb;       // --max-kb N: lossy copies of at most N KiB
    std::optional<batch::Shard> shard; // --shard K/N
    bool failOnWarning = false;        // --fail-on warning: a damaged picture fails with no copy
    std::optional<QString> settings;   // --settings FILE
    bool noSettings = false;           // --no-settings: the built-in defaults
    bool help = false;
    bool version = false;
    ExtraOptions extra; // the Extra menu's choices
};

struct ParsedCommandLine {
    CommandLine options;
    QString error; // not empty: bad usage, say this and where the help is
};

// arguments without the program's own name; the error in the language.
ParsedCommandLine parseCommandLine(const QStringList& arguments, util::Language language = util::Language::English);

// The whole help: usage, what the command does, every option.
QString usageText(util::Language language = util::Language::English);

// The one line said when PATH is missing.
QString usageLine(util::Language language);

// Puts the options that override single settings into settings. A target
// folder gets a trailing separator and, without --mode, selects mode 4;
// --structure ticks CBZielVerzPlus, --no-structure clears it; the Extra
// menu's choices go into settings.Extra.
void applyOptions(const CommandLine& options, Settings& settings);

} // namespace vardolin::cli
