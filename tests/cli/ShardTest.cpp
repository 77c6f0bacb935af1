// vardolin-batch --shard: four shards at once on one tree, one of them killed
// with kill -9 part-way and started again, against one run over a copy of
// the tree. The copies must be the same, byte for byte; no copy may be made
// twice; the reports together hold one line per listed file.

#include "CommandEnvironment.h"
#include "batch/BatchTesting.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#ifndef _WIN32
#include <sys/types.h>

using namespace vardolin;
using namespace vardolin::batch::fixture;

namespace {

constexpr int kShards = 4;
constexpr int kKilled = 2;

// A tree of sources in nested folders, each picture of its own size; in one
// folder two sources whose copies share a name (x.jpg and x.JPG).
void makeTree(const QString& fotos)
{
    const QStringList folders{QString(), QStringLiteral("2019/"), QStringLiteral("2019/Urlaub/"),
                              QStringLiteral("2020/Tag 1/")};
    int i = 0;
    for (const QString& folder : folders) {
        for (int k = 0; k < 10; ++k, ++i)
            writePicture(fotos + folder + QStringLiteral("IMG_%1.jpg").arg(k), 1200 + 8 * i, 900);
    }
    writePicture(fotos + QStringLiteral("2019/IMG_3.JPG"), 640, 480);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("2019/notes.txt"), "not a picture"));
}

// The copies below folder: path below it → bytes. Sources are left out.
QMap<QString, QByteArray> copiesBelow(const QString& folder)
{
    QMap<QString, QByteArray> copies;
    for (auto [path, bytes] : snapshot(folder).asKeyValueRange()) {
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith(QStringLiteral("!k_")))
            copies.insert(path.mid(folder.size()), bytes);
    }
    return copies;
}

// Every line of a report, each of which must be a whole JSON object.
QList<QJsonObject> reportLines(const QString& file)
{
    QList<QJsonObject> lines;
    for (const QByteArray& line : readBytes(file).split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        EXPECT_TRUE(document.isObject()) << "not a whole line: " << line.toStdString();
        lines.append(document.object());
    }
    return lines;
}

struct Layout {
    const char* name;
    QStringList options; // besides --shard and --report
    QString copies;      // the folder below which the copies land, below the work folder
};

class Shards : public ::testing::TestWithParam<int> {
protected:
    QTemporaryDir dir;
    QString work = dir.path() + QStringLiteral("/");

    Layout layout(const QString& tree) const
    {
        const QStringList common{QStringLiteral("--size=800,600"), QStringLiteral("--subfolders"),
                                 QStringLiteral("--jobs=1")};
        if (GetParam() == 3)
            return {"mode 3", common + QStringList{QStringLiteral("--mode=3"), tree + QStringLiteral("fotos/")},
                    tree + QStringLiteral("fotos/")};
        return {"mode 4",
                common
                    + QStringList{QStringLiteral("--target"), tree + QStringLiteral("klein"),
                                  QStringLiteral("--structure"), tree + QStringLiteral("fotos/")},
                tree + QStringLiteral("klein/")};
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(work);
        process->setProcessEnvironment(cli::testing::commandEnvironment(work + QStringLiteral("home/")));
        process->start(QStringLiteral(VARDOLIN_BATCH_EXE), arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    QStringList shardArguments(const Layout& l, int k, const QString& report) const
    {
        return QStringList{QStringLiteral("--shard"), QStringLiteral("%1/%2").arg(k).arg(kShards),
                           QStringLiteral("--report"), report}
               + l.options;
    }
};

TEST_P(Shards, TogetherTheyMakeWhatOneRunMakesEvenWhenOneIsKilledAndRunAgain)
{
    const QString one = work + QStringLiteral("one/");
    const QString split = work + QStringLiteral("split/");
    makeTree(one + QStringLiteral("fotos/"));
    makeTree(split + QStringLiteral("fotos/"));

    auto single =
        start(QStringList{QStringLiteral("--report"), work + QStringLiteral("one.jsonl")} + layout(one).options);
    ASSERT_TRUE(single->waitForFinished(300000));
    ASSERT_EQ(single->exitCode(), 0) << single->readAllStandardError().toStdString();
    const QMap<QString, QByteArray> expected = copiesBelow(layout(one).copies);
    const qsizetype listed = reportLines(work + QStringLiteral("one.jsonl")).size();
    ASSERT_EQ(listed, 42);
    ASSERT_EQ(expected.size(), 40) << "two sources share one copy, and notes.txt is not written";

    const Layout l = layout(split);
    std::vector<std::unique_ptr<QProcess>> shards;
    for (int k = 0; k < kShards; ++k)
        shards.push_back(start(shardArguments(l, k, work + QStringLiteral("shard-%1.jsonl").arg(k))));
    // Kill one shard once it has finished its first file.
    const QString killedReport = work + QStringLiteral("shard-%1.jsonl").arg(kKilled);
    for (int waited = 0; waited < 120000 && readBytes(killedReport).isEmpty(); waited += 2)
        QThread::msleep(2);
    ::kill(pid_t(shards[kKilled]->processId()), SIGKILL);
    for (auto& shard : shards)
        ASSERT_TRUE(shard->waitForFinished(300000));
    ASSERT_EQ(shards[kKilled]->exitStatus(), QProcess::CrashExit) << "the shard ended before the kill";
    for (int k = 0; k < kShards; ++k) {
        if (k != kKilled) {
            EXPECT_EQ(shards[k]->exitCode(), 0) << shards[k]->readAllStandardError().toStdString();
        }
    }
    EXPECT_LT(reportLines(killedReport).size(), listed);

    auto again = start(shardArguments(l, kKilled, work + QStringLiteral("again.jsonl")));
    ASSERT_TRUE(again->waitForFinished(300000));
    EXPECT_EQ(again->exitCode(), 0) << again->readAllStandardError().toStdString();

    EXPECT_EQ(copiesBelow(l.copies), expected);
    EXPECT_TRUE(temporariesBelow(split).isEmpty());

    // Each source once in the finished shards' and the re-run's reports; no
    // copy written twice over all reports, the killed one's included.
    QMap<QString, int> sources;
    QMap<QString, int> writes;
    for (const QString& report : {QStringLiteral("shard-0"), QStringLiteral("shard-1"), QStringLiteral("shard-2"),
                                  QStringLiteral("shard-3"), QStringLiteral("again")}) {
        for (const QJsonObject& line : reportLines(work + report + QStringLiteral(".jsonl"))) {
            if (report != QStringLiteral("shard-2"))
                ++sources[line[QStringLiteral("source")].toString()];
            if (line[QStringLiteral("outcome")].toString() == QStringLiteral("written"))
                ++writes[line[QStringLiteral("copy")].toString()];
        }
    }
    EXPECT_EQ(sources.size(), listed) << QStringList(sources.keys()).join(u'\n').toStdString();
    for (auto [source, count] : sources.asKeyValueRange())
        EXPECT_EQ(count, 1) << source.toStdString();
    for (auto [copy, count] : writes.asKeyValueRange())
        EXPECT_EQ(count, 1) << copy.toStdString();
    EXPECT_LE(writes.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Modes, Shards, ::testing::Values(3, 4),
                         [](const auto& info) { return QStringLiteral("Mode%1").arg(info.param).toStdString(); });

} // namespace

#endif // signals are POSIX
