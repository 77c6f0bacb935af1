#pragma once
// What became of one listed file, as the batch run hands it to its host.

#include "batch/Conversion.h"

#include <QString>

namespace vardolin::batch {

struct FileRecord {
    QString source;
    qint64 bytesBefore = -1; // the source file's size
    CopyResult result;       // a skipped copy that exists carries its size
    bool dryRun = false;     // the outcome is the one a run would have; nothing was written
};

} // namespace vardolin::batch
