#pragma once
// The files that the entries in progress of a batch run read and write. A
// later entry that would read a file still being written, or write a file
// still being read or written, has to wait until the entry using it is done:
// so a parallel run makes the same copies, with the same outcome, as one
// worker taking the entries in order.

#include <QString>

#include <filesystem>
#include <map>
#include <set>

namespace vardolin::batch {

class FilesInUse {
public:
    // What one entry uses. Files are named by their folder's real path and
    // their own name, so two spellings of one folder (a link, "..") meet.
    using Identity = std::filesystem::path::string_type;
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
    Identity identity(const QString& path);

    std::map<Identity, std::filesystem::path> realFolders_;
    std::multiset<Identity> read_;
    std::multiset<Identity> written_;
};

} // namespace vardolin::batch
