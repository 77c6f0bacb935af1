#include "batch/FilesInUse.h"

namespace vardolin::batch {

FilesInUse::Use FilesInUse::useOf(const QString& source, const QString& existingName, const QString& file)
{
    return {identities_.of(source), identities_.of(existingName), identities_.of(file)};
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
