#include "batch/Conversion.h"

#include "batch/CopyWriter.h"
#include "picture/colour/ColourConversion.h"
#include "picture/formats/JpegEncoder.h"
#include "picture/formats/WebpEncoder.h"
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
    // Today's phone photos become JPEGs any viewer shows; WebP stays WebP.
    {u"HEIC",  picture::Format::Jpeg, u"JPG",     true},
    {u"HEIF",  picture::Format::Jpeg, u"JPG",     true},
    {u"AVIF",  picture::Format::Jpeg, u"JPG",     true},
    {u"WEBP",  picture::Format::Webp, u"WEBP",    true},
};
// clang-format on

// One per worker thread: the transforms stay built for the next picture with
// the same profile, and no thread waits for another.
picture::ColourCache& workerColourCache()
{
    thread_local picture::ColourCache cache;
    return cache;
}

} // namespace

int encoderQualityFor(picture::Format format, int grade)
{
    if (grade < 0)
        return -1;
    switch (format) {
    case picture::Format::Jpeg: return picture::jpegQualityForGrade(grade);
    case picture::Format::Webp: return picture::webpQualityForGrade(grade);
    default: return -1;
    }
}

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
        return copyExists(file);
    return std::nullopt;
}

CopyResult copyExists(const QString& file)
{
    return {CopyOutcome::SkippedExisting, QStringLiteral("die Kopie existiert bereits"), file};
}

std::optional<CopyResult> conversionRefused(const QString& source, const QString& file, bool overwrite)
{
    const OutputFormat output = outputFormatFor(source);
    if (output.format == picture::Format::None)
        return CopyResult{CopyOutcome::SkippedFormat,
                          QStringLiteral("für die Endung \"") + output.extension
                              + QStringLiteral("\" wird keine Kopie geschrieben"),
                          file};
    return copyRefused(source, file, file, overwrite);
}

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
    if (auto refused = conversionRefused(source, file, options.overwrite))
        return *std::move(refused);

    picture::LoadOptions load;
    load.limits = options.limits;
    load.targetSizeFor = [shortSide](picture::Size full) { return newSizeFor(full, shortSide); };
    load.colourCache = &workerColourCache();
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

    const WrittenCopy written = writeCopy(picture, source, file, output, options);
    if (!written.problem.isEmpty())
        return failed(file, written.problem);
    CopyResult result{CopyOutcome::Written, {}, file, QString::fromStdString(colour.ignoredBecause)};
    result.before = full;
    result.after = size;
    result.bytesAfter = written.bytes;
    result.grade = written.grade;
    result.quality = encoderQualityFor(output.format, written.grade);
    result.overBudget = written.overBudget;
    return result;
}

} // namespace vardolin::batch
