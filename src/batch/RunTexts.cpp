#include "batch/RunTexts.h"

namespace vardolin::batch {
namespace {

QString joined(const QStringList& warnings)
{
    return warnings.join(QStringLiteral("; "));
}

} // namespace

QString damagedLogLine(const QString& source, const QStringList& warnings, util::Language language)
{
    return util::words(language, QStringLiteral("Bild unvollständig: "), QStringLiteral("Picture damaged: ")) + source
           + QStringLiteral(" : ") + joined(warnings);
}

QString damagedReason(const QStringList& warnings, util::Language language)
{
    return util::words(language, QStringLiteral("unvollständig: "), QStringLiteral("damaged: ")) + joined(warnings);
}

QString notStartedStatus(util::Language language)
{
    return util::words(language, QStringLiteral("Nicht gestartet: Unterverzeichnis konnte nicht angelegt werden !"),
                       QStringLiteral("Not started: the subfolder could not be made"));
}

} // namespace vardolin::batch
