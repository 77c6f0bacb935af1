#pragma once
// Names on the disk and the program's texts.
//
// On Linux and macOS a file name is a string of bytes. Most are UTF-8, but old
// archives, zip extractions and network shares hold names that are not (for
// example Latin-1 "\xE4" for "ä"). Qt's own file classes decode such a byte to
// U+FFFD, after which the text no longer leads to its file. The conversions
// here are lossless instead: valid UTF-8 decodes as usual, and each byte that
// is not part of a valid sequence becomes the lone surrogate U+DC00 + byte
// (U+DC80 to U+DCFF), which encoding turns back into that byte. A name read
// from the disk therefore always reaches its file again, and every rule on
// texts (splitting, naming, sorting) works on it unchanged.
//
// Every name that comes from or goes to the disk passes through these
// functions, never through QFile::encodeName/decodeName or a Qt file class
// given such a text. On Windows names are UTF-16, as QString is, and pass
// unchanged.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace vardolin::util {

// The text of a name read from the disk.
QString textFromFileName(const QByteArray& bytes);

// The bytes of a name as the disk holds it. textFromFileName gives back the
// same text for every name it made.
QByteArray fileNameFromText(const QString& text);

// The same pair for the standard library's paths (and the picture engine's).
std::filesystem::path toFsPath(const QString& text);
QString fromFsPath(const std::filesystem::path& path);

// The process's arguments after the program's name, decoded like names read
// from the disk. Call after Q(Core)Application took its own options out of
// argc and argv.
QStringList commandLineArguments(int argc, char** argv);

// The working folder, decoded like names read from the disk, with native
// separators and without a trailing one (except for the root).
QString workingFolder();

} // namespace vardolin::util
