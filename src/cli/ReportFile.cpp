#include "cli/ReportFile.h"

#include <QJsonDocument>

namespace vardolin::cli {

bool ReportFile::open(const QString& fileName, QString& error)
{
    file_.setFileName(fileName);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = file_.errorString();
        return false;
    }
    return true;
}

void ReportFile::write(const QJsonObject& record)
{
    if (!file_.isOpen())
        return;
    QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    line += '\n';
    if (file_.write(line) != line.size())
        failed_ = true;
}

} // namespace vardolin::cli
