#include "batch/Conversion.h"

#include "batch/CopyWriter.h"
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

// Why the source's colours could not be used, when they could not.
QString colourNoteOf(const picture::Notes& notes)
{
    for (const picture::Note& note : notes)
        if (note.kind == picture::Note::Kind::ColourIgnored)
            return QString::fromStdString(note.text);
    return {};
}

} // namespace

int encoderQualityFor(picture::Format format, int grade)
{
    const picture::FormatRow* row = picture::formatRow(format);
    if (grade < 0 || row == nullptr || row->qualityForGrade == nullptr)
        return -1;
    return row->qualityForGrade(grade);
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
    return picture::reducedSize(full, shortSide);
}

OutputFormat outputFormatFor(const QString& sourcePath)
{
    const QString extension = util::upperCase(util::extensionOf(sourcePath));
    const picture::FormatRow* source = picture::sourceRow(extension.toStdString());
    if (source == nullptr)
        return {picture::Format::None, extension, false};
    const picture::FormatRow* written = picture::formatRow(source->writtenAs);
    const QString extensionWritten =
        source->extensionWritten.empty()
            ? extension
            : QString::fromLatin1(source->extensionWritten.data(), qsizetype(source->extensionWritten.size()));
    return {source->writtenAs, extensionWritten, written->qualityForGrade != nullptr};
}

QString fileToWrite(const QString& targetName, const QString& sourcePath)
{
    return util::folderOf(targetName) + util::baseNameOf(targetName) + QStringLiteral(".")
           + outputFormatFor(sourcePath).extension;
}

CopyResult BildKorrigierenKopieren(const QString& source, const QString& targetName, qint64 shortSide,
                                   const CopyOptions& options)
{
    const OutputFormat output = outputFormatFor(source);
    const QString file = fileToWrite(targetName, source);
    if (auto refused = conversionRefused(source, file, options.overwrite))
        return *std::move(refused);

    ReducedPicture reduced = options.decoders ? options.decoders->reduce(source, shortSide)
                                              : Decoders({}, options.limits).reduce(source, shortSide);
    if (!reduced.problem.isEmpty())
        return failed(file, reduced.problem);
    const picture::Picture& picture = reduced.decoded.picture;
    const picture::Notes& notes = reduced.decoded.notes;
    const picture::Size full = picture.fullSize;
    const picture::Size size{picture.width, picture.height};

    const WrittenCopy written = writeCopy(picture, source, file, output, options);
    if (!written.problem.isEmpty())
        return failed(file, written.problem);
    CopyResult result{CopyOutcome::Written, {}, file, colourNoteOf(notes)};
    result.before = full;
    result.after = size;
    result.bytesAfter = written.bytes;
    result.grade = written.grade;
    result.quality = encoderQualityFor(output.format, written.grade);
    result.overBudget = written.overBudget;
    return result;
}

} // namespace vardolin::batch
