#pragma once
// Readers that only take a path get the fuzz input through one scratch file
// per process, rewritten for every input. It lives in the temporary folder
// and is removed when the process ends normally.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace vardolin::fuzz {

class ScratchFile {
public:
    explicit ScratchFile(const std::string& suffix)
        : path_(std::filesystem::temp_directory_path() / ("vardolin-fuzz-" + std::to_string(::getpid()) + suffix))
    {
    }
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    bool write(const std::uint8_t* data, std::size_t size) const
    {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr)
            return false;
        const bool complete = size == 0 || std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && complete;
    }

private:
    std::filesystem::path path_;
};

} // namespace vardolin::fuzz
