#pragma once
// Where the program's own files (run log, debug folder) go: beside the
// executable only for a build run from its own folder (the build tree, a
// portable copy) that can write there; an installed program always uses the
// per-user state folder, whoever runs it, so that nothing lands in a system
// folder such as /usr/bin.

#include "frame/Environment.h"

#include <QString>
#include <QStringList>

namespace vardolin::frame {

// The folders the build installs its programs into (the install prefix's bin
// folder and the package's), compiled in.
QStringList installedProgramFolders();

// True when exeFolder is one of installedFolders, or ends with one of them:
// a package unpacked below another root (usr/bin of a scratch root or a
// container image) is still an installed program.
bool isInstalledProgramFolder(const QString& exeFolder, const QStringList& installedFolders);

// exeFolder when it is an existing, writable folder and no installed program
// folder; otherwise the per-user state folder, made when missing.
// Separator-terminated; empty when no folder can be had.
QString logBaseFolder(const QString& exeFolder, const Environment& environment,
                      const QStringList& installedFolders = installedProgramFolders());

} // namespace vardolin::frame
