#pragma once
// A target file being written. Unless the writer says it is complete, the file
// is closed and removed when the owner goes away, so a failed encode never
// leaves a partial copy behind. The file is made anew (O_CREAT | O_EXCL):
// whatever already has its name, a file or a link someone planted in a shared
// folder, is neither followed nor written, and the open fails.

#include "picture/Result.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace vardolin::picture {

class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // Why the file could not be made, when it could not.
    std::string whyNotOpen() const;
    std::FILE* handle() { return file_; }
    // Flushes and closes; the file is kept only when that worked.
    Result<void> finish();

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    int openError_ = 0; // errno of a failed open
};

} // namespace vardolin::picture
