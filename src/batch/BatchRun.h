#pragma once
// The "Start" button's batch run: list the source files, name every copy,
// convert the files in parallel and report progress through the host.

#include "batch/Conversion.h"
#include "batch/Decoders.h"
#include "batch/Shards.h"
#include "frame/Settings.h"
#include "util/Language.h"

#include <QString>

#include <optional>

namespace vardolin::batch {

class BatchHost;

struct RunOptions {
    int jobs = 0; // worker threads converting files; 0 or less: one per core
    // Decide every file's outcome as a run would, but write nothing: no
    // copy, no folder, no temporary removed.
    bool dryRun = false;
    // Only this shard's files (Shards.h).
    std::optional<Shard> shard;
    // Above 0: lossy copies larger than this are made at a lower grade.
    qint64 maxBytes = 0;
    // Sources and copies over these are not loaded or made.
    picture::Limits limits;
    // The decode processes: which program, and how long a picture may take.
    DecoderSettings decoding;
    // A damaged picture fails with no copy, instead of being copied from
    // what its file still holds and named as damaged.
    bool failOnWarning = false;
    // The language of the status texts, messages and log lines; the window
    // keeps the German ones in either of its languages. engineWording says
    // the picture engine's reasons and the libraries' warnings in it (null:
    // as the engine gives them).
    util::Language language = util::Language::German;
    EngineWording engineWording = nullptr;
};

struct RunReport {
    qint64 count = 0;   // the sources listed (of this shard), as the scan counts them
    qint64 reached = 0; // n: entries started, each written, skipped or failed
    qint64 written = 0;
    qint64 skipped = 0;           // a copy existed, or the extension names no format
    qint64 failed = 0;            // each one logged through the host with its reason
    qint64 damaged = 0;           // copied from a damaged file, each logged with the library's warnings
    bool subfolderFailed = false; // mode 3: the subfolder could not be made (or, dry, could not be)
    bool stopped = false;         // the host asked to stop before the end
};

// Runs the batch over the settings as they are when it starts, on the files
// the scan counts (SourceScan.h): the exclude pattern and marker file apply,
// and a listed file that is the copy another listed file makes is no source,
// so a second run converts only what is missing. The host gets the status
// texts "Dateiliste wird erstellt, bitte warten ...", "Kopiere n von count
// Datei:<path>" and finally "n Dateien kopiert !" (or their English forms);
// each failed file gets one run-log line naming it and why, as does each file
// whose colour profile was ignored or whose Exif could not be kept, each
// file copied from a damaged picture (with the library's warnings), and a
// source whose copy another source of the same run (IMG.HEIC beside IMG.JPG)
// already wrote or overwrote; every
// file that is done is handed to the host's fileDone. After a stop request no
// new file starts, on any number of workers; the ones in progress are
// finished, and n counts the entries started. Parallel workers give the
// copies and outcomes of one worker: an entry waits while one in progress
// writes a file it reads or writes. Call it off the window thread: it returns
// when the run is over. settings is read while the run lasts and must not
// change until it returns (the window disables its controls during a run).
RunReport BilderVerarbeiten(const Settings& settings, BatchHost& host, const RunOptions& options = {});

// The run-log line for a file that could not be converted.
QString failureLogLine(const QString& source, const QString& reason, util::Language language = util::Language::German);
// The run-log line for a file copied as if it had no colour profile, since
// its profile could not be used.
QString colourNoteLogLine(const QString& source, const QString& reason,
                          util::Language language = util::Language::German);
// The run-log line for a file copied without the Exif it was asked to keep,
// since its block could not be read.
QString metadataNoteLogLine(const QString& source, const QString& reason,
                            util::Language language = util::Language::German);

} // namespace vardolin::batch
