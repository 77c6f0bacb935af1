#include "picture/formats/OutputFile.h"

#include <cerrno>
#include <system_error>

namespace vardolin::picture {

OutputFile::OutputFile(const std::filesystem::path& path) : path_(path)
{
    errno = 0;
#ifdef _WIN32
    file_ = _wfopen(path.c_str(), L"wbx"); // wide names: any character a Windows path may hold
#else
    file_ = std::fopen(path.c_str(), "wbx");
#endif
    if (file_ == nullptr)
        openError_ = errno;
}

OutputFile::~OutputFile()
{
    if (file_ == nullptr)
        return; // never opened, or finished and kept
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

std::string OutputFile::whyNotOpen() const
{
    if (openError_ == EEXIST)
        return "cannot create the file: something of its name exists";
    if (openError_ != 0)
        return "cannot create the file: " + std::generic_category().message(openError_);
    return "cannot create the file";
}

Result<void> OutputFile::finish()
{
    if (file_ == nullptr)
        return fail(whyNotOpen());
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
