#pragma once
// Where the run's pictures are decoded: in decode processes of their own
// (vardolin-decode), one per worker, started when first needed and reused.
// A file that crashes, hangs or exhausts its decoder fails alone, with the
// reason in its log line; a fresh process takes the next file; the run
// alone touches the disk. Where no such process can be built (other systems
// than Linux), in the run's own process.

#include "batch/DecoderAnswer.h"
#include "picture/Limits.h"
#include "picture/Picture.h"
#include "util/Language.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vardolin::batch {

struct DecoderSettings {
    // The decode program; empty: the one installed with this program.
    QString executable;
    // How long one picture may take before its decoder is killed and the
    // file fails: far more than the largest picture the budget allows needs.
    std::chrono::milliseconds timeLimit = std::chrono::seconds(60);
};

// The picture a copy is encoded from, or why there is none; the words for
// the run log come from problemOf, in the run's language.
struct ReducedPicture {
    enum class Failed : std::uint8_t {
        Nothing, // decoded holds the picture
        Load,    // reason: the engine's
        Scale,   // reason: the engine's; scaleTo: the size asked of the scaler
        Decoder, // end: how its decoder ended, which had timeLimit
    };
    Failed failed = Failed::Nothing;
    std::string reason;
    picture::Size scaleTo;
    DecoderEnd end;
    std::chrono::milliseconds timeLimit{};
    picture::Decoded decoded; // at the copy's size, in sRGB, with its notes

    bool ok() const { return failed == Failed::Nothing; }
};

// Why there is no picture, for the run log ("konnte nicht geladen werden:
// ..."), empty when there is one. engineWording tells an engine's reason in
// the language; without it the reason stays as the engine gave it.
QString problemOf(const ReducedPicture& reduced, util::Language language = util::Language::German,
                  const std::function<QString(const std::string&)>& engineWording = {});

class Decoders {
public:
    Decoders(DecoderSettings settings, const picture::Limits& limits);
    ~Decoders(); // ends and reaps every decode process
    Decoders(const Decoders&) = delete;
    Decoders& operator=(const Decoders&) = delete;

    // The source loaded, shrunk on load, scaled so that its shorter side is
    // shortSide and brought to sRGB. Any number of workers may ask at once;
    // each gets a process of its own.
    // metadata: the Exif made ready for the copy (Decoded::metadata).
    ReducedPicture reduce(const QString& source, qint64 shortSide,
                          picture::KeepMetadata metadata = picture::KeepMetadata::None);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Why a file failed whose decoder ended, in the run's language.
QString decoderEndReason(const DecoderEnd& end, std::chrono::milliseconds timeLimit,
                         util::Language language = util::Language::German);

// The decode program installed with the running one: vardolin-decode in the
// folder the install gives it beside the programs' folder (libexec/vardolin),
// seen from the running program's folder or from the one above it (the build
// tree keeps it there for programs and tests one folder deeper), or in the
// running program's own folder (a portable copy). Empty when there is none.
QString decoderExecutable();

} // namespace vardolin::batch
