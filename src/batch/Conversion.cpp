#include "batch/Conversion.h"

#include "batch/TempFiles.h"
#include "picture/ColourConversion.h"
#include "util/FileNames.h"
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

struct OutputRule {
    const char16_t* sourceExtension; // upper case
    picture::Format format;
    const char16_t* extensionWritten;
    bool usesQualityGrade;
};

// What each source extension is written as. A new source format that is
// written in one of these formats is one more row.
// clang-format off
constexpr OutputRule kOutputRules[] = {
    // source  format written         written as  quality grade
    {u"JPG",   picture::Format::Jpeg, u"JPG",     true},
    {u"BMP",   picture::Format::Bmp,  u"BMP",     false},
    {u"PNG",   picture::Format::Png,  u"PNG",     false},
};
// clang-format on

// Handed to the encoders that take no quality grade.
constexpr int kUnusedGrade = 7;

// One per worker thread: the transforms stay built for the next picture with
// the same profile, and no thread waits for another.
picture::ColourCache& workerColourCache()
{
    thread_local picture::ColourCache cache;
    return cache;
}

} // namespace

bool isSameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return fs::equivalent(util::toFsPath(a), util::toFsPath(b), error) && !error;
}

std::optional<CopyResult> copyRefused(const QString& source, const QString& file, const QString& existingName,
                                      bool overwrite)
{
    if (isSameFile(source, file))
        return failed(file, QStringLiteral("die Kopie würde ihre eigene Quelle überschreiben"));
    if (!overwrite && util::sizeTest(existingName) > 0)
        return CopyResult{CopyOutcome::SkippedExisting, QStringLiteral("die Kopie existiert bereits"), file};
    return std::nullopt;
}

namespace {

// Writes the scaled picture under a temporary name beside finalFile, dates
// it and renames it into place. Returns an empty text on success.
QString writeInPlace(const picture::Picture& picture, const QString& source, const QString& finalFile,
                     const OutputFormat& output, const CopyOptions& options)
{
    const QString temporary = temporaryNameIn(util::folderOf(finalFile));
    const int grade = output.usesQualityGrade ? options.quality : kUnusedGrade;
    const auto saved = picture::savePicture(picture, util::toFsPath(temporary), output.format, grade, -1);
    std::error_code error;
    if (!saved) {
        fs::remove(util::toFsPath(temporary), error);
        return QStringLiteral("konnte nicht geschrieben werden: ") + QString::fromStdString(saved.error());
    }
    if (options.dateiDatum == 1)
        util::setModificationTime(temporary, util::modificationTime(source)); // a failed set is ignored
    fs::rename(util::toFsPath(temporary), util::toFsPath(finalFile), error);
    if (error) {
        std::error_code ignored;
        fs::remove(util::toFsPath(temporary), ignored);
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

OutputFormat outputFormatFor(const QString& sourcePath)
{
    const QString extension = util::upperCase(util::extensionOf(sourcePath));
    for (const OutputRule& rule : kOutputRules) {
        if (extension == QStringView(rule.sourceExtension))
            return {rule.format, QString::fromUtf16(rule.extensionWritten), rule.usesQualityGrade};
    }
    return {picture::Format::None, extension, false};
}

QString fileToWrite(const QString& targetName, const QString& sourcePath)
{
    return util::folderOf(targetName) + util::baseNameOf(targetName) + QStringLiteral(".")
           + outputFormatFor(sourcePath).extension;
}

CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide, qint64 width,
                                   const CopyOptions& options)
{
    (void)width;
    const OutputFormat output = outputFormatFor(source);
    const QString file = fileToWrite(targetName, source);
    if (output.format == picture::Format::None)
        return {CopyOutcome::SkippedFormat,
                QStringLiteral("für die Endung \"") + output.extension
                    + QStringLiteral("\" wird keine Kopie geschrieben"),
                file};
    if (auto refused = copyRefused(source, file, file, options.overwrite))
        return *std::move(refused);

    picture::LoadOptions load;
    load.limits = options.limits;
    load.targetSizeFor = [shortSide](picture::Size full) { return newSizeFor(full, shortSide); };
    auto loaded = picture::loadPicture(util::toFsPath(source), load);
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

    // After scaling, so the fewest pixels go through the transform.
    const picture::ColourOutcome colour = picture::toSrgb(picture, workerColourCache());

    const QString problem = writeInPlace(picture, source, file, output, options);
    if (!problem.isEmpty())
        return failed(file, problem);
    return {CopyOutcome::Written, {}, file, QString::fromStdString(colour.ignoredBecause)};
}

} // namespace vardolin::batch
