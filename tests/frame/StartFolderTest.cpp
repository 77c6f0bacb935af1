#include "frame/StartFolder.h"

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
