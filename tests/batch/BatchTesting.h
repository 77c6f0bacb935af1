#pragma once
// Helpers of the batch tests: a host that records what the batch layer tells
// it, real folder trees and real pictures made by the engine.

#include "batch/BatchHost.h"
#include "batch/BatchRun.h"
#include "batch/FsPath.h"
#include "frame/Settings.h"
#include "picture/Picture.h"

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
#include <functional>
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

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    QDir().mkpath(QFileInfo(path).absolutePath());
    const auto saved = picture::savePicture(gradientPicture(width, height), toFsPath(path), format,
                                            format == picture::Format::Jpeg ? 8 : 7);
    if (!saved.ok())
        throw std::runtime_error("test picture not written: " + saved.error());
}

inline picture::Size pictureSize(const QString& path)
{
    const auto loaded = picture::loadPicture(toFsPath(path));
    return loaded.ok() ? picture::Size{loaded->width, loaded->height} : picture::Size{};
}

// The bytes of every file below folder, by path, to show afterwards that no
// source was touched.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readBytes(path));
    }
    return files;
}

// True when every file of before is still there with the same bytes.
inline bool unchanged(const QMap<QString, QByteArray>& before)
{
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (readBytes(it.key()) != it.value() || !QFileInfo(it.key()).isFile())
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
