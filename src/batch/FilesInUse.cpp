#include "batch/FilesInUse.h"

#include "util/FileNames.h"

#include <system_error>

namespace fs = std::filesystem;

namespace vardolin::batch {

// The folder's real path is looked up once per folder; a folder that does
// not exist yet keeps the part that is missing as it is spelt.
FilesInUse::Identity FilesInUse::identity(const QString& path)
{
    const fs::path given = util::toFsPath(path);
    const fs::path folder = given.has_parent_path() ? given.parent_path() : fs::path(".");
    auto known = realFolders_.find(folder.native());
    if (known == realFolders_.end()) {
        std::error_code error;
        fs::path real = fs::weakly_canonical(folder, error);
        if (error)
            real = folder.lexically_normal();
        known = realFolders_.emplace(folder.native(), std::move(real)).first;
    }
    return (known->second / given.filename()).native();
}

FilesInUse::Use FilesInUse::useOf(const QString& source, const QString& existingName, const QString& file)
{
    return {identity(source), identity(existingName), identity(file)};
}

bool FilesInUse::conflicts(const Use& use) const
{
    return written_.count(use.source) != 0 || written_.count(use.existingName) != 0 || written_.count(use.file) != 0
           || read_.count(use.file) != 0;
}

void FilesInUse::add(const Use& use)
{
    read_.insert(use.source);
    read_.insert(use.existingName);
    written_.insert(use.file);
}

void FilesInUse::remove(const Use& use)
{
    read_.erase(read_.find(use.source));
    read_.erase(read_.find(use.existingName));
    written_.erase(written_.find(use.file));
}

} // namespace vardolin::batch
