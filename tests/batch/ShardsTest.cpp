// Shards: every listed file in exactly one shard, decided by the file's own
// copy name whatever else is listed; sources named onto one copy together.

#include "batch/Shards.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace vardolin::batch;

namespace {

const QString root = QStringLiteral("/srv/Fotos/");

// Mode 3 naming: the copy goes into komp/ beside the source.
QString copyOf(const QString& source)
{
    const qsizetype slash = source.lastIndexOf(u'/');
    QString base = source.mid(slash + 1);
    base.truncate(base.lastIndexOf(u'.'));
    return source.left(slash + 1) + QStringLiteral("komp/!k_") + base + QStringLiteral("_k!.JPG");
}

QStringList listing(int files)
{
    QStringList list;
    for (int i = 0; i < files; ++i)
        list.append(root + QStringLiteral("%1/IMG_%2.jpg").arg(i % 7).arg(i, 4, 10, QChar(u'0')));
    return list;
}

TEST(Shards, EveryFileIsInExactlyOneShardWhateverElseIsListed)
{
    const QStringList all = listing(400);
    constexpr int count = 4;
    QSet<QString> seen;
    for (int k = 0; k < count; ++k) {
        const QStringList mine = filesOfShard(all, copyOf, root, {k, count});
        EXPECT_GT(mine.size(), 400 / count / 2) << "shard " << k << " is far below its share";
        for (const QString& file : mine) {
            EXPECT_FALSE(seen.contains(file)) << file.toStdString();
            seen.insert(file);
            // A shard that lists only part of the tree, or more of it, decides alike.
            EXPECT_EQ(filesOfShard({file}, copyOf, root, {k, count}), QStringList{file});
        }
    }
    EXPECT_EQ(seen.size(), all.size());
}

TEST(Shards, TheShardFollowsTheNameBelowTheRootOnEveryMachine)
{
    for (const QString& name : {QStringLiteral("2019/komp/!k_IMG_1_k!.JPG"), QStringLiteral("a/b/c.PNG")}) {
        const int here = shardOfCopy(root + name, root, 16);
        EXPECT_EQ(shardOfCopy(QStringLiteral("/mnt/nas/") + name, QStringLiteral("/mnt/nas/"), 16), here);
        QString windows = QStringLiteral("D:\\Fotos\\") + name;
        windows.replace(u'/', u'\\');
        EXPECT_EQ(shardOfCopy(windows, QStringLiteral("d:\\fotos\\"), 16), here);
    }
}

TEST(Shards, SourcesNamedOntoOneCopyShareTheirShard)
{
    // Mode 4 without structure: every IMG.jpg becomes Klein/!k_IMG_k!.JPG.
    const auto intoOneFolder = [](const QString& source) {
        QString base = source.mid(source.lastIndexOf(u'/') + 1);
        base.truncate(base.lastIndexOf(u'.'));
        return QStringLiteral("/srv/Klein/!k_") + base + QStringLiteral("_k!.JPG");
    };
    QStringList files;
    for (int i = 0; i < 40; ++i)
        files << root + QStringLiteral("%1/IMG.jpg").arg(i) << root + QStringLiteral("%1/other%1.jpg").arg(i);
    for (int k = 0; k < 8; ++k) {
        const QStringList mine = filesOfShard(files, intoOneFolder, QStringLiteral("/srv/Klein/"), {k, 8});
        const qsizetype same = std::count_if(mine.begin(), mine.end(),
                                             [](const QString& f) { return f.endsWith(QStringLiteral("/IMG.jpg")); });
        EXPECT_TRUE(same == 0 || same == 40) << "shard " << k << " holds " << same << " of the 40";
    }
}

} // namespace
