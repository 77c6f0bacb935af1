#include "batch/RunTexts.h"

namespace vardolin::batch {
namespace {

struct Text {
    const char16_t* german;
    const char16_t* english;
};

QString in(Language language, Text text)
{
    return QString::fromUtf16(language == Language::English ? text.english : text.german);
}

constexpr Text damagedLine{u"Bild unvollständig: ", u"Picture damaged: "};
constexpr Text damaged{u"unvollständig: ", u"damaged: "};
constexpr Text notStarted{u"Nicht gestartet: Unterverzeichnis konnte nicht angelegt werden !",
                          u"Not started: the subfolder could not be made !"};

QString joined(const QStringList& warnings)
{
    return warnings.join(QStringLiteral("; "));
}

} // namespace

QString damagedLogLine(const QString& source, const QStringList& warnings, Language language)
{
    return in(language, damagedLine) + source + QStringLiteral(" : ") + joined(warnings);
}

QString damagedReason(const QStringList& warnings, Language language)
{
    return in(language, damaged) + joined(warnings);
}

QString notStartedStatus(Language language)
{
    return in(language, notStarted);
}

} // namespace vardolin::batch
