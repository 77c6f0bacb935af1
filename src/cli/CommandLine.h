#pragma once
// The options of vardolin-batch and how they change the settings of one run.
// Nothing here writes the settings file. PATH follows the program's own rule
// for its argument (frame/StartFolder.h).

#include "batch/Shards.h"
#include "frame/Settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::cli {

struct CommandLine {
    QString path;                      // the optional PATH argument
    std::optional<QString> size;       // "W,H" from --size
    std::optional<int> quality;        // --quality N
    std::optional<int> mode;           // --mode 1-4
    std::optional<QString> target;     // --target DIR
    bool subfolders = false;           // --subfolders
    bool overwrite = false;            // --overwrite
    std::optional<int> dateiDatum;     // --keep-date 1, --today 2
    int jobs = 0;                      // --jobs N; 0: one per core
    bool list = false;                 // --list: scan only and print the files
    bool structure = false;            // --structure: mode 4 keeps the source's folders
    bool dryRun = false;               // --dry-run: say what would be written, write nothing
    std::optional<QString> report;     // --report FILE: one JSON line per file
    bool quiet = false;                // --quiet: only failures
    std::optional<qint64> maxKb;       // --max-kb N: lossy copies of at most N KiB
    std::optional<batch::Shard> shard; // --shard K/N
    bool failOnWarning = false;        // --fail-on warning: a damaged picture fails with no copy
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CommandLine options;
    QString error; // not empty: bad usage, say this and where the help is
};

// arguments without the program's own name.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

QString usageText();

// Puts the options that override single settings into settings. A target
// folder gets a trailing separator and, without --mode, selects mode 4;
// --structure ticks CBZielVerzPlus.
void applyOptions(const CommandLine& options, Settings& settings);

} // namespace vardolin::cli
