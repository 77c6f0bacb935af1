#include "frame/StartFolder.h"

#include "FakeSurroundings.h"
#include "frame/SettingsFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::frame;

namespace {

QString withSeparator(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path)) + QDir::separator();
}

} // namespace

TEST(PathArgument, FolderPartBecomesSourceAndFilePartPattern)
{
    Settings settings;
    settings.QuellVerz = QStringLiteral("/alt/");
    applyPathArgument(settings, QString());
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("/alt/")) << "no argument keeps the settings";
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.jpg"));

    applyPathArgument(settings, QStringLiteral("/home/u/Fotos/"));
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("/home/u/Fotos/"));
    EXPECT_TRUE(settings.BildDatei.isEmpty());

    applyPathArgument(settings, QStringLiteral("bild.png"));
    EXPECT_TRUE(settings.QuellVerz.isEmpty());
    EXPECT_EQ(settings.BildDatei, QStringLiteral("bild.png"));

    applyPathArgument(settings, QStringLiteral("C:\\Bilder\\*.png"));
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("C:\\Bilder\\"));
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.png"));

    applyPathArgument(settings, QStringLiteral("/gibt/es/nicht/*.png"));
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("/gibt/es/nicht/")) << "taken even when missing";
}

TEST(SourceFolderCheck, AnythingButAnExistingFolderBecomesTheWorkingFolder)
{
    QTemporaryDir dir;
    const QString working = withSeparator(dir.path());
    Settings settings;
    settings.QuellVerz = working;
    checkSourceFolder(settings, QStringLiteral("/anders/"));
    EXPECT_EQ(settings.QuellVerz, working);

    QFile file(dir.filePath(QStringLiteral("datei.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& stored : {QString(), file.fileName(), dir.filePath(QStringLiteral("weg/"))}) {
        settings.QuellVerz = stored;
        checkSourceFolder(settings, working);
        EXPECT_EQ(settings.QuellVerz, working) << stored.toStdString();
    }
}

TEST(PathArgument, AFolderOnTheDiskIsRecognisedBeforeThePathIsSplit)
{
    QTemporaryDir dir;
    const QString top = QDir::cleanPath(dir.path());
    const QString bar = top + QStringLiteral("/x|y");
    ASSERT_TRUE(QDir().mkpath(bar));
    Settings settings;
    applyPathArgument(settings, bar + QStringLiteral("/*.jpg"));
    EXPECT_EQ(settings.QuellVerz, bar + QStringLiteral("/"));
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.jpg"));

    // A path that names a folder is that folder, with or without a separator.
    for (const QString& folder : {bar, bar + QStringLiteral("/")}) {
        settings.BildDatei = QStringLiteral("*.jpg");
        applyPathArgument(settings, folder);
        EXPECT_EQ(settings.QuellVerz, bar + QStringLiteral("/"));
        EXPECT_TRUE(settings.BildDatei.isEmpty());
    }

    applyPathArgument(settings, top + QStringLiteral("/*.jpg|*.png"));
    EXPECT_EQ(settings.QuellVerz, top + QStringLiteral("/"));
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.jpg|*.png"));

    // A folder part that is no folder on the disk follows the splitting rules.
    applyPathArgument(settings, top + QStringLiteral("/*.jpg|/gibt/es/nicht/*.png"));
    EXPECT_EQ(settings.QuellVerz, top + QStringLiteral("/"));
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.png"));
}

// The settings live beside the program only where a settings file says so;
// started from the menu (in the home folder) the program keeps them in the
// user's configuration folder.
TEST(SettingsFolderRule, TheWorkingFolderOnlyWhenItHoldsTheSettingsFile)
{
    QTemporaryDir dir;
    const QString working = withSeparator(dir.path() + QStringLiteral("/arbeit"));
    ASSERT_TRUE(QDir().mkpath(working));
    frame::testing::FakeEnvironment environment;
    environment.variables["HOME"] = QStringLiteral("/home/anna");
    environment.variables["XDG_CONFIG_HOME"] = QStringLiteral("/etc/anna");

    SettingsFolder found = settingsFolderFor(working, environment);
    EXPECT_EQ(found.folder, QStringLiteral("/etc/anna/vardolin/"));
    EXPECT_TRUE(found.isUserConfig);
    environment.variables["XDG_CONFIG_HOME"] = QStringLiteral("relativ/config");
    EXPECT_EQ(settingsFolderFor(working, environment).folder, QStringLiteral("/home/anna/.config/vardolin/"))
        << "a relative XDG_CONFIG_HOME is no folder to rely on";

    frame::testing::putFile(working + QStringLiteral("Vardolin.ini"), "");
    found = settingsFolderFor(working, environment);
    EXPECT_EQ(found.folder, working);
    EXPECT_FALSE(found.isUserConfig);

    QFile::remove(working + QStringLiteral("Vardolin.ini"));
    environment.variables.clear();
    EXPECT_EQ(settingsFolderFor(working, environment).folder, working) << "no home: nowhere else to go";
}

// A stored source folder that is gone is replaced by a folder that holds
// pictures, never by the configuration folder.
TEST(SettingsFolderRule, AGoneSourceFolderFallsBackToThePicturesFolder)
{
    QTemporaryDir home;
    const QString pictures = withSeparator(home.path() + QStringLiteral("/Bilder"));
    ASSERT_TRUE(QDir().mkpath(pictures));
    frame::testing::FakeEnvironment environment;
    environment.variables["HOME"] = home.path();
    FrameContext context;
    context.uAktVerz = withSeparator(home.path() + QStringLiteral("/.config/vardolin"));
    context.settingsInUserConfig = true;
    Settings settings;
    settings.QuellVerz = home.path() + QStringLiteral("/weg/");

    takeStartFolder(settings, sourceFallbackFolder(context, environment), QString());
    EXPECT_EQ(settings.QuellVerz, withSeparator(home.path())) << "no pictures folder named: home";

    ASSERT_TRUE(QDir().mkpath(home.path() + QStringLiteral("/.config")));
    frame::testing::putFile(home.path() + QStringLiteral("/.config/user-dirs.dirs"),
                            "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Fotos\"\n"
                            "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    settings.QuellVerz = home.path() + QStringLiteral("/weg/");
    takeStartFolder(settings, sourceFallbackFolder(context, environment), QString());
    EXPECT_EQ(settings.QuellVerz, pictures);

    context.settingsInUserConfig = false;
    context.uAktVerz = QStringLiteral("/arbeit/");
    EXPECT_EQ(sourceFallbackFolder(context, environment), QStringLiteral("/arbeit/")) << "started beside its settings";
}
