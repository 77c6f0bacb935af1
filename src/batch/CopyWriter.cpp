#include "batch/CopyWriter.h"

#include "batch/GradeBudget.h"
#include "batch/TempFiles.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <algorithm>
#include <map>
#include <optional>

namespace vardolin::batch {
namespace {

// Handed to the encoders that take no quality grade.
constexpr int kUnusedGrade = 7;

struct Encoded {
    TemporaryCopy file;
    qint64 bytes = -1;
};

// What every attempt at one copy is written with; only the grade changes.
struct CopyToWrite {
    const picture::Picture& scaled;
    const picture::Metadata& metadata;
    const OutputFormat& output;
    const CopyOptions& options;

    // Only the WebP encoder writes a lossless copy of a lossless source.
    bool lossless() const { return scaled.lossless && output.format == picture::Format::Webp; }
};

// The picture encoded into a fresh temporary file in folder, or the reason.
std::optional<Encoded> encode(const CopyToWrite& copy, const QString& folder, int grade, QString& problem)
{
    Encoded encoded{TemporaryCopy(temporaryNameIn(folder))};
    picture::SaveOptions save;
    save.format = copy.output.format;
    save.qualityGrade = grade;
    save.scale = copy.output.scale;
    save.optimizeJpeg = copy.options.choices.optimizeJpeg;
    save.metadata = &copy.metadata;
    const auto saved = picture::savePicture(copy.scaled, util::toFsPath(encoded.file.name()), save);
    if (!saved) {
        problem = QStringLiteral("konnte nicht geschrieben werden: ") + QString::fromStdString(saved.error());
        return std::nullopt;
    }
    encoded.bytes = util::sizeTest(encoded.file.name());
    return encoded;
}

struct Chosen {
    Encoded encoded;
    int grade = -1;
    bool overBudget = false;
};

// The copy at the chosen grade or, when that is over the budget, at the
// highest lower grade that fits; every other attempt is removed.
std::optional<Chosen> encodeWithinBudget(const CopyToWrite& copy, const QString& folder, QString& problem)
{
    const OutputFormat& output = copy.output;
    const CopyOptions& options = copy.options;
    const int grade = output.usesQualityGrade ? options.quality : kUnusedGrade;
    std::optional<Encoded> first = encode(copy, folder, grade, problem);
    if (!first)
        return std::nullopt;
    if (!output.usesQualityGrade)
        return Chosen{std::move(*first), -1, false};
    // A lossless copy has no lower grade that is smaller (its grade is only
    // the encoder's effort), so there is nothing to search for.
    if (copy.lossless())
        return Chosen{std::move(*first), -1, options.maxBytes > 0 && first->bytes > options.maxBytes};
    if (options.maxBytes <= 0 || first->bytes <= options.maxBytes)
        return Chosen{std::move(*first), grade, false};

    std::map<int, Encoded> attempts;
    attempts.emplace(std::clamp(grade, 0, highestDistinctGrade), std::move(*first));
    const auto budgeted = highestGradeWithin(options.maxBytes, grade, [&](int lower) -> qint64 {
        if (const auto found = attempts.find(lower); found != attempts.end())
            return found->second.bytes;
        std::optional<Encoded> attempt = encode(copy, folder, lower, problem);
        if (!attempt)
            return -1;
        const qint64 bytes = attempt->bytes;
        attempts.emplace(lower, std::move(*attempt));
        return bytes;
    });
    if (!budgeted)
        return std::nullopt;
    return Chosen{std::move(attempts.at(budgeted->grade)), budgeted->grade, !budgeted->fits};
}

} // namespace

WrittenCopy writeCopy(const picture::Picture& picture, const picture::Metadata& metadata, const QString& source,
                      const QString& finalFile, const OutputFormat& output, const CopyOptions& options)
{
    WrittenCopy written;
    const CopyToWrite copy{picture, metadata, output, options};
    std::optional<Chosen> chosen = encodeWithinBudget(copy, util::folderOf(finalFile), written.problem);
    if (!chosen)
        return written;
    if (options.dateiDatum == 1)
        util::setModificationTime(chosen->encoded.file.name(),
                                  util::modificationTime(source)); // a failed set is ignored
    const QString renameProblem = chosen->encoded.file.moveTo(finalFile);
    if (!renameProblem.isEmpty()) {
        written.problem = QStringLiteral("konnte nicht an seinen Platz umbenannt werden: ") + renameProblem;
        return written;
    }
    written.grade = chosen->grade;
    written.overBudget = chosen->overBudget;
    written.bytes = chosen->encoded.bytes;
    return written;
}

} // namespace vardolin::batch
