#pragma once
// Where each copy goes and what it is called: the target name rule of the
// four output modes, the items of the target list, the creation of target
// folders and the "new folder" button's logic. The rules are pure functions
// over texts; only zVerzAnlegen and AnlegenNeuerOrdner touch the disk.
// Where a path is built, the platform separator is written; every reader
// accepts both "/" and "\".

#include "batch/CopyChoices.h"
#include "frame/Settings.h"

#include <QString>
#include <QStringList>

namespace vardolin::batch {

class BatchHost;

// The texts the target name rule reads, fixed when a run starts.
struct TargetChoice {
    int mode = 1;                // 1 prefix, 2 suffix, 3 subfolder, 4 chosen folder
    QString dateiPrefix;         // mode 1
    QString dateiSuffix;         // mode 2
    QString zielSubVerz;         // mode 3
    QString immerPrefix;         // modes 3 and 4
    QString immerSuffix;         // modes 3 and 4
    QString zielVerz;            // mode 4, ends in a separator
    bool carryStructure = false; // mode 4: CBZielVerzPlus
    QString sourceFolder;        // path part of QuellVerz
    QString targetListItem;      // the target list's displayed text
    // The format the copies are written in, which gives their extension.
    CopyFormat copyFormat = CopyFormat::Keep;
};

// The source folder: QuellVerz up to and including its last separator. It is
// a folder read from the disk (the source tree's text, or the path argument's
// folder) and is taken whole, a "|" or double quote in it included.
QString sourceFolderOf(const Settings& settings);

// An output mode outside 1..4 (only an edited settings file can hold one)
// is taken as mode 1, so every file still gets a name beside its source.
TargetChoice targetChoiceFrom(const Settings& settings, const QString& targetListText);

struct TargetName {
    QString name;           // the target name T; the conversion replaces its extension
    QString folderToCreate; // mode 4 with structure: create with zVerzAnlegen first
};

// The target name T of one source file.
TargetName zielName(const QString& sourcePath, const TargetChoice& choice);

// The target list's items for a source folder: the empty item, then the
// trailing parts of the folder, shortest first, each beginning and ending
// with a separator. /home/u/Fotos/ gives "", /Fotos/, /u/Fotos/, /home/u/Fotos/.
QStringList FuellenComboZielVerz(const QString& folder);

// Creates every missing folder of path; a last part without a trailing
// separator is a file name and is not created. Failures are ignored.
// On Windows the path starts with its drive; elsewhere an absolute path is
// built from the root "/", a relative one from the working folder.
void zVerzAnlegen(const QString& path);

// True when path is a folder, or zVerzAnlegen could make it: no part of it is
// a file and the deepest folder of it that exists may be written in. Only
// looks, so a dry run can foretell what the run will find.
bool folderCanBeMade(const QString& path);

// The "new folder" button: creates targetFolderText + name (one level).
// An empty name or a failure is told to the user through host. Returns true
// when the folder was made, so that the window can show it and empty the
// name field.
bool AnlegenNeuerOrdner(const QString& targetFolderText, const QString& name, BatchHost& host);

} // namespace vardolin::batch
