#pragma once
// The run's record for scripts and schedulers: one JSON object per line,
// each line written whole with one write and no buffer in between, so that
// whatever stops the process (kill -9 included) leaves only complete lines.
// Lines are appended, never an earlier run's replaced: a retried shard keeps
// what its killed attempt reported.

#include <QFile>
#include <QJsonObject>
#include <QString>

namespace vardolin::cli {

class ReportFile {
public:
    // Creates the file or opens it for appending. False, with the reason in
    // error, when it cannot be written.
    bool open(const QString& fileName, QString& error);
    bool isOpen() const { return file_.isOpen(); }

    // Appends the object as one compact line. A failed write is remembered.
    void write(const QJsonObject& record);
    bool failed() const { return failed_; }

private:
    QFile file_;
    bool failed_ = false;
};

} // namespace vardolin::cli
