#include "frame/StartFolder.h"

#include "frame/UserFolders.h"

#include "util/Files.h"
#include "util/Paths.h"

namespace vardolin::frame {

void checkSourceFolder(Settings& settings, const QString& workingFolder)
{
    if (!util::isFolder(settings.QuellVerz))
        settings.QuellVerz = workingFolder;
}

void applyPathArgument(Settings& settings, const QString& path)
{
    if (path.isEmpty())
        return;
    if (util::isFolder(path)) {
        settings.QuellVerz = util::withTrailingSeparator(path);
        settings.BildDatei.clear();
    } else if (const QString folder = util::folderOf(path); !folder.isEmpty() && util::isFolder(folder)) {
        settings.QuellVerz = folder;
        settings.BildDatei = util::nameOf(path);
    } else {
        settings.QuellVerz = util::pathPart(path);
        settings.BildDatei = util::filePart(path);
    }
}

QString sourceFallbackFolder(const FrameContext& context, const Environment& environment)
{
    if (!context.settingsInUserConfig)
        return context.uAktVerz;
    const QString pictures = picturesFolder(environment);
    return pictures.isEmpty() ? context.uAktVerz : pictures;
}

void takeStartFolder(Settings& settings, const QString& workingFolder, const QString& pathArgument)
{
    checkSourceFolder(settings, workingFolder);
    applyPathArgument(settings, pathArgument);
}

} // namespace vardolin::frame
