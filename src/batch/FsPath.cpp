#include "batch/FsPath.h"

#include <QFile>

namespace vardolin::batch {

std::filesystem::path toFsPath(const QString& text)
{
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    // The local 8-bit encoding of file names, as the rest of Qt uses it.
    const QByteArray bytes = QFile::encodeName(text);
    return std::filesystem::path(std::string(bytes.constData(), std::size_t(bytes.size())));
#endif
}

QString fromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    const std::string& native = path.native();
    return QFile::decodeName(QByteArray(native.data(), qsizetype(native.size())));
#endif
}

} // namespace vardolin::batch
