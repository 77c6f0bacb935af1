#include "batch/Conversion.h"

#include "batch/CopyWriter.h"
#include "batch/RunTexts.h"
#include "picture/Colour.h"
#include "picture/Formats.h"
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

// The first note of a kind, in the options' language, for the run log.
QString noteOf(const picture::Notes& notes, picture::Note::Kind kind, const CopyOptions& options)
{
    for (const picture::Note& note : notes)
        if (note.kind == kind)
            return engineReason(note.text, options);
    return {};
}

// The first conversion and the first reason for not converting among the
// notes, the reason in the options' language.
ColourOutcome colourOutcomeOf(const picture::Notes& notes, const CopyOptions& options)
{
    ColourOutcome outcome;
    for (const picture::Note& note : notes) {
        if (note.kind == picture::Note::Kind::ColourConverted && outcome.done != ColourOutcome::Done::Converted) {
            outcome.done = ColourOutcome::Done::Converted;
            outcome.from = QString::fromStdString(note.from);
            outcome.intent = QString::fromStdString(note.intent);
        } else if (note.kind == picture::Note::Kind::ColourIgnored && outcome.reason.isEmpty()) {
            outcome.reason = engineReason(note.text, options);
            if (outcome.done == ColourOutcome::Done::None)
                outcome.done = ColourOutcome::Done::Ignored;
        }
    }
    return outcome;
}

// The codec library's warnings about a damaged file.
QStringList damageOf(const picture::Notes& notes)
{
    QStringList warnings;
    for (const picture::Note& note : notes)
        if (note.kind == picture::Note::Kind::Damaged)
            warnings.append(QString::fromStdString(note.text));
    return warnings;
}

// Only a copy in a format that carries Exif is worth reading it for.
picture::KeepMetadata metadataToRead(const OutputFormat& output, picture::KeepMetadata asked)
{
    const picture::FormatRow* row = picture::formatRow(output.format);
    return row != nullptr && row->carriesExif ? asked : picture::KeepMetadata::None;
}

// One per worker thread: the transforms stay built for the next picture with
// the same profile, and no thread waits for another.
picture::ColourCache& workerColourCache()
{
    thread_local picture::ColourCache cache;
    return cache;
}

} // namespace

QString engineReason(const std::string& reason, const CopyOptions& options)
{
    const QString text = QString::fromStdString(reason);
    return options.engineWording != nullptr ? options.engineWording(text, options.language) : text;
}

QStringList engineReasons(const QStringList& reasons, const CopyOptions& options)
{
    if (options.engineWording == nullptr)
        return reasons;
    QStringList said;
    said.reserve(reasons.size());
    for (const QString& reason : reasons)
        said.append(options.engineWording(reason, options.language));
    return said;
}

int encoderQualityFor(const OutputFormat& output, int grade)
{
    return grade < 0 ? -1 : picture::encoderQuality(output.format, grade, output.scale);
}

bool isSameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return fs::equivalent(util::toFsPath(a), util::toFsPath(b), error) && !error;
}

std::optional<CopyResult> copyRefused(const QString& source, const QString& file, const QString& existingName,
                                      bool overwrite, util::Language language)
{
    if (isSameFile(source, file))
        return failed(file, util::words(language, QStringLiteral("die Kopie würde ihre eigene Quelle überschreiben"),
                                        QStringLiteral("the copy would overwrite its own source")));
    if (!overwrite && util::sizeTest(existingName) > 0)
        return copyExists(file, language);
    return std::nullopt;
}

CopyResult copyExists(const QString& file, util::Language language)
{
    return {CopyOutcome::SkippedExisting,
            util::words(language, QStringLiteral("die Kopie existiert bereits"), QStringLiteral("the copy exists")),
            file};
}

std::optional<CopyResult> conversionRefused(const QString& source, const QString& file, bool overwrite,
                                            util::Language language, CopyFormat chosen)
{
    const OutputFormat output = outputFormatFor(source, chosen);
    if (output.format == picture::Format::None)
        return CopyResult{CopyOutcome::SkippedFormat,
                          util::words(language, QStringLiteral("für die Endung \"%1\" wird keine Kopie geschrieben"),
                                      QStringLiteral("no copy is written for the extension \"%1\""))
                              .arg(output.extension),
                          file};
    return copyRefused(source, file, file, overwrite, language);
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

OutputFormat outputFormatFor(const QString& sourcePath, CopyFormat chosen)
{
    const QString extension = util::upperCase(util::extensionOf(sourcePath));
    const picture::FormatRow* source = picture::sourceRow(extension.toStdString());
    if (source == nullptr)
        return {picture::Format::None, extension, false};
    if (chosen != CopyFormat::Keep)
        return {pictureFormatOf(chosen), extensionOf(chosen), true, picture::QualityScale::LooksLikeJpeg};
    const picture::FormatRow* written = picture::formatRow(source->writtenAs);
    const QString extensionWritten =
        source->extensionWritten.empty()
            ? extension
            : QString::fromLatin1(source->extensionWritten.data(), qsizetype(source->extensionWritten.size()));
    return {source->writtenAs, extensionWritten, written->qualityForGrade != nullptr};
}

QString fileToWrite(const QString& targetName, const QString& sourcePath, CopyFormat chosen)
{
    return util::folderOf(targetName) + util::baseNameOf(targetName) + QStringLiteral(".")
           + outputFormatFor(sourcePath, chosen).extension;
}

CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide,
                                   const CopyOptions& options)
{
    const OutputFormat output = outputFormatFor(source, options.choices.format);
    const QString file = fileToWrite(targetName, source, options.choices.format);
    if (auto refused = conversionRefused(source, file, options.overwrite, options.language, options.choices.format))
        return *std::move(refused);

    picture::LoadOptions load;
    load.limits = options.limits;
    load.targetSizeFor = [shortSide](picture::Size full) { return newSizeFor(full, shortSide); };
    load.colourCache = &workerColourCache();
    load.metadata = metadataToRead(output, options.choices.metadata);
    auto loaded = picture::loadPicture(util::toFsPath(source), load);
    if (!loaded)
        return failed(file, util::words(options.language, QStringLiteral("konnte nicht geladen werden: "),
                                        QStringLiteral("could not be loaded: "))
                                + engineReason(loaded.error(), options));
    picture::Picture& picture = loaded->picture;
    picture::Notes& notes = loaded->notes;
    const QStringList warnings = damageOf(notes);
    if (options.failOnWarning && !warnings.isEmpty()) {
        CopyResult refused = failed(file, damagedReason(engineReasons(warnings, options), options.language));
        refused.warnings = warnings;
        return refused;
    }

    picture::Size full = picture.fullSize;
    if (full.width <= 0 || full.height <= 0)
        full = {picture.width, picture.height};
    const picture::Size size = newSizeFor(full, shortSide);
    const auto scaled =
        picture::scalePicture(picture, size.width, size.height, picture::ScaleMode::Smooth, options.limits);
    if (!scaled)
        return failed(file, util::words(options.language, QStringLiteral("konnte nicht auf %1 x %2 skaliert werden: "),
                                        QStringLiteral("could not be scaled to %1 x %2: "))
                                    .arg(size.width)
                                    .arg(size.height)
                                + engineReason(scaled.error(), options));

    // After scaling, so the fewest pixels go through the transform.
    picture::toSrgb(picture, workerColourCache(), notes);

    const WrittenCopy written = writeCopy(picture, loaded->metadata, source, file, output, options);
    if (!written.problem.isEmpty())
        return failed(file, written.problem);
    CopyResult result{CopyOutcome::Written, {}, file, colourOutcomeOf(notes, options), warnings};
    result.metadataNote = noteOf(notes, picture::Note::Kind::MetadataDropped, options);
    result.before = full;
    result.after = size;
    result.bytesAfter = written.bytes;
    result.grade = written.grade;
    result.quality = encoderQualityFor(output, written.grade);
    result.overBudget = written.overBudget;
    return result;
}

} // namespace vardolin::batch
