#include "batch/Conversion.h"

#include "batch/CopyWriter.h"
#include "batch/RunTexts.h"
#include "picture/Formats.h"
#include "picture/Reduce.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vardolin::batch {
namespace {

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
    return picture::reducedSize(full, shortSide);
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

    const picture::KeepMetadata metadata = metadataToRead(output, options.choices.metadata);
    ReducedPicture reduced = options.decoders ? options.decoders->reduce(source, shortSide, metadata)
                                              : Decoders({}, options.limits).reduce(source, shortSide, metadata);
    if (!reduced.ok())
        return failed(file, problemOf(reduced, options.language,
                                      [&options](const std::string& reason) { return engineReason(reason, options); }));
    const picture::Picture& picture = reduced.decoded.picture;
    const picture::Notes& notes = reduced.decoded.notes;
    const QStringList warnings = damageOf(notes);
    if (options.failOnWarning && !warnings.isEmpty()) {
        CopyResult refused = failed(file, damagedReason(engineReasons(warnings, options), options.language));
        refused.warnings = warnings;
        return refused;
    }
    const picture::Size full = picture.fullSize;
    const picture::Size size{picture.width, picture.height};

    const WrittenCopy written = writeCopy(picture, reduced.decoded.metadata, source, file, output, options);
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
