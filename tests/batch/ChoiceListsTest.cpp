#include "batch/ChoiceLists.h"

#include "BatchTesting.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace vardolin::batch;
using vardolin::batch::fixture::readBytes;
using vardolin::batch::fixture::RecordingHost;
using vardolin::batch::fixture::writeBytes;

namespace {

TEST(ChoiceLists, MissingFilesAreWrittenByteExactThenLoaded)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    RecordingHost host;

    EXPECT_EQ(FuelleComboGroesse(folder, host).result, -1);
    EXPECT_EQ(readBytes(folder + QStringLiteral("Vardolin_size.txt")),
              QByteArray("400,300\r\n500,375\r\n640,480\r\n768,1024\r\n800,600\r\n1024,768\r\n"
                         "1152,864\r\n1280,720\r\n1280,768\r\n1280,1024\r\n\r\n"));
    const ListFill sizes = FuelleComboGroesse(folder, host);
    EXPECT_EQ(sizes.result, 1);
    ASSERT_EQ(sizes.items.size(), 10);
    EXPECT_EQ(sizes.items.front(), QStringLiteral("1-400,300"));
    EXPECT_EQ(sizes.items.back(), QStringLiteral("10-1280,1024"));

    const ListFill qualities = fillListLoadingDefaults(&FuelleComboQualitaet, folder, host);
    EXPECT_EQ(qualities.result, 1);
    ASSERT_EQ(qualities.items.size(), 11);
    EXPECT_EQ(qualities.items[6], QStringLiteral("7-standard Qualität"));
    const QByteArray quality = readBytes(folder + QStringLiteral("Vardolin_quali.txt"));
    EXPECT_TRUE(quality.startsWith("schlechteste Qualit\xc3\xa4t\r\n")); // UTF-8, no byte-order mark
    EXPECT_TRUE(quality.endsWith("beste Qualit\xc3\xa4t\r\n\r\n"));
    EXPECT_TRUE(host.messages.isEmpty());
}

// Windows started at once in one folder each make the missing file or find
// it made; none may read it while another is still writing it.
TEST(ChoiceLists, ProgramsStartingAtOnceEachLoadTheWholeDefaultList)
{
    for (int round = 0; round < 20; ++round) {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/");
        std::vector<ListFill> fills(8);
        std::vector<std::thread> starts;
        for (ListFill& fill : fills)
            starts.emplace_back([&folder, &fill] {
                RecordingHost host;
                fill = fillListLoadingDefaults(&FuelleComboGroesse, folder, host);
            });
        for (std::thread& start : starts)
            start.join();
        for (const ListFill& fill : fills)
            ASSERT_EQ(fill.items.size(), 10) << "round " << round;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Vardolin_size.txt")})
            << "no temporary file is left";
    }
}

TEST(ChoiceLists, BlankLinesAreNotNumbered)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    ASSERT_TRUE(writeBytes(folder + QStringLiteral("Vardolin_size.txt"), "800,600\r\n\r\n\n1024,768\n\r\n640,480"));
    RecordingHost host;
    EXPECT_EQ(FuelleComboGroesse(folder, host).items,
              (QStringList{QStringLiteral("1-800,600"), QStringLiteral("2-1024,768"), QStringLiteral("3-640,480")}));
}

TEST(ChoiceLists, UnreadableAndUnwritableFileIsToldAndLeavesTheListEmpty)
{
    QTemporaryDir dir;
    const QString blocked = dir.path() + QStringLiteral("/file");
    ASSERT_TRUE(writeBytes(blocked, "not a folder"));
    RecordingHost host;
    const ListFill fill = FuelleComboGroesse(blocked + QStringLiteral("/"), host);
    EXPECT_EQ(fill.result, 1);
    EXPECT_TRUE(fill.items.isEmpty());
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("Datei:Vardolin_size.txt konnte nicht geöffnet werden !")});
}

TEST(ChoiceLists, ChosenSizeReadsTheTextBetweenTheDashes)
{
    EXPECT_EQ(chosenSize(QStringLiteral("5-800,600")), (ChosenSize{800, 600}));
    EXPECT_EQ(chosenSize(QStringLiteral("1-800,600,extra")), (ChosenSize{800, 600}));
    EXPECT_EQ(chosenSize(QStringLiteral("1-800-600")), (ChosenSize{800, 0}));
    EXPECT_EQ(chosenSize(QStringLiteral("1-800")), (ChosenSize{800, 0}));
    EXPECT_EQ(chosenSize(QStringLiteral("1- 768,$400")), (ChosenSize{768, 1024}));
    EXPECT_EQ(chosenSize(QStringLiteral("1-abc,def")), (ChosenSize{0, 0}));
    EXPECT_EQ(chosenSize(QString()), (ChosenSize{0, 0}));
}

} // namespace
