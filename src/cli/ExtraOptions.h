#pragma once
// The options of vardolin-batch that set the window's Extra menu choices for
// one run: the copies' format, what they keep of their sources' Exif, and
// optimised JPEG coding. Kept apart from the other options, as the menu is.

#include "batch/CopyChoices.h"
#include "frame/Settings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>

namespace vardolin::cli {

struct ExtraOptions {
    std::optional<batch::CopyFormat> format; // --format keep|jpeg|webp|avif
    std::optional<bool> keepMetadata;        // --keep-metadata, --no-metadata
    bool keepLocation = false;               // --keep-location (keeps the metadata too)
    std::optional<bool> optimize;            // --optimize, --no-optimize
};

struct ExtraOptionParser {
    QCommandLineOption format{
        QStringLiteral("format"),
        QStringLiteral("Write every copy as jpeg (JPG), webp (WEBP) or avif (AVIF) at the quality "
                       "that looks like the JPEG copy's; keep: by the source's extension."),
        QStringLiteral("keep|jpeg|webp|avif")};
    QCommandLineOption keepMetadata{QStringLiteral("keep-metadata"),
                                    QStringLiteral("Copies keep their source's Exif (date, camera, exposure, "
                                                   "copyright, description), without thumbnail and GPS position.")};
    QCommandLineOption keepLocation{QStringLiteral("keep-location"), QStringLiteral("The same with the GPS position.")};
    QCommandLineOption noMetadata{QStringLiteral("no-metadata"), QStringLiteral("Copies keep no Exif.")};
    QCommandLineOption optimize{QStringLiteral("optimize"),
                                QStringLiteral("JPEG copies with optimised, progressive coding: the same pixels, "
                                               "fewer bytes.")};
    QCommandLineOption noOptimize{QStringLiteral("no-optimize"), QStringLiteral("JPEG copies with plain coding.")};

    QList<QCommandLineOption> all() const
    {
        return {format, keepMetadata, keepLocation, noMetadata, optimize, noOptimize};
    }
    // The options given, or why they cannot be taken.
    QString read(const QCommandLineParser& parser, ExtraOptions& options) const;
};

// Puts the options given into the settings of this run.
void applyExtraOptions(const ExtraOptions& options, ExtraSettings& extra);

} // namespace vardolin::cli
