#include "batch/CopyChoices.h"

#include "picture/Formats.h"
#include "util/Text.h"

#include <algorithm>
#include <array>

namespace vardolin::batch {
namespace {

struct CopyFormatRow {
    CopyFormat choice;
    const char16_t* word;
    picture::Format format;
    const char16_t* extension;
};

constexpr std::array<CopyFormatRow, 4> kRows{{
    {CopyFormat::Keep, u"keep", picture::Format::None, u""},
    {CopyFormat::Jpeg, u"jpeg", picture::Format::Jpeg, u"JPG"},
    {CopyFormat::Webp, u"webp", picture::Format::Webp, u"WEBP"},
    {CopyFormat::Avif, u"avif", picture::Format::Avif, u"AVIF"},
}};

const CopyFormatRow& rowOf(CopyFormat format)
{
    return *std::find_if(kRows.begin(), kRows.end(), [&](const CopyFormatRow& row) { return row.choice == format; });
}

bool isOn(const QString& value)
{
    return util::integerValue(value) != 0;
}

} // namespace

QString copyFormatWord(CopyFormat format)
{
    return QString::fromUtf16(rowOf(format).word);
}

std::optional<CopyFormat> copyFormatNamed(const QString& word)
{
    for (const CopyFormatRow& row : kRows)
        if (word.trimmed().compare(QString::fromUtf16(row.word), Qt::CaseInsensitive) == 0)
            return row.choice;
    return std::nullopt;
}

QStringList copyFormatWords()
{
    QStringList words;
    for (const CopyFormatRow& row : kRows)
        words << QString::fromUtf16(row.word);
    return words;
}

picture::Format pictureFormatOf(CopyFormat format)
{
    return rowOf(format).format;
}

QString extensionOf(CopyFormat format)
{
    return QString::fromUtf16(rowOf(format).extension);
}

bool canWriteCopies(CopyFormat format)
{
    return format == CopyFormat::Keep || picture::canWrite(pictureFormatOf(format));
}

CopyChoices copyChoicesFrom(const ExtraSettings& extra)
{
    CopyChoices choices;
    choices.format = copyFormatNamed(extra.Kopieformat).value_or(CopyFormat::Keep);
    if (isOn(extra.MetadatenBehalten))
        choices.metadata =
            isOn(extra.OrtBehalten) ? picture::KeepMetadata::WithLocation : picture::KeepMetadata::WithoutLocation;
    choices.optimizeJpeg = isOn(extra.JpegOptimieren);
    return choices;
}

} // namespace vardolin::batch
