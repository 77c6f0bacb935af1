// Names read from the disk reach their files and give their copies' names
// whole: a "|" or double quote in a name, a folder name that ends in a blank,
// a name that is not UTF-8.

#include "batch/BatchRun.h"

#include "BatchTesting.h"
#include "util/FileNames.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::pictureSize;
using fixture::writePicture;
using picture::Size;

namespace {

class DiskNames : public fixture::BatchFolder {
protected:
    void SetUp() override
    {
        BatchFolder::SetUp();
        settings.MitUnterordner = QStringLiteral("1");
    }
    void TearDown() override { fixture::removeAllBelow(root); }
    void picture(const QString& relative, int width = 40, int height = 30)
    {
        writePicture(source + relative, width, height);
    }
    RunReport run()
    {
        const auto before = fixture::snapshot(source);
        const RunReport report = BilderVerarbeiten(settings, host, options);
        EXPECT_TRUE(fixture::unchanged(before)) << "an original changed";
        EXPECT_EQ(report.failed, 0) << host.logLines.join(u'\n').toStdString();
        return report;
    }
    static bool isFile(const QByteArray& path)
    {
        return std::filesystem::is_regular_file(std::string(path.constData(), std::size_t(path.size())));
    }
};

TEST_F(DiskNames, BarsAndQuotesInNamesStayInTheCopiesNames)
{
    picture(QStringLiteral("x|y/IMG.jpg"));
    picture(QStringLiteral("say \"hi\".jpg"));
    picture(QStringLiteral("say \"ho\".jpg"));
    settings.AusgabeOrdner = QStringLiteral("2");
    const RunReport report = run();
    EXPECT_EQ(report.written, 3);
    EXPECT_EQ(pictureSize(source + QStringLiteral("x|y/IMG_k!.JPG")), (Size{80, 60}));
    EXPECT_EQ(pictureSize(source + QStringLiteral("say \"hi\"_k!.JPG")), (Size{80, 60}));
    EXPECT_EQ(pictureSize(source + QStringLiteral("say \"ho\"_k!.JPG")), (Size{80, 60}));
    EXPECT_EQ(QDir(source).entryList(QDir::Files).size(), 4) << QDir(source).entryList().join(u' ').toStdString();
}

TEST_F(DiskNames, WithAnEmptySuffixAndOverwritingACopyNeverReplacesAnotherOriginal)
{
    // Originals whose names the copies of the other files would have taken
    // if the names were cut at the "|" or the double quote.
    picture(QStringLiteral("x|y/IMG.jpg"));
    picture(QStringLiteral("IMG.JPG"), 300, 200);
    picture(QStringLiteral("say \"hi\".jpg"));
    picture(QStringLiteral("say .JPG"), 300, 200);
    settings.AusgabeOrdner = QStringLiteral("2");
    settings.DateiSuffix.clear();
    settings.CBZielUeberschreiben = QStringLiteral("1");

    const auto before = fixture::snapshot(source);
    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_TRUE(fixture::unchanged(before)) << "an original was replaced";
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.failed, 2) << "IMG.JPG and say .JPG would be their own copies";
    EXPECT_EQ(pictureSize(source + QStringLiteral("x|y/IMG.JPG")), (Size{80, 60}));
    EXPECT_EQ(pictureSize(source + QStringLiteral("say \"hi\".JPG")), (Size{80, 60}));
}

TEST_F(DiskNames, TheFolderMadeIsTheFolderWrittenToWhenItsNameEndsInABlank)
{
    picture(QStringLiteral("a.jpg"));
    picture(QStringLiteral("Urlaub /b.jpg"));
    settings.AusgabeOrdner = QStringLiteral("3");
    settings.ZielSubVerz = QStringLiteral("komp ");
    settings.BildDatei = QStringLiteral("?.jpg");
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        const RunReport report = run();
        EXPECT_FALSE(report.subfolderFailed) << host.messages.join(u'\n').toStdString();
        EXPECT_EQ(report.written + report.skipped, 2);
    }
    EXPECT_EQ(pictureSize(source + QStringLiteral("komp /!k_a_k!.JPG")), (Size{80, 60}));
    EXPECT_EQ(pictureSize(source + QStringLiteral("Urlaub /komp /!k_b_k!.JPG")), (Size{80, 60}));
    EXPECT_FALSE(QFileInfo::exists(source + QStringLiteral("komp")));

    settings.AusgabeOrdner = QStringLiteral("4");
    settings.ZielVerz = root + QStringLiteral("Klein/");
    settings.CBZielVerzPlus = QStringLiteral("1");
    EXPECT_EQ(run().written, 2);
    EXPECT_EQ(pictureSize(root + QStringLiteral("Klein/Urlaub /!k_b_k!.JPG")), (Size{80, 60}));
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("Klein/Urlaub")));
}

#ifndef _WIN32
TEST_F(DiskNames, ANameThatIsNotUtf8ReachesItsFileAndNamesItsCopy)
{
    // Made under their bytes, as an old archive or a network share holds
    // them; the pictures are made under plain names and renamed.
    const QByteArray fotos = QFile::encodeName(source);
    const QByteArray folder = fotos + "Sommer-\xE4\xF6/";
    std::filesystem::create_directories(folder.toStdString());
    picture(QStringLiteral("plain1.jpg"));
    picture(QStringLiteral("plain2.jpg"));
    std::filesystem::rename((fotos + "plain1.jpg").toStdString(), (fotos + "latin1-\xE4\xF6.jpg").toStdString());
    std::filesystem::rename((fotos + "plain2.jpg").toStdString(), (folder + "b\xFC.jpg").toStdString());

    settings.AusgabeOrdner = QStringLiteral("4");
    settings.ZielVerz = root + QStringLiteral("Klein/");
    settings.CBZielVerzPlus = QStringLiteral("1");
    EXPECT_EQ(run().written, 2);
    EXPECT_TRUE(isFile(QFile::encodeName(root) + "Klein/!k_latin1-\xE4\xF6_k!.JPG"));
    EXPECT_TRUE(isFile(QFile::encodeName(root) + "Klein/Sommer-\xE4\xF6/!k_b\xFC_k!.JPG"));

    settings.AusgabeOrdner = QStringLiteral("2");
    EXPECT_EQ(run().written, 2);
    EXPECT_TRUE(isFile(fotos + "latin1-\xE4\xF6_k!.JPG"));
    EXPECT_TRUE(isFile(folder + "b\xFC_k!.JPG"));
}
#endif

} // namespace
