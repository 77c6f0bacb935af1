#pragma once
// Size test, folder creation, file times and small text-file helpers. Every
// path may hold a name read from the disk that is not UTF-8 (FileNames.h).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::util {

// -1 for a path that does not exist (also for the empty text), -2 for a folder,
// otherwise the file's size in bytes. Trailing separators are ignored, so a
// folder given with one is still a folder and a file with one still a file.
// A drive such as "C:" or "C:\" is looked at only on Windows.
qint64 sizeTest(const QString& path);

// The size test's "is a folder": the path names an existing folder, a trailing
// separator or not.
bool isFolder(const QString& path);

// Creates one folder after removing separators at the end of the path.
// Blanks at the end stay: the folder made is the folder later written to.
// 1 when the folder was created, 0 otherwise (also when it exists).
int createFolder(const QString& path);

// The file's last-write time in whole seconds since the epoch (an instant,
// not a local time, so a time in the hour that repeats when clocks go back
// keeps its offset); 0 when the file cannot be looked at.
qint64 modificationTime(const QString& path);

// Sets the file's last-write time to an instant of modificationTime's scale;
// the access time stays. False on failure.
bool setModificationTime(const QString& path, qint64 instant);

// The lines of a UTF-8 text file: a byte-order mark is dropped, lines may end in
// CR LF or LF, and a line end at the end of the file gives no extra empty line.
// Nothing when the file cannot be opened.
std::optional<QStringList> readTextLines(const QString& path);

// Writes the text as UTF-8 without byte-order mark. The file is created when
// missing; an existing file is not shortened, writing starts at its beginning.
bool writeTextFile(const QString& path, const QString& text);

enum class NewFile {
    Written,      // this call made the file
    AlreadyThere, // a file of that name existed or appeared meanwhile; it is left as it is
    Failed,       // no file could be made
};

// Makes a file that does not exist yet, whole or not at all: the bytes go to
// a temporary file beside it, which is then linked into place only while no
// file of that name exists. Several programs making one file at once each
// find either nothing or a complete file there. On a file system without
// links the file is created exclusively and written in place.
NewFile writeNewFileWhole(const QString& path, const QByteArray& bytes);

// Replaces the whole file with the bytes: they go to a temporary file beside it
// that is renamed into place once complete, so a failure never leaves a partial
// file behind. Only where the folder refuses the temporary file for want of
// permission is an existing, writable file written in place instead.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace vardolin::util
