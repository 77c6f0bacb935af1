#include "picture/formats/OutputFile.h"

#include <system_error>

namespace vardolin::picture {

OutputFile::OutputFile(const std::filesystem::path& path) : path_(path)
{
#ifdef _WIN32
    file_ = _wfopen(path.c_str(), L"wb"); // wide names: any character a Windows path may hold
#else
    file_ = std::fopen(path.c_str(), "wb");
#endif
}

OutputFile::~OutputFile()
{
    if (file_ == nullptr)
        return; // never opened, or finished and kept
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

Result<void> OutputFile::finish()
{
    if (file_ == nullptr)
        return fail("cannot create the file");
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (flushed && closed)
        return {};
    // Closed already: remove the partial file here, the destructor has no handle left.
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    return fail("writing the file failed");
}

} // namespace vardolin::picture
