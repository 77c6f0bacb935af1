#include "picture/OutputFile.h"

#include <system_error>

namespace vardolin::picture {

OutputFile::OutputFile(const std::filesystem::path& path) : path_(path)
{
    file_ = std::fopen(path.c_str(), "wb");
}

OutputFile::~OutputFile()
{
    if (file_ == nullptr)
        return; // never opened, or finished and kept
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

bool OutputFile::finish()
{
    if (file_ == nullptr)
        return false;
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (flushed && closed)
        return true;
    // Closed already: remove the partial file here, the destructor has no handle left.
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    return false;
}

} // namespace vardolin::picture
