#pragma once
// The one boundary between the program's texts (QString) and the file names
// of the picture engine and the standard library (std::filesystem::path).

#include <QString>

#include <filesystem>

namespace vardolin::batch {

std::filesystem::path toFsPath(const QString& text);
QString fromFsPath(const std::filesystem::path& path);

} // namespace vardolin::batch
