#include "cli/ExtraOptions.h"

namespace vardolin::cli {

QString ExtraOptionParser::read(const QCommandLineParser& parser, ExtraOptions& options) const
{
    if (parser.isSet(format)) {
        options.format = batch::copyFormatNamed(parser.value(format));
        if (!options.format)
            return QStringLiteral("--format wants keep, jpeg, webp or avif");
    }
    const bool keep = parser.isSet(keepMetadata) || parser.isSet(keepLocation);
    if (keep && parser.isSet(noMetadata))
        return QStringLiteral("--no-metadata excludes --keep-metadata and --keep-location");
    if (keep || parser.isSet(noMetadata))
        options.keepMetadata = keep;
    options.keepLocation = parser.isSet(keepLocation);
    if (parser.isSet(optimize) && parser.isSet(noOptimize))
        return QStringLiteral("--optimize and --no-optimize exclude each other");
    if (parser.isSet(optimize) || parser.isSet(noOptimize))
        options.optimize = parser.isSet(optimize);
    return {};
}

void applyExtraOptions(const ExtraOptions& options, ExtraSettings& extra)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    if (options.format)
        extra.Kopieformat = batch::copyFormatWord(*options.format);
    if (options.keepMetadata) {
        extra.MetadatenBehalten = flag(*options.keepMetadata);
        // Without the location unless asked for now: a place kept from the
        // settings file is not shared by a run that asked only for the metadata.
        extra.OrtBehalten = flag(options.keepLocation);
    }
    if (options.optimize)
        extra.JpegOptimieren = flag(*options.optimize);
}

} // namespace vardolin::cli
