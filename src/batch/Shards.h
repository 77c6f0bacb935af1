#pragma once
// One batch split into N shards that separate processes (on one machine or
// many) run at the same time or one after the other.
//
// A file belongs to the shard that a stable hash of its copy's name picks,
// not to a position in the sorted list: every shard decides alone, from the
// file's own name, whatever the others have written meanwhile (modes 2 and 3
// put copies where a later listing finds them) and however the list has grown.
// Keying by the copy rather than the source keeps the sources named onto one
// copy in one shard, which makes them one after the other in list order as a
// single run does; two shards would race for that copy.

#include <QString>
#include <QStringList>

#include <functional>

namespace vardolin::batch {

struct Shard {
    int index = 0; // K: 0 <= K < count
    int count = 1; // N; 1 takes every file
};

// The shard (0 .. count-1) of a copy: a stable 64-bit hash of its name below
// root (the folder the copies are named under), separators as "/", letter
// case ignored, so the answer is the same on every machine and system.
int shardOfCopy(const QString& copyFile, const QString& root, int count);

// The listed files that belong to shard, in list order. The list holds
// sources only (CopiesOfListed.h): a copy written meanwhile by another shard,
// or by this one before it was stopped, is no source of any shard.
QStringList filesOfShard(const QStringList& files, const std::function<QString(const QString&)>& copyOf,
                         const QString& root, Shard shard);

} // namespace vardolin::batch
