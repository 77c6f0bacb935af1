#pragma once
// A target file being written. Unless the writer says it is complete, the file
// is closed and removed when the owner goes away, so a failed encode never
// leaves a partial copy behind.

#include "picture/Result.h"

#include <cstdio>
#include <filesystem>

namespace vardolin::picture {

class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::FILE* handle() { return file_; }
    // Flushes and closes; the file is kept only when that worked.
    Result<void> finish();

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
};

} // namespace vardolin::picture
