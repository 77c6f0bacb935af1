#pragma once
// Writing a scaled picture as the copy: encoded into a temporary file beside
// the copy's name, dated, renamed into place. With a size budget, a copy in a
// format with quality grades that comes out larger is made again at the
// highest lower grade that fits (GradeBudget.h).

#include "batch/Conversion.h"
#include "picture/Picture.h"

#include <QString>

namespace vardolin::batch {

struct WrittenCopy {
    QString problem;         // empty when the copy is in place
    int grade = -1;          // the grade it was written at; -1 for formats without grades
    bool overBudget = false; // still above the budget at grade 0
    qint64 bytes = -1;       // its size
};

// metadata: what the load made ready for the copy, embedded as it is.
WrittenCopy writeCopy(const picture::Picture& picture, const picture::Metadata& metadata, const QString& source,
                      const QString& finalFile, const OutputFormat& output, const CopyOptions& options);

} // namespace vardolin::batch
