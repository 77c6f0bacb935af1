#pragma once
// Which listed files are sources. Wherever copies land where a later listing
// finds them (modes 2 and 3 beside the sources, a target folder inside the
// source tree, the pattern "*"), the next run lists the copies of the last
// one; taken as sources they would get copies of their own, run after run.
// So a listed file that is the copy another listed file makes under the
// run's own naming is no source: not in the count, the list, the dry run,
// the run or any shard.

#include "batch/TargetNames.h"

#include <QString>
#include <QStringList>

namespace vardolin::batch {

// The file a source's copy is written to under choice: the target name's
// folder and base name with the extension of the format it is written in.
QString copyFileOf(const QString& source, const TargetChoice& choice);

// The listed files that are sources, in list order: every file but those that
// another listed file names as its copy. Files are compared as the disk knows
// them (a target folder reached through a link meets the source folder). A
// file whose copy would land on itself stays, so that the run reports it.
QStringList withoutCopiesOfListed(const QStringList& listed, const TargetChoice& choice);

} // namespace vardolin::batch
