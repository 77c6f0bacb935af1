#include "batch/FileIdentity.h"

#include "util/FileNames.h"

#include <system_error>

namespace fs = std::filesystem;

namespace vardolin::batch {

FileIdentities::Identity FileIdentities::of(const QString& path)
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

} // namespace vardolin::batch
