#include "util/Paths.h"

namespace vardolin::util {

QChar separator()
{
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

namespace {

QString withoutLeadingQuote(const QString& path)
{
    return path.startsWith(u'"') ? path.mid(1) : path;
}

qsizetype lastSeparator(const QString& text, qsizetype end)
{
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (isSeparator(text.at(i))) {
            return i;
        }
    }
    return -1;
}

} // namespace

QString pathPart(const QString& path)
{
    const QString text = withoutLeadingQuote(path);
    const qsizetype bar = text.indexOf(u'|');
    const qsizetype at = lastSeparator(text, bar < 0 ? text.size() : bar);
    return at < 0 ? QString() : text.left(at + 1);
}

QString filePart(const QString& path)
{
    const QString text = withoutLeadingQuote(path);
    QString name = text.mid(lastSeparator(text, text.size()) + 1);
    const qsizetype quote = name.indexOf(u'"');
    if (quote >= 0) {
        name.truncate(quote);
    }
    return name;
}

namespace {

// The base name rule on a name without folders.
QString withoutExtension(const QString& name)
{
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        if (c == u' ') {
            return name;
        }
        if (c == u'.') {
            if (i == 0 || i == name.size() - 1) {
                return name;
            }
            return name.left(i);
        }
    }
    return name;
}

// The extension rule, taken to the end of the path.
QString afterLastDot(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path.at(i);
        if (c == u' ' || isSeparator(c)) {
            return {};
        }
        if (c == u'.') {
            if (i == 0 || isSeparator(path.at(i - 1))) {
                return {};
            }
            return path.mid(i + 1);
        }
    }
    return {};
}

} // namespace

QString baseName(const QString& path)
{
    return withoutExtension(filePart(path));
}

QString extensionPart(const QString& path)
{
    QString extension = afterLastDot(path);
    const qsizetype quote = extension.indexOf(u'"');
    if (quote >= 0) {
        extension.truncate(quote);
    }
    return extension;
}

QString folderOf(const QString& path)
{
    return path.left(lastSeparator(path, path.size()) + 1);
}

QString nameOf(const QString& path)
{
    return path.mid(lastSeparator(path, path.size()) + 1);
}

QString baseNameOf(const QString& path)
{
    return withoutExtension(nameOf(path));
}

QString extensionOf(const QString& path)
{
    return afterLastDot(path);
}

QString withoutTrailingSeparators(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && isSeparator(path.at(end - 1))) {
        --end;
    }
    return path.left(end);
}

QString withTrailingSeparator(const QString& path)
{
    if (path.isEmpty() || isSeparator(path.back())) {
        return path;
    }
    return path + separator();
}

} // namespace vardolin::util
