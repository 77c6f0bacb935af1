#pragma once
// Splitting file names into folder, name and extension. Both "\" and "/" count
// as separators everywhere; built paths use the platform's own.

#include <QChar>
#include <QString>

namespace vardolin::util {

// The platform separator: '/' on Linux and macOS, '\' on Windows.
QChar separator();

// True for both "\" and "/".
bool isSeparator(QChar c);

// From the start (a leading double quote skipped) up to and including the last
// separator; separators after the first "|" are not looked at. Empty when there
// is no separator.
QString pathPart(const QString& path);

// The text after the last separator (a leading double quote of the whole text
// skipped), up to the first double quote after it or the end.
QString filePart(const QString& path);

// The file part cut before its last "."; nothing is cut when a blank comes
// before any "." (searching from the end), or when that "." is the file part's
// first or last character.
QString baseName(const QString& path);

// The text after the last "." of the path, up to a following double quote.
// Empty when a blank or a separator is met before a "." (searching from the
// end), when the "." is the first character, or when a separator stands right
// before it.
QString extensionPart(const QString& path);

// The path without separators at its end; blanks stay, since a folder whose
// name ends in one is a different folder.
QString withoutTrailingSeparators(const QString& path);

// Names read from the disk are taken whole: whatever a folder or file name
// holds ("|" and double quotes are legal on Linux) stays part of the name.
// These split such a path, and paths built from one (target names). The rules
// above, where a "|" ends the path part and double quotes are dropped, belong
// to the command line and the pattern fields only.

// Up to and including the last separator; empty when there is none.
QString folderOf(const QString& path);

// The text after the last separator.
QString nameOf(const QString& path);

// nameOf cut before its last "." by the base name rule above.
QString baseNameOf(const QString& path);

// The text after the last "." by the extension rule above, double quotes
// included.
QString extensionOf(const QString& path);

// The path followed by the platform separator unless it already ends in one;
// an empty path stays empty.
QString withTrailingSeparator(const QString& path);

} // namespace vardolin::util
