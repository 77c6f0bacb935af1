#include "batch/CopyWriter.h"

#include "batch/GradeBudget.h"
#include "batch/TempFiles.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

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

// Fresh names tried when each one is taken already.
constexpr int kNameAttempts = 8;

bool somethingIsNamed(const QString& name)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(util::toFsPath(name), error));
}

// The picture encoded into a fresh temporary file in folder, or the reason.
// The names are easy to foresee once one is seen, so in a folder others may
// write to, one may be taken already: by a stale file, or by a link planted
// to have the copy's bytes written through it. The encoder never opens what
// exists (and a failed encode removes its own file), so whatever has the name
// after a failure is someone else's: it is left alone and a fresh name tried.
std::optional<Encoded> encode(const CopyToWrite& copy, const QString& folder, int grade, QString& problem)
{
    const CopyOptions& options = copy.options;
    picture::SaveOptions save;
    save.format = copy.output.format;
    save.qualityGrade = grade;
    save.scale = copy.output.scale;
    save.optimizeJpeg = options.choices.optimizeJpeg;
    save.metadata = &copy.metadata;
    save.existing = picture::ExistingName::Refused;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        Encoded encoded{TemporaryCopy(temporaryNameIn(folder))};
        const auto saved = picture::savePicture(copy.scaled, util::toFsPath(encoded.file.name()), save);
        if (saved) {
            encoded.bytes = util::sizeTest(encoded.file.name());
            return encoded;
        }
        const bool taken = somethingIsNamed(encoded.file.name());
        if (taken)
            encoded.file.forget();
        if (!taken || attempt + 1 == kNameAttempts) {
            problem = util::words(options.language, QStringLiteral("konnte nicht geschrieben werden: "),
                                  QStringLiteral("could not be written: "))
                      + engineReason(saved.error(), options);
            return std::nullopt;
        }
    }
    return std::nullopt;
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
        written.problem =
            util::words(options.language, QStringLiteral("konnte nicht an seinen Platz umbenannt werden: "),
                        QStringLiteral("could not be renamed into place: "))
            + engineReason(renameProblem.toStdString(), options);
        return written;
    }
    written.grade = chosen->grade;
    written.overBudget = chosen->overBudget;
    written.bytes = chosen->encoded.bytes;
    return written;
}

} // namespace vardolin::batch
