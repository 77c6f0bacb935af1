#pragma once
// The size list and the quality list: both come from editable text files in
// the working folder, written with their defaults when missing.

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::batch {

class BatchHost;

inline constexpr char16_t sizeListFile[] = u"Vardolin_size.txt";
inline constexpr char16_t qualityListFile[] = u"Vardolin_quali.txt";

QStringList defaultSizeLines();
QStringList defaultQualityLines();

struct ListFill {
    // 1: filled from the file (or it could be neither read nor written, and
    // the user was told); -1: the file was missing and has just been written
    // with the defaults, so the list is still empty: call again to load it.
    int result = 1;
    QStringList items; // "n-line" for each non-empty line, n from 1
};

// folder is the working folder, ending in a separator (or empty for the
// process's current folder). A failure to read and to write shows
// "Datei:<name> konnte nicht geöffnet werden !" through host.
ListFill FuelleComboGroesse(const QString& folder, BatchHost& host);
ListFill FuelleComboQualitaet(const QString& folder, BatchHost& host);

// Calls the filler a second time when the first call wrote the defaults,
// as the window does at start.
ListFill fillListLoadingDefaults(ListFill (*filler)(const QString&, BatchHost&), const QString& folder,
                                 BatchHost& host);

// The items of the list file at path for a reader that writes nothing: the
// file's lines, or the defaults when there is no such file. Nothing when the
// file exists but cannot be read.
std::optional<QStringList> listItems(const QString& path, const QStringList& defaults);

// The item texts for a list's lines: non-empty lines numbered from 1.
QStringList numberedItems(const QStringList& lines);

// The default file's exact content: each line followed by CR LF, then one
// more CR LF.
QString defaultFileText(const QStringList& lines);

struct ChosenSize {
    qint64 width = 0;  // W: the number before the first ","
    qint64 height = 0; // H: the short side of the copies
    friend bool operator==(const ChosenSize&, const ChosenSize&) = default;
};

// Reads W and H from a size item's displayed text such as "5-800,600": the
// text between the first and second "-", cut at ",", each number read by the
// integer-value rule. An empty text gives 0, 0.
ChosenSize chosenSize(const QString& sizeItemText);

// The quality grade handed to the JPEG encoder: the number in Bildqualitaet.
int qualityGrade(const QString& bildqualitaet);

} // namespace vardolin::batch
