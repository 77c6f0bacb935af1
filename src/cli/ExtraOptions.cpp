#include "cli/ExtraOptions.h"

#include "util/Language.h"

namespace vardolin::cli {

QString readExtraOptions(const QCommandLineParser& parser, ExtraOptions& options, util::Language language)
{
    const auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    if (isSet("format")) {
        options.format = batch::copyFormatNamed(parser.value(QStringLiteral("format")));
        if (!options.format)
            return util::words(language, QStringLiteral("--format will keep, jpeg, webp oder avif"),
                               QStringLiteral("--format wants keep, jpeg, webp or avif"));
    }
    const bool keep = isSet("keep-metadata") || isSet("keep-location");
    if (keep && isSet("no-metadata"))
        return util::words(language, QStringLiteral("--no-metadata schließt --keep-metadata und --keep-location aus"),
                           QStringLiteral("--no-metadata excludes --keep-metadata and --keep-location"));
    if (keep || isSet("no-metadata"))
        options.keepMetadata = keep;
    options.keepLocation = isSet("keep-location");
    if (isSet("optimize") && isSet("no-optimize"))
        return util::words(language, QStringLiteral("--optimize und --no-optimize schließen einander aus"),
                           QStringLiteral("--optimize and --no-optimize exclude each other"));
    if (isSet("optimize") || isSet("no-optimize"))
        options.optimize = isSet("optimize");
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
