// The same run again and again over a tree where its copies land among its
// sources: every run after the first converts only what is missing, and a
// copy is never taken for a source.

#include "batch/BatchRun.h"

#include "BatchTesting.h"
#include "batch/SourceScan.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::writePicture;

namespace {

class ReRuns : public fixture::BatchFolder, public ::testing::WithParamInterface<std::tuple<int, bool, int>> {};

TEST_P(ReRuns, ConvertOnlyWhatIsMissingAndNeverACopyOfACopy)
{
    const auto [mode, subfolders, jobs] = GetParam();
    writePicture(source + QStringLiteral("a.jpg"), 40, 30);
    writePicture(source + QStringLiteral("b.png"), 30, 40, picture::Format::Png);
    writePicture(source + QStringLiteral("Urlaub/c.jpg"), 40, 30);
    settings.BildDatei = QStringLiteral("*");
    settings.AusgabeOrdner = QString::number(mode);
    settings.MitUnterordner = subfolders ? QStringLiteral("1") : QStringLiteral("0");
    if (mode == 4) {
        // Targets a listing finds: the source folder itself, or a folder in
        // the tree that takes the source's structure.
        settings.ZielVerz = subfolders ? source + QStringLiteral("Klein/") : source;
        settings.CBZielVerzPlus = subfolders ? QStringLiteral("1") : QStringLiteral("0");
    }
    options.jobs = jobs;
    const qint64 sources = subfolders ? 3 : 2;

    EXPECT_EQ(BilderVerarbeiten(settings, host, options).written, sources);
    const auto afterFirst = fixture::snapshot(root);
    const bool copiesListed = mode != 3 || subfolders;
    EXPECT_EQ(scanSources(scanRequestFrom(settings)).found, copiesListed ? 2 * sources : sources);

    for (int again = 0; again < 2; ++again) {
        const RunReport report = BilderVerarbeiten(settings, host, options);
        EXPECT_EQ(report.count, sources);
        EXPECT_EQ(report.written, 0);
        EXPECT_EQ(report.skipped, sources);
        EXPECT_EQ(fixture::snapshot(root), afterFirst);
    }
    settings.CBZielUeberschreiben = QStringLiteral("1");
    const RunReport overwriting = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(overwriting.count, sources);
    EXPECT_EQ(overwriting.written, sources);
    EXPECT_EQ(fixture::snapshot(root), afterFirst) << "the same copies, and no other";
    EXPECT_TRUE(host.logLines.isEmpty()) << host.logLines.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(ModesSubfoldersWorkers, ReRuns,
                         ::testing::Combine(::testing::Values(1, 2, 3, 4), ::testing::Bool(), ::testing::Values(1, 2)));

} // namespace
