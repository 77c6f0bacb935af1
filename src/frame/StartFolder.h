#pragma once
// Where both programs start looking for pictures: the stored source folder,
// else the working folder, and the path argument over both.

#include "frame/Environment.h"
#include "frame/FrameContext.h"
#include "frame/Settings.h"

#include <QString>

namespace vardolin::frame {

// A stored source folder that does not name an existing folder (the empty
// text included) is replaced by the working folder.
void checkSourceFolder(Settings& settings, const QString& workingFolder);

// A non-empty path gives the source folder and the include pattern. Folders
// on the disk are recognised before the path is split, since their names may
// hold a "|" or double quote that the splitting rules would cut at:
// - a path that names an existing folder is the source folder, with or
//   without a trailing separator, and the pattern is empty (every file);
// - else, when the path up to and including its last separator names an
//   existing folder, that is the source folder and the rest the pattern;
// - else the path is split by the command-line rules (the folder part ends
//   before the first "|", a leading double quote is dropped) and the folder
//   is taken even though it does not exist.
// An empty path changes nothing.
void applyPathArgument(Settings& settings, const QString& path);

// Where a stored source folder that is gone falls back to: the working
// folder (uAktVerz), unless that is the per-user configuration folder, which
// holds no pictures: then the user's pictures folder (UserFolders.h).
QString sourceFallbackFolder(const FrameContext& context, const Environment& environment);

// Both, in the order of the start: the check first, so that a folder named by
// the path argument stands even when it is missing.
void takeStartFolder(Settings& settings, const QString& workingFolder, const QString& pathArgument);

} // namespace vardolin::frame
