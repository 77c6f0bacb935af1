#pragma once
// The options of vardolin-batch that set the window's Extra menu choices for
// one run: the copies' format, what they keep of their sources' Exif, and
// optimised JPEG coding. Kept apart from the other options, as the menu is.

#include "batch/CopyChoices.h"
#include "frame/Settings.h"
#include "util/Language.h"

#include <QCommandLineParser>
#include <QString>

#include <optional>

namespace vardolin::cli {

struct ExtraOptions {
    std::optional<batch::CopyFormat> format; // --format keep|jpeg|webp|avif
    std::optional<bool> keepMetadata;        // --keep-metadata, --no-metadata
    bool keepLocation = false;               // --keep-location (keeps the metadata too)
    std::optional<bool> optimize;            // --optimize, --no-optimize
};

// The options given (the parser knows format, keep-metadata, keep-location,
// no-metadata, optimize and no-optimize), or why they cannot be taken.
QString readExtraOptions(const QCommandLineParser& parser, ExtraOptions& options, util::Language language);

// Puts the options given into the settings of this run.
void applyExtraOptions(const ExtraOptions& options, ExtraSettings& extra);

} // namespace vardolin::cli
