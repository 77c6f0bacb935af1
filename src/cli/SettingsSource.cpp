#include "cli/SettingsSource.h"

#include "batch/ChoiceLists.h"
#include "frame/IniDatei.h"
#include "frame/SettingsFolder.h"
#include "util/Files.h"
#include "util/IniFile.h"
#include "util/Paths.h"

#include <QDir>

namespace vardolin::cli {

namespace {

ChosenSettings readFrom(const QString& file, util::Language language)
{
    ChosenSettings chosen;
    if (!util::IniFile::read(file)) {
        chosen.problem = util::words(language, QStringLiteral("die Einstellungsdatei kann nicht gelesen werden: "),
                                     QStringLiteral("the settings file cannot be read: "))
                         + file;
        return chosen;
    }
    frame::readSettingsFile(chosen.settings, file);
    chosen.file = file;
    chosen.listFolder = util::folderOf(file);
    return chosen;
}

} // namespace

ChosenSettings chooseSettings(const CommandLine& options, const QString& workingFolder,
                              const frame::Environment& environment, util::Language language)
{
    if (options.noSettings)
        return {};
    if (options.settings)
        return readFrom(QDir::toNativeSeparators(QDir(workingFolder).absoluteFilePath(*options.settings)), language);
    const frame::SettingsFolder folder = frame::settingsFolderFor(workingFolder, environment);
    const QString file = folder.folder + frame::settingsFileName();
    ChosenSettings chosen;
    if (util::sizeTest(file) != -1)
        chosen = readFrom(file, language);
    if (!chosen.problem.isEmpty()) {
        chosen = {};
        chosen.unreadable = file;
    }
    chosen.listFolder = folder.folder;
    return chosen;
}

QString settingsLine(const ChosenSettings& chosen, util::Language language)
{
    const QString head = util::words(language, QStringLiteral("Einstellungen: "), QStringLiteral("Settings: "));
    if (!chosen.file.isEmpty())
        return head + chosen.file;
    if (!chosen.unreadable.isEmpty())
        return head
               + util::words(language, QStringLiteral("eingebaute Vorgaben (%1 kann nicht gelesen werden)"),
                             QStringLiteral("built-in defaults (%1 cannot be read)"))
                     .arg(chosen.unreadable);
    return head + util::words(language, QStringLiteral("eingebaute Vorgaben"), QStringLiteral("built-in defaults"));
}

QString sizeListPath(const ChosenSettings& chosen)
{
    return chosen.listFolder.isEmpty() ? QString() : chosen.listFolder + QString::fromUtf16(batch::sizeListFile);
}

std::optional<QStringList> sizeListItems(const ChosenSettings& chosen)
{
    if (chosen.listFolder.isEmpty())
        return batch::numberedItems(batch::defaultSizeLines());
    return batch::listItems(sizeListPath(chosen), batch::defaultSizeLines());
}

} // namespace vardolin::cli
