#include "batch/Shards.h"

#include <cstdint>

namespace vardolin::batch {
namespace {

// FNV-1a over the bytes, then a finaliser that spreads every input bit over
// the low bits the modulo keeps.
std::uint64_t stableHash(const QByteArray& bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : bytes) {
        hash ^= std::uint8_t(byte);
        hash *= 0x100000001b3u;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdu;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53u;
    hash ^= hash >> 33;
    return hash;
}

QString sameSeparators(QString path)
{
    path.replace(u'\\', u'/');
    return path;
}

} // namespace

int shardOfCopy(const QString& copyFile, const QString& root, int count)
{
    if (count <= 1)
        return 0;
    const QString file = sameSeparators(copyFile.toLower());
    const QString base = sameSeparators(root.toLower());
    const QString key = !base.isEmpty() && file.startsWith(base) ? file.mid(base.size()) : file;
    return int(stableHash(key.toUtf8()) % std::uint64_t(count));
}

QStringList filesOfShard(const QStringList& files, const std::function<QString(const QString&)>& copyOf,
                         const QString& root, Shard shard)
{
    QStringList mine;
    for (const QString& file : files) {
        if (shardOfCopy(copyOf(file), root, shard.count) == shard.index)
            mine.append(file);
    }
    return mine;
}

} // namespace vardolin::batch
