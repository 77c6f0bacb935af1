// The size and quality list files: the lines of an arbitrary file become list
// items, and each item goes through the size-item and quality readers the
// batch run uses.

#include "ScratchFile.h"
#include "batch/ChoiceLists.h"
#include "util/Files.h"

#include <QString>
#include <QStringList>

#include <cstdlib>

using namespace vardolin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchFile scratch(".txt");
    if (!scratch.write(data, size))
        return 0;
    const std::optional<QStringList> lines = util::readTextLines(QString::fromStdString(scratch.path().string()));
    if (!lines)
        std::abort();
    const QStringList items = batch::numberedItems(*lines);
    for (const QString& item : items) {
        const batch::ChosenSize chosen = batch::chosenSize(item);
        (void)chosen;
        (void)batch::qualityGrade(item);
    }
    // Also the raw text as a typed-in item, which need not carry a number.
    const QString raw = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)batch::chosenSize(raw);
    (void)batch::qualityGrade(raw);
    return 0;
}
