#pragma once
// Names of files as the disk knows them: a file is named by its folder's real
// path and its own name, so two spellings of one folder (a link, "..") meet.

#include <QString>

#include <filesystem>
#include <map>

namespace vardolin::batch {

class FileIdentities {
public:
    using Identity = std::filesystem::path::string_type;

    // The folder's real path is looked up once per folder; a folder that does
    // not exist yet keeps the part that is missing as it is spelt.
    Identity of(const QString& path);

private:
    std::map<Identity, std::filesystem::path> realFolders_;
};

} // namespace vardolin::batch
