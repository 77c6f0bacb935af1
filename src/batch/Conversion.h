#pragma once
// One reduced copy: load the source, scale it so that its shorter side gets
// the chosen length, write it in the format the format table gives its
// extension (a HEIC as JPEG, a JPG as JPEG) under the target name with that
// format's extension in upper case, and give it the source's modification
// time when asked.

#include "batch/CopyChoices.h"
#include "batch/Decoders.h"
#include "picture/Picture.h"
#include "util/Language.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::batch {

// The new size for a picture of full size w x h whose shorter side becomes S
// (picture::reducedSize: 4000x3000 with 600 gives 800x600, 1920x1080 gives
// 1067x600; a zero or negative side, or a result beyond 32 bits, gives 0x0).
picture::Size newSizeFor(picture::Size full, qint64 shortSide);

// What a source is written as, found by its extension in upper case.
struct OutputFormat {
    picture::Format format = picture::Format::None; // None: nothing is written
    QString extension;                              // of the file written, upper case
    bool usesQualityGrade = false;                  // the others are handed 7, which they do not use
    picture::QualityScale scale = picture::QualityScale::Own;
};
// A source whose extension has no row in the format table is not written;
// its copy's name still carries the source's extension in upper case. Any
// other source is written as the format table says or, when a format is
// chosen, in that format, with its extension, at the grade that looks like
// the JPEG copy's.
OutputFormat outputFormatFor(const QString& sourcePath, CopyFormat chosen = CopyFormat::Keep);

// The file the copy is written to: folder part of the target name + its base
// name + "." + the extension of the format it is written in.
QString fileToWrite(const QString& targetName, const QString& sourcePath, CopyFormat chosen = CopyFormat::Keep);

// How a reason of the picture engine (its own English words, or a library's)
// is told in a language; the window's run log takes it as it is.
using EngineWording = QString (*)(const QString& reason, util::Language language);

struct CopyOptions {
    bool overwrite = false; // CBZielUeberschreiben reads as non-zero
    int dateiDatum = 1;     // 1 keep the source's modification time, 2 today's
    int quality = 3;        // the grade handed to the JPEG encoder
    // Above 0: a copy in a format with quality grades that is larger than
    // this many bytes is written again at the highest lower grade that fits.
    qint64 maxBytes = 0;
    // Sources and copies over these limits are not loaded or made.
    picture::Limits limits;
    // The run's decode processes (made with these limits); null: one is
    // started for this copy alone.
    Decoders* decoders = nullptr;
    // A picture whose file is damaged (its codec library warned) fails with
    // no copy instead of being copied from what the file still holds.
    bool failOnWarning = false;
    // The language of the reasons; null engineWording: the engine's reasons
    // (and a library's warnings) as it gives them.
    util::Language language = util::Language::German;
    EngineWording engineWording = nullptr;
    // The format, metadata and coding the Extra menu chose.
    CopyChoices choices;
};

// An engine's reason in the options' language.
QString engineReason(const std::string& reason, const CopyOptions& options);
// Each of a library's warnings in the options' language.
QStringList engineReasons(const QStringList& reasons, const CopyOptions& options);

enum class CopyOutcome {
    Written,         // the copy is in place
    SkippedExisting, // a non-empty copy exists and overwriting is off
    SkippedFormat,   // the extension names no format that is written
    Failed,          // nothing was written; reason says why
};

// What was done to a copy's colours, as the picture's notes tell it.
struct ColourOutcome {
    enum class Done {
        None,      // the source said nothing about its colours, or they were sRGB's
        Converted, // brought to sRGB from what `from` names, by `intent`
        Ignored,   // what the source said could not be used: `reason`
    };
    Done done = Done::None;
    QString from;   // Converted: a profile's own name (empty if it has none), code points or PNG chunks
    QString intent; // Converted: "perceptual" or "relative colorimetric"
    // Why a profile (or chunk, or code points) was not used; also beside
    // Converted when a lesser one was used in its place.
    QString reason;
};

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Failed;
    QString reason;      // for Failed and the skips, in plain words of the options' language
    QString writtenFile; // the file name to write
    // What was done to the colours; a reason goes to the run log.
    ColourOutcome colour = {};
    // The codec library's warnings when the file is damaged, as the library
    // gives them (the report keeps them so in every language): the copy, if
    // made, holds only what the file still held.
    QStringList warnings = {};
    // Set when the source's Exif was asked for but could not go into the
    // copy, which was made without it: why, for the run log.
    QString metadataNote = {};
    // What the copy became; kept at these values when it was not made.
    picture::Size before{};  // the source picture's full size
    picture::Size after{};   // the copy's size
    qint64 bytesAfter = -1;  // the copy's size in bytes
    int grade = -1;          // the quality grade it was written at (formats with grades)
    int quality = -1;        // the encoder's quality for that grade
    bool overBudget = false; // above CopyOptions::maxBytes even at grade 0
    qint64 milliseconds = 0; // time spent on it
};

// The encoder quality a grade gives in a copy's format; -1 for formats
// without one.
int encoderQualityFor(const OutputFormat& output, int grade);

// True when both names lead to one file (links and letter case included).
bool isSameFile(const QString& a, const QString& b);

// The two tests before a copy of source is made under file: a copy that
// would land on its own source fails, and with overwriting off an existing
// non-empty existingName is kept. Nothing when the copy may go ahead. The
// batch run asks with existingName the target name T, the conversion with
// the file it writes.
std::optional<CopyResult> copyRefused(const QString& source, const QString& file, const QString& existingName,
                                      bool overwrite, util::Language language);

// The skip for a copy that is already there.
CopyResult copyExists(const QString& file, util::Language language);

// Every test the conversion makes before it loads the source: the extension
// names a format that is written, then copyRefused on the file it writes.
// Nothing when the copy is to be made.
std::optional<CopyResult> conversionRefused(const QString& source, const QString& file, bool overwrite,
                                            util::Language language, CopyFormat chosen = CopyFormat::Keep);

// Makes the reduced copy of source under targetName with short side S (the
// second number of the size entry; the first plays no part). The source is
// never written over: a copy that would land on its own source fails. The
// picture is loaded, scaled and brought to sRGB from the colours its file
// declares in a decode process (Decoders.h); a picture that cannot be
// loaded or scaled, or whose decoder ends, fails, and nothing is written at
// full size in its place. The copy is encoded here, written to a temporary
// file in the target folder and renamed into place only when complete.
// With options.maxBytes, a lossy copy above it is made at a lower grade.
// The warnings of a damaged file come back with the result; with
// options.failOnWarning such a file fails and nothing is written.
// options.choices may write it in another format, with its source's Exif
// cleaned for sharing, or as an optimised JPEG.
CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide,
                                   const CopyOptions& options);

} // namespace vardolin::batch
