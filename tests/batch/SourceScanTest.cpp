#include "batch/SourceScan.h"

#include "BatchTesting.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::RecordingHost;
using fixture::writeBytes;

namespace {

class SourceScan : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/");

    void file(const char* relative, const QByteArray& bytes = "x")
    {
        ASSERT_TRUE(writeBytes(root + QString::fromUtf8(relative), bytes));
    }
    QStringList relative(const QStringList& files) const
    {
        QStringList names;
        for (const QString& path : files)
            names.append(path.mid(root.size()));
        return names;
    }
    Settings settings(const char* include, const char* exclude, bool subfolders) const
    {
        Settings s;
        s.QuellVerz = root;
        s.BildDatei = QString::fromUtf8(include);
        s.BildDateiEx = QString::fromUtf8(exclude);
        s.MitUnterordner = subfolders ? QStringLiteral("1") : QStringLiteral("0");
        return s;
    }
    QStringList scan(const char* include, const char* exclude, bool subfolders)
    {
        return relative(scanSources(scanRequestFrom(settings(include, exclude, subfolders))).files);
    }
};

TEST_F(SourceScan, SubfoldersAreWalkedOnlyWhenAskedAndFolderNamesNeverMatch)
{
    file("a.jpg");
    file("holiday.jpg/inner.jpg");
    file("deep/er/still/deeper.JPG");
    file("deep/notes.txt");
    EXPECT_EQ(scan("*.jpg", "", false), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(scan("*.jpg", "", true), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("deep/er/still/deeper.JPG"),
                                                    QStringLiteral("holiday.jpg/inner.jpg")}));
}

// Another run writing into the tree (a shard, or a run killed before it
// renamed its copy) leaves temporaries a broad pattern would match.
TEST_F(SourceScan, CopiesBeingWrittenAreNoSources)
{
    file("a.jpg");
    file(".vardolin-999999999-1.part");
    file("komp/.vardolin-4242-7-00000000000000ab-other-host.part");
    const ScanResult result = scanSources(scanRequestFrom(settings("*.*", "", true)));
    EXPECT_EQ(relative(result.files), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(result.count, 1);
    EXPECT_EQ(scan("*", "", true), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(SourceScan, SortIgnoresCase)
{
    file("c.jpg");
    file("B.jpg");
    file("a.jpg");
    EXPECT_EQ(scan("*.jpg", "", false),
              (QStringList{QStringLiteral("a.jpg"), QStringLiteral("B.jpg"), QStringLiteral("c.jpg")}));
}

TEST_F(SourceScan, OnlyTheFilePartOfThePatternsCounts)
{
    file("a.jpg");
    file("b.png");
    EXPECT_EQ(scan("/elsewhere/*.png", "", false), QStringList{QStringLiteral("b.png")});
    EXPECT_EQ(scan("", "", false), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.png")}));
    EXPECT_EQ(scan("*.jpg|*.png", "", false), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.png")}));
}

TEST_F(SourceScan, StarExclusionMatchesFullPaths)
{
    file("keep.jpg");
    file("NoPic1.jpg");
    file("NoPic.jpg");
    file("NoPic/a.jpg");
    const ScanResult result = scanSources(scanRequestFrom(settings("*.jpg", "*NoPic*.jpg", true)));
    EXPECT_EQ(relative(result.files), (QStringList{QStringLiteral("keep.jpg"), QStringLiteral("NoPic.jpg")}));
    EXPECT_EQ(result.found, 4);
    EXPECT_EQ(result.count, 2);
}

TEST_F(SourceScan, NonEmptyMarkerFileExcludesItsFolderOnly)
{
    file("top.jpg");
    file("marked/a.jpg");
    file("marked/b.jpg");
    file("marked/nopic.txt", "marker");
    file("marked/below/c.jpg");
    file("empty/d.jpg");
    file("empty/nopic.txt", "");
    EXPECT_EQ(
        scan("*.jpg", "nopic.txt", true),
        (QStringList{QStringLiteral("empty/d.jpg"), QStringLiteral("marked/below/c.jpg"), QStringLiteral("top.jpg")}));
}

TEST_F(SourceScan, LogLinesCountAndTargetList)
{
    file("sub/Fotos/a.jpg");
    file("sub/Fotos/NoPic1.jpg");
    Settings s = settings("C:\\x\\*.jpg", "*NoPic*.jpg", false);
    s.QuellVerz = root + QStringLiteral("sub/Fotos/");
    RecordingHost host;
    QStringList files;
    EXPECT_EQ(AktionQuelle(-1, s, host, &files), 0);

    const QString ruler(80, u'-');
    EXPECT_EQ(host.logLines, (QStringList{ruler, QStringLiteral("Aufrufs_ReadDirLL mit Parameter"),
                                          QStringLiteral("   Ermittel Dateien aus Pfad :") + s.QuellVerz,
                                          QStringLiteral("   Dateifilter               :*.jpg"),
                                          QStringLiteral("   DateifilterExclude        :*NoPic*.jpg"),
                                          QStringLiteral("   Dateierweiterung          :jpg"),
                                          QStringLiteral("   Unterverzeichnisschalter  :0"),
                                          QStringLiteral("   >>Gefunden Anzahl         :2"), ruler}));
    EXPECT_EQ(host.foundCount, 1);
    EXPECT_EQ(files, QStringList{s.QuellVerz + QStringLiteral("a.jpg")});
    EXPECT_EQ(host.statuses, (QStringList{QStringLiteral("Dateien werden ermittelt, bitte warten ..."),
                                          QStringLiteral("1 Dateien gefunden !")}));
    ASSERT_GE(host.targetItems.size(), 3);
    EXPECT_EQ(host.targetItems[0], QString());
    EXPECT_EQ(host.targetItems[1], QStringLiteral("/Fotos/"));
    EXPECT_EQ(host.targetItems[2], QStringLiteral("/sub/Fotos/"));
}

TEST_F(SourceScan, StoppedScanLogsThatItsCountIsIncomplete)
{
    file("a.jpg");
    const std::atomic_bool stop{true};
    const ScanResult result = scanSources(scanRequestFrom(settings("*.jpg", "", false)), &stop);
    EXPECT_TRUE(result.stopped);
    ASSERT_EQ(result.logLines.size(), 9);
    EXPECT_EQ(result.logLines[7], QStringLiteral("   >>Abgebrochen bei Anzahl  :0"));
    EXPECT_EQ(result.logLines[8], QString(80, u'-'));
}

TEST_F(SourceScan, ChangeEventDoesNotScan)
{
    file("a.jpg");
    RecordingHost host;
    EXPECT_EQ(AktionQuelle(textChangedEvent, settings("*.jpg", "", false), host), 0);
    EXPECT_TRUE(host.statuses.isEmpty());
    EXPECT_TRUE(host.logLines.isEmpty());
    EXPECT_EQ(host.foundCount, -1);
}

TEST_F(SourceScan, MissingFolderFindsNothing)
{
    Settings s = settings("*.jpg", "", true);
    s.QuellVerz = root + QStringLiteral("missing/");
    RecordingHost host;
    AktionQuelle(-1, s, host);
    EXPECT_EQ(host.foundCount, 0);
    EXPECT_EQ(host.statuses.back(), QStringLiteral("0 Dateien gefunden !"));
}

TEST_F(SourceScan, EachRealFolderIsWalkedOnceWhateverLinksLeadToIt)
{
    const auto link = [this](const char* target, const char* at) {
        std::filesystem::create_directory_symlink(target, util::toFsPath(root + QString::fromUtf8(at)));
    };
    file("a/b/pic.jpg");
    link("..", "a/b/loop"); // back to an ancestor
    file("elsewhere/other.jpg");
    link("../elsewhere", "a/linked"); // to a folder the walk reaches anyway
    // Two folders linked to each other, neither an ancestor of the other.
    file("c/one.jpg");
    file("d/two.jpg");
    link("../d", "c/L");
    link("../c", "d/M");
    // A folder outside the tree, reached only through two links.
    QTemporaryDir outside;
    ASSERT_TRUE(writeBytes(outside.path() + QStringLiteral("/far.jpg"), "x"));
    link(outside.path().toUtf8().constData(), "z2");
    link(outside.path().toUtf8().constData(), "z1");

    EXPECT_EQ(scan("*.jpg", "", true),
              (QStringList{QStringLiteral("a/b/pic.jpg"), QStringLiteral("c/one.jpg"), QStringLiteral("d/two.jpg"),
                           QStringLiteral("elsewhere/other.jpg"), QStringLiteral("z1/far.jpg")}));
}

} // namespace
