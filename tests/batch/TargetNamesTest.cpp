#include "batch/TargetNames.h"

#include "BatchTesting.h"
#include "util/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::batch;

namespace {

TargetChoice defaultChoice(int mode)
{
    Settings settings;
    settings.AusgabeOrdner = QString::number(mode);
    settings.QuellVerz = QStringLiteral("/home/u/Fotos/");
    settings.ZielVerz = QStringLiteral("/home/u/Klein/");
    return targetChoiceFrom(settings, QString());
}

TEST(TargetNames, WorkedExamplesOfEveryMode)
{
    const QString source = QStringLiteral("/home/u/Fotos/IMG_01.jpg");
    EXPECT_EQ(zielName(source, defaultChoice(1)).name, QStringLiteral("/home/u/Fotos/!k_IMG_01.jpg.jpg"));
    EXPECT_EQ(zielName(source, defaultChoice(2)).name, QStringLiteral("/home/u/Fotos/IMG_01_k!.jpg"));
    EXPECT_EQ(zielName(source, defaultChoice(3)).name, QStringLiteral("/home/u/Fotos/komp/!k_IMG_01_k!.jpg"));
    EXPECT_EQ(zielName(source, defaultChoice(4)).name, QStringLiteral("/home/u/Klein/!k_IMG_01_k!.jpg"));
    EXPECT_TRUE(zielName(source, defaultChoice(4)).folderToCreate.isEmpty());

    TargetChoice structure = defaultChoice(4);
    structure.carryStructure = true;
    structure.targetListItem = QStringLiteral("/Fotos/");
    const TargetName carried = zielName(QStringLiteral("/home/u/Fotos/Urlaub/IMG_02.jpg"), structure);
    EXPECT_EQ(carried.name, QStringLiteral("/home/u/Klein//Fotos/Urlaub/!k_IMG_02_k!.jpg"));
    EXPECT_EQ(carried.folderToCreate, QStringLiteral("/home/u/Klein//Fotos/Urlaub/"));

    structure.targetListItem.clear();
    EXPECT_EQ(zielName(QStringLiteral("/home/u/Fotos/IMG_01.jpg"), structure).name,
              QStringLiteral("/home/u/Klein/!k_IMG_01_k!.jpg"));
    EXPECT_EQ(zielName(QStringLiteral("/home/u/Fotos/Urlaub/IMG_02.jpg"), structure).name,
              QStringLiteral("/home/u/Klein/Urlaub/!k_IMG_02_k!.jpg"));
}

TEST(TargetNames, DotsAndMissingExtensions)
{
    EXPECT_EQ(zielName(QStringLiteral("/f/a.b.c.jpg"), defaultChoice(2)).name, QStringLiteral("/f/a.b.c_k!.jpg"));
    EXPECT_EQ(zielName(QStringLiteral("/f/Notiz"), defaultChoice(2)).name, QStringLiteral("/f/Notiz_k!."));
    EXPECT_EQ(zielName(QStringLiteral("C:\\Fotos\\IMG_01.jpg"), defaultChoice(1)).name,
              QStringLiteral("C:\\Fotos\\!k_IMG_01.jpg.jpg"));
}

TEST(TargetNames, ModeOutsideOneToFourActsAsModeOne)
{
    for (const char* mode : {"0", "5", "x", ""}) {
        Settings settings;
        settings.AusgabeOrdner = QString::fromLatin1(mode);
        EXPECT_EQ(targetChoiceFrom(settings, {}).mode, 1) << mode;
    }
}

TEST(TargetNames, TargetListItemsShortestFirstWithEitherSeparator)
{
    const QStringList expected{QString(), QStringLiteral("/Urlaub/"), QStringLiteral("/2019/Urlaub/"),
                               QStringLiteral("/Fotos/2019/Urlaub/")};
    EXPECT_EQ(FuellenComboZielVerz(QStringLiteral("/Fotos/2019/Urlaub/")), expected);
    EXPECT_EQ(FuellenComboZielVerz(QStringLiteral("C:\\Fotos\\2019\\Urlaub\\")), expected);
    EXPECT_EQ(FuellenComboZielVerz(QString()), QStringList{QString()});
    EXPECT_EQ(FuellenComboZielVerz(QStringLiteral("/")), QStringList{QString()});
}

TEST(TargetNames, FolderPathsAreCreatedLevelByLevel)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    zVerzAnlegen(root + QStringLiteral("/a//b/c/picture.jpg"));
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("/a/b/c")), -2);
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("/a/b/c/picture.jpg")), -1);

    zVerzAnlegen(root + QStringLiteral("\\d\\e\\"));
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("/d/e")), -2);
}

TEST(TargetNames, NewFolderButton)
{
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/");
    fixture::RecordingHost host;

    EXPECT_FALSE(AnlegenNeuerOrdner(target, QString(), host));
    EXPECT_TRUE(AnlegenNeuerOrdner(target, QStringLiteral("Neu"), host));
    EXPECT_EQ(util::sizeTest(target + QStringLiteral("Neu")), -2);
    EXPECT_FALSE(AnlegenNeuerOrdner(target, QStringLiteral("Neu"), host));
    EXPECT_EQ(host.messages, (QStringList{QStringLiteral("Bitte erst neuen Ordner eingeben !"),
                                          QStringLiteral("Neuer Ordner konnte nicht angelegt werden !")}));
}

} // namespace
