#pragma once
// The files that the entries in progress of a batch run read and write. A
// later entry that would read a file still being written, or write a file
// still being read or written, has to wait until the entry using it is done:
// so a parallel run makes the same copies, with the same outcome, as one
// worker taking the entries in order.

#include "batch/FileIdentity.h"

#include <QString>

#include <set>

namespace vardolin::batch {

class FilesInUse {
public:
    // What one entry uses, each file by its identity on the disk, so two
    // spellings of one folder (a link, "..") meet.
    using Identity = FileIdentities::Identity;
    struct Use {
        Identity source;       // read
        Identity existingName; // read: the overwrite test looks at it
        Identity file;         // written
    };

    Use useOf(const QString& source, const QString& existingName, const QString& file);

    // True while an entry in progress writes a file that use reads or writes,
    // or reads a file that use writes.
    bool conflicts(const Use& use) const;
    void add(const Use& use);
    void remove(const Use& use);

private:
    FileIdentities identities_;
    std::multiset<Identity> read_;
    std::multiset<Identity> written_;
};

} // namespace vardolin::batch
