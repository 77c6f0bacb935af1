#include "batch/Conversion.h"

#include "batch/FsPath.h"
#include "batch/TempFiles.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

namespace fs = std::filesystem;

namespace vardolin::batch {
namespace {

std::int32_t longSideFor(qint64 shortSide, std::int32_t longSide, std::int32_t otherSide)
{
    const float ratio = float(double(longSide) / double(otherSide));
    const double side = std::nearbyint(double(shortSide) * double(ratio)); // ties to even
    if (!std::isfinite(side) || side > double(std::numeric_limits<std::int32_t>::max()) || side < 0)
        return 0;
    return std::int32_t(side);
}

CopyResult failed(const QString& file, const QString& reason)
{
    return {CopyOutcome::Failed, reason, file};
}

} // namespace

bool isSameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return fs::equivalent(toFsPath(a), toFsPath(b), error) && !error;
}

namespace {

// Writes the scaled picture under a temporary name beside finalFile, dates
// it and renames it into place. Returns an empty text on success.
QString writeInPlace(const picture::Picture& picture, const QString& source, const QString& finalFile,
                     const OutputFormat& output, const CopyOptions& options)
{
    const QString temporary = temporaryNameIn(util::pathPart(finalFile));
    const int grade = output.usesQuality ? options.quality : 7;
    const auto saved = picture::savePicture(picture, toFsPath(temporary), output.format, grade, -1);
    std::error_code error;
    if (!saved) {
        fs::remove(toFsPath(temporary), error);
        return QStringLiteral("konnte nicht geschrieben werden: ") + QString::fromStdString(saved.error());
    }
    if (options.dateiDatum == 1)
        util::setModificationTime(temporary, util::modificationTime(source)); // a failed set is ignored
    fs::rename(toFsPath(temporary), toFsPath(finalFile), error);
    if (error) {
        std::error_code ignored;
        fs::remove(toFsPath(temporary), ignored);
        return QStringLiteral("konnte nicht an seinen Platz umbenannt werden: ")
               + QString::fromStdString(error.message());
    }
    return {};
}

} // namespace

picture::Size newSizeFor(picture::Size full, qint64 shortSide)
{
    if (full.width <= 0 || full.height <= 0)
        return {};
    const std::int32_t side = std::int32_t(std::clamp<qint64>(shortSide, 0, std::numeric_limits<std::int32_t>::max()));
    if (full.width > full.height)
        return {longSideFor(side, full.width, full.height), side};
    return {side, longSideFor(side, full.height, full.width)};
}

OutputFormat outputFormatFor(const QString& upperExtension)
{
    if (upperExtension == QLatin1String("JPG"))
        return {picture::Format::Jpeg, true};
    if (upperExtension == QLatin1String("BMP"))
        return {picture::Format::Bmp, false};
    if (upperExtension == QLatin1String("PNG"))
        return {picture::Format::Png, false};
    return {};
}

QString fileToWrite(const QString& targetName, const QString& sourcePath)
{
    return util::pathPart(targetName) + util::baseName(util::filePart(targetName)) + QStringLiteral(".")
           + util::upperCase(util::extensionPart(sourcePath));
}

CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide, qint64 width,
                                   const CopyOptions& options)
{
    (void)width;
    const QString extension = util::upperCase(util::extensionPart(source));
    const QString file = fileToWrite(targetName, source);
    const OutputFormat output = outputFormatFor(extension);
    if (output.format == picture::Format::None)
        return {CopyOutcome::SkippedFormat,
                QStringLiteral("für die Endung \"") + extension + QStringLiteral("\" wird keine Kopie geschrieben"),
                file};
    if (isSameFile(source, file))
        return failed(file, QStringLiteral("die Kopie würde ihre eigene Quelle überschreiben"));
    if (!options.overwrite && util::sizeTest(file) > 0)
        return {CopyOutcome::SkippedExisting, QStringLiteral("die Kopie existiert bereits"), file};

    picture::LoadOptions load;
    load.limits = options.limits;
    load.targetSizeFor = [shortSide](picture::Size full) { return newSizeFor(full, shortSide); };
    auto loaded = picture::loadPicture(toFsPath(source), load);
    if (!loaded)
        return failed(file, QStringLiteral("konnte nicht geladen werden: ") + QString::fromStdString(loaded.error()));
    picture::Picture& picture = *loaded;

    picture::Size full = picture.fullSize;
    if (full.width <= 0 || full.height <= 0)
        full = {picture.width, picture.height};
    const picture::Size size = newSizeFor(full, shortSide);
    const auto scaled =
        picture::scalePicture(picture, size.width, size.height, picture::ScaleMode::Smooth, options.limits);
    if (!scaled)
        return failed(file,
                      QStringLiteral("konnte nicht auf %1 x %2 skaliert werden: ").arg(size.width).arg(size.height)
                          + QString::fromStdString(scaled.error()));

    const QString problem = writeInPlace(picture, source, file, output, options);
    if (!problem.isEmpty())
        return failed(file, problem);
    return {CopyOutcome::Written, {}, file};
}

} // namespace vardolin::batch
