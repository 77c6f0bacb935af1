#include "batch/TargetNames.h"

#include "batch/BatchHost.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vardolin::batch {
namespace {

// Both separators become the platform's, so the field primitives can cut
// at one delimiter.
QString withPlatformSeparators(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (util::isSeparator(c))
            c = util::separator();
    }
    return result;
}

QString separatorText()
{
    return QString(util::separator());
}

} // namespace

QString sourceFolderOf(const Settings& settings)
{
    return util::folderOf(settings.QuellVerz);
}

TargetChoice targetChoiceFrom(const Settings& settings, const QString& targetListText)
{
    TargetChoice choice;
    const qint64 mode = util::integerValue(settings.AusgabeOrdner);
    choice.mode = (mode >= 1 && mode <= 4) ? int(mode) : 1;
    choice.dateiPrefix = settings.DateiPrefix;
    choice.dateiSuffix = settings.DateiSuffix;
    choice.zielSubVerz = settings.ZielSubVerz;
    choice.immerPrefix = settings.ImmerPrefix;
    choice.immerSuffix = settings.ImmerSuffix;
    choice.zielVerz = settings.ZielVerz;
    choice.carryStructure = util::integerValue(settings.CBZielVerzPlus) != 0;
    choice.sourceFolder = sourceFolderOf(settings);
    choice.targetListItem = targetListText;
    choice.copyFormat = copyChoicesFrom(settings.Extra).format;
    return choice;
}

TargetName zielName(const QString& sourcePath, const TargetChoice& choice)
{
    // The source's name comes from the disk and is taken whole.
    const QString folder = util::folderOf(sourcePath);
    const QString fullName = util::nameOf(sourcePath);
    const QString base = util::baseNameOf(sourcePath);
    const QString dotExtension = QStringLiteral(".") + util::extensionOf(sourcePath);
    const QString immerName = choice.immerPrefix + base + choice.immerSuffix + dotExtension;

    TargetName target;
    switch (choice.mode) {
    case 2: target.name = folder + base + choice.dateiSuffix + dotExtension; break;
    case 3: target.name = folder + choice.zielSubVerz + separatorText() + immerName; break;
    case 4:
        if (choice.carryStructure) {
            QString below = folder;
            if (!choice.sourceFolder.isEmpty())
                below.remove(choice.sourceFolder, Qt::CaseSensitive);
            target.folderToCreate = choice.zielVerz + choice.targetListItem + below;
            target.name = target.folderToCreate + immerName;
        } else {
            target.name = choice.zielVerz + immerName;
        }
        break;
    default: target.name = folder + choice.dateiPrefix + fullName + dotExtension; break;
    }
    return target;
}

QStringList FuellenComboZielVerz(const QString& folderText)
{
    const QString folder = withPlatformSeparators(folderText);
    const QString separator = separatorText();
    QStringList items{QString()};
    const int separators = util::count(folder, separator);
    QString tail;
    for (int i = separators; i >= 2; --i) {
        tail = separator + util::field(folder, i, separator) + tail;
        items.append(tail + separator);
    }
    return items;
}

void zVerzAnlegen(const QString& pathText)
{
    if (util::isFolder(pathText))
        return;
    const QString path = withPlatformSeparators(pathText);
    const QString separator = separatorText();
    const int separators = util::count(path, separator);
#ifdef _WIN32
    QString built = util::left(path, 2); // the drive letter and its colon
#else
    // Absolute paths start at the root (the first field is empty); a
    // relative path's first folder is made like the others.
    QString built = util::field(path, 1, separator);
    if (separators >= 1 && !built.isEmpty() && !util::isFolder(built))
        util::createFolder(built);
#endif
    for (int i = 2; i <= separators; ++i) {
        built += separator + util::field(path, i, separator);
        if (!util::isFolder(built))
            util::createFolder(built);
    }
}

bool folderCanBeMade(const QString& path)
{
    namespace fs = std::filesystem;
    fs::path part = util::toFsPath(path).lexically_normal();
    if (!part.has_filename())
        part = part.parent_path(); // the trailing separator
    bool wanted = true;
    for (;;) {
        std::error_code error;
        const fs::file_status status = fs::status(part, error);
        if (fs::exists(status)) {
            if (!fs::is_directory(status))
                return false;
#ifndef _WIN32
            return wanted || ::access(part.c_str(), W_OK | X_OK) == 0;
#else
            return true;
#endif
        }
        if (!part.has_relative_path() || part.parent_path() == part)
            return false;
        part = part.has_parent_path() ? part.parent_path() : fs::path(".");
        wanted = false;
    }
}

bool AnlegenNeuerOrdner(const QString& targetFolderText, const QString& name, BatchHost& host)
{
    if (name.isEmpty()) {
        host.showMessage(QStringLiteral("Bitte erst neuen Ordner eingeben !"));
        return false;
    }
    if (util::createFolder(targetFolderText + name) != 1) {
        host.showMessage(QStringLiteral("Neuer Ordner konnte nicht angelegt werden !"));
        return false;
    }
    return true;
}

} // namespace vardolin::batch
