#pragma once
// Where both programs start looking for pictures: the stored source folder,
// else the working folder, and the path argument over both.

#include "frame/Settings.h"

#include <QString>

namespace vardolin::frame {

// A stored source folder that does not name an existing folder (the empty
// text included) is replaced by the working folder.
void checkSourceFolder(Settings& settings, const QString& workingFolder);

// A non-empty path gives the source folder (up to and including the last
// separator) and the include pattern (the rest). The folder is taken even
// when it does not exist; an empty path changes nothing.
void applyPathArgument(Settings& settings, const QString& path);

// Both, in the order of the start: the check first, so that a folder named by
// the path argument stands even when it is missing.
void takeStartFolder(Settings& settings, const QString& workingFolder, const QString& pathArgument);

} // namespace vardolin::frame
