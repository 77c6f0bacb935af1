#include "batch/ChoiceLists.h"

#include "batch/BatchHost.h"
#include "util/Files.h"
#include "util/Text.h"

#include <algorithm>
#include <climits>

namespace vardolin::batch {
namespace {

// A missing file is made whole, so that a program starting beside this one
// never reads it half written; one that exists but cannot be read is written
// over in place, as far as it lets itself be.
bool writeDefaults(const QString& path, const QStringList& defaults)
{
    const QString text = defaultFileText(defaults);
    if (util::sizeTest(path) == -1)
        return util::writeNewFileWhole(path, text.toUtf8()) != util::NewFile::Failed;
    return util::writeTextFile(path, text);
}

ListFill fillList(const QString& folder, const QString& fileName, const QStringList& defaults, BatchHost& host)
{
    const QString path = folder + fileName;
    if (const auto lines = util::readTextLines(path))
        return {1, numberedItems(*lines)};
    if (writeDefaults(path, defaults))
        return {-1, {}};
    host.showMessage(QStringLiteral("Datei:") + fileName + QStringLiteral(" konnte nicht geöffnet werden !"));
    return {1, {}};
}

} // namespace

QStringList defaultSizeLines()
{
    return {QStringLiteral("400,300"),  QStringLiteral("500,375"),  QStringLiteral("640,480"),
            QStringLiteral("768,1024"), QStringLiteral("800,600"),  QStringLiteral("1024,768"),
            QStringLiteral("1152,864"), QStringLiteral("1280,720"), QStringLiteral("1280,768"),
            QStringLiteral("1280,1024")};
}

QStringList defaultQualityLines()
{
    return {QStringLiteral("schlechteste Qualität"),  QStringLiteral("schlechte Qualität"),
            QStringLiteral("niedrige Qualität"),      QStringLiteral("ausreichende Qualität"),
            QStringLiteral("mittlere Qualität"),      QStringLiteral("befriedigende Qualität"),
            QStringLiteral("standard Qualität"),      QStringLiteral("gut Qualität"),
            QStringLiteral("hervorragende Qualität"), QStringLiteral("sehr gute Qualität"),
            QStringLiteral("beste Qualität")};
}

QStringList numberedItems(const QStringList& lines)
{
    QStringList items;
    for (const QString& line : lines) {
        if (!line.isEmpty())
            items.append(util::decimalText(items.size() + 1) + QStringLiteral("-") + line);
    }
    return items;
}

QString defaultFileText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text + QStringLiteral("\r\n");
}

ListFill FuelleComboGroesse(const QString& folder, BatchHost& host)
{
    return fillList(folder, QString::fromUtf16(sizeListFile), defaultSizeLines(), host);
}

ListFill FuelleComboQualitaet(const QString& folder, BatchHost& host)
{
    return fillList(folder, QString::fromUtf16(qualityListFile), defaultQualityLines(), host);
}

std::optional<QStringList> listItems(const QString& path, const QStringList& defaults)
{
    if (const auto lines = util::readTextLines(path))
        return numberedItems(*lines);
    if (util::sizeTest(path) == -1)
        return numberedItems(defaults);
    return std::nullopt;
}

ListFill fillListLoadingDefaults(ListFill (*filler)(const QString&, BatchHost&), const QString& folder, BatchHost& host)
{
    ListFill fill = filler(folder, host);
    if (fill.result == -1)
        fill = filler(folder, host);
    return fill;
}

ChosenSize chosenSize(const QString& sizeItemText)
{
    const QString sizeText = util::field(sizeItemText, 2, QStringLiteral("-"));
    return {util::integerValue(util::field(sizeText, 1, QStringLiteral(","))),
            util::integerValue(util::field(sizeText, 2, QStringLiteral(",")))};
}

int qualityGrade(const QString& bildqualitaet)
{
    return int(std::clamp<qint64>(util::integerValue(bildqualitaet), INT_MIN, INT_MAX));
}

} // namespace vardolin::batch
