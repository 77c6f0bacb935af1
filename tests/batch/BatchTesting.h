#pragma once
// Helpers of the batch tests: a host that records what the batch layer tells
// it, real folder trees and real pictures made by the engine.

#include "batch/BatchHost.h"
#include "batch/BatchRun.h"
#include "frame/Settings.h"
#include "picture/Picture.h"
#include "util/FileNames.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <stdexcept>

#include <gtest/gtest.h>

namespace vardolin::batch::fixture {

class RecordingHost : public BatchHost {
public:
    QStringList statuses;
    QStringList messages;
    QStringList logLines;
    qint64 foundCount = -1;
    QStringList targetItems;
    QString sizeItem = QStringLiteral("1-80,60");
    QString targetItem;
    qint64 lastFinished = 0;
    qint64 lastCount = 0;
    // Asks to stop once this many files have finished (never when negative).
    qint64 stopAfter = -1;

    // Called with every status text, to change the disk while a run goes on.
    std::function<void(const QString&)> onStatus;

    void statusText(const QString& text) override
    {
        statuses.append(text);
        if (onStatus)
            onStatus(text);
    }
    void showMessage(const QString& text) override { messages.append(text); }
    void logLine(const QString& line) override { logLines.append(line); }
    QString sizeItemText() override { return sizeItem; }
    QString targetListText() override { return targetItem; }
    void setFoundCount(qint64 count) override { foundCount = count; }
    void setTargetListItems(const QStringList& items) override { targetItems = items; }
    bool stopRequested() override { return stopAfter >= 0 && lastFinished >= stopAfter; }
    void progress(qint64 finished, qint64 count) override
    {
        lastFinished = finished;
        lastCount = count;
    }
};

// The helpers that touch files take names as the program does: any name
// read from the disk, whether UTF-8 or not, reaches its file (FileNames.h).
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(util::toFsPath(path).parent_path(), error);
    std::ofstream file(util::toFsPath(path), std::ios::binary | std::ios::trunc);
    return file.write(bytes.constData(), bytes.size()).good();
}

inline QByteArray readBytes(const QString& path)
{
    std::ifstream file(util::toFsPath(path), std::ios::binary);
    if (!file)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

inline bool isFile(const QString& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(util::toFsPath(path), error);
}

// A picture with a gradient, so that encoders have something to encode.
inline picture::Picture gradientPicture(int width, int height)
{
    picture::Picture made;
    made.width = width;
    made.height = height;
    made.depth = 24;
    made.sourceDepth = 24;
    made.format = picture::Format::Bmp;
    made.fullSize = {width, height};
    made.stride = picture::strideFor(width, 24);
    made.pixels.assign(std::size_t(made.stride) * std::size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = made.row(y) + x * 3;
            pixel[0] = std::uint8_t(x * 255 / std::max(1, width - 1));
            pixel[1] = std::uint8_t(y * 255 / std::max(1, height - 1));
            pixel[2] = std::uint8_t((x + y) & 0xff);
        }
    }
    return made;
}

// Writes a real picture file; the format is chosen by the caller, not by
// the name, so a .jpeg or .tif name can hold JPEG data.
inline void writePicture(const QString& path, int width, int height, picture::Format format = picture::Format::Jpeg)
{
    std::error_code error;
    std::filesystem::create_directories(util::toFsPath(path).parent_path(), error);
    const auto saved = picture::savePicture(gradientPicture(width, height), util::toFsPath(path), format,
                                            format == picture::Format::Jpeg ? 8 : 7);
    if (!saved.ok())
        throw std::runtime_error("test picture not written: " + saved.error());
}

// Copies a picture fixture (tests/data/picture/) to path.
inline void copyPictureFixture(const QString& name, const QString& path)
{
    const QByteArray bytes = readBytes(QStringLiteral(VARDOLIN_TEST_DATA "/picture/") + name);
    if (bytes.isEmpty() || !writeBytes(path, bytes))
        throw std::runtime_error("fixture not copied: " + name.toStdString());
}

inline picture::Size pictureSize(const QString& path)
{
    const auto loaded = picture::loadPicture(util::toFsPath(path));
    return loaded.ok() ? picture::Size{loaded->picture.width, loaded->picture.height} : picture::Size{};
}

// The bytes of every file below folder, by path, to show afterwards that no
// source was touched.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(util::toFsPath(folder), error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error))
            files.insert(util::fromFsPath(it->path()), readBytes(util::fromFsPath(it->path())));
    }
    return files;
}

// True when every file of before is still there with the same bytes.
inline bool unchanged(const QMap<QString, QByteArray>& before)
{
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (readBytes(it.key()) != it.value() || !isFile(it.key()))
            return false;
    }
    return true;
}

// Files below folder whose names mark them as unfinished copies.
inline QStringList temporariesBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, {QStringLiteral(".vardolin-*")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

// Empties folder, names that are not UTF-8 included (QTemporaryDir cannot
// remove those).
inline void removeAllBelow(const QString& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(util::toFsPath(folder), error))
        std::filesystem::remove_all(entry.path(), error);
}

// A batch run's surroundings: a temporary folder with the source folder
// "Fotos/" inside it, settings pointing there, a recording host, two workers.
class BatchFolder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/");
    QString source = root + QStringLiteral("Fotos/");
    Settings settings;
    RecordingHost host;
    RunOptions options;

    void SetUp() override
    {
        settings.QuellVerz = source;
        options.jobs = 2;
    }
};

} // namespace vardolin::batch::fixture
