#pragma once
// One reduced copy: load the source, scale it so that its shorter side gets
// the chosen length, write it in the format its extension names under the
// target name with that extension in upper case, and give it the source's
// modification time when asked.

#include "picture/Picture.h"

#include <QString>

namespace vardolin::batch {

// The new size for a picture of full size w x h whose shorter side becomes S:
// the ratio long/short is computed in double and stored as a float, the
// product S x ratio is formed in double and rounded to the nearest integer,
// ties to even. 4000x3000 with 600 gives 800x600, 1920x1080 gives 1067x600.
// A zero or negative side, or a result beyond 32 bits, gives 0x0.
picture::Size newSizeFor(picture::Size full, qint64 shortSide);

// What the upper-cased source extension asks to be written.
struct OutputFormat {
    picture::Format format = picture::Format::None; // None: nothing is written
    bool usesQuality = false;                       // JPEG: the grade; others: 7
};
OutputFormat outputFormatFor(const QString& upperExtension);

// The file the copy is written to: folder part of the target name + its base
// name + "." + the source's extension in upper case.
QString fileToWrite(const QString& targetName, const QString& sourcePath);

struct CopyOptions {
    bool overwrite = false; // CBZielUeberschreiben reads as non-zero
    int dateiDatum = 1;     // 1 keep the source's modification time, 2 today's
    int quality = 3;        // the grade handed to the JPEG encoder
    // Sources and copies over these limits are not loaded or made.
    picture::Limits limits;
};

enum class CopyOutcome {
    Written,         // the copy is in place
    SkippedExisting, // a non-empty copy exists and overwriting is off
    SkippedFormat,   // the extension names no format that is written
    Failed,          // nothing was written; reason says why
};

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Failed;
    QString reason;      // for Failed and the skips, in plain words
    QString writtenFile; // the file name to write
};

// True when both names lead to one file (links and letter case included).
bool isSameFile(const QString& a, const QString& b);

// Makes the reduced copy of source under targetName with short side S.
// width is the first number of the size entry, which plays no part in the
// result. The source is never written over: a copy that would land on its
// own source fails. The copy is written to a temporary file in the target
// folder and renamed into place only when complete. A picture that cannot be
// loaded or scaled fails; nothing is written at full size in its place.
CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide, qint64 width,
                                   const CopyOptions& options);

} // namespace vardolin::batch
