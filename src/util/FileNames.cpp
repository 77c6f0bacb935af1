#include "util/FileNames.h"

#include <QCoreApplication>
#include <QDir>

#include <system_error>

namespace vardolin::util {

#ifdef Q_OS_WIN

QString textFromFileName(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QByteArray fileNameFromText(const QString& text)
{
    return text.toUtf8();
}

std::filesystem::path toFsPath(const QString& text)
{
    return std::filesystem::path(text.toStdWString());
}

QString fromFsPath(const std::filesystem::path& path)
{
    return QString::fromStdWString(path.native());
}

QStringList commandLineArguments(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    return QCoreApplication::arguments().mid(1); // from the wide command line
}

#else

namespace {

constexpr char16_t escapeBase = 0xDC00;  // + byte: U+DC80 to U+DCFF
constexpr char16_t replacement = 0xFFFD; // for a stray surrogate

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at bytes[at] (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0.
int sequenceLength(const unsigned char* bytes, qsizetype at, qsizetype size)
{
    const unsigned char lead = bytes[at];
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > size || bytes[at + 1] < low || bytes[at + 1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(bytes[at + i]))
            return 0;
    }
    return length;
}

char32_t decodeSequence(const unsigned char* bytes, int length)
{
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = bytes[0] & leadMask[length];
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (bytes[i] & 0x3F);
    return code;
}

void appendUtf8(QByteArray& out, char32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

QString textFromFileName(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    for (qsizetype at = 0; at < size;) {
        const int length = sequenceLength(data, at, size);
        if (length == 0) {
            text += QChar(char16_t(escapeBase + data[at]));
            ++at;
            continue;
        }
        const char32_t code = decodeSequence(data + at, length);
        if (code < 0x10000) {
            text += QChar(char16_t(code));
        } else {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        }
        at += length;
    }
    return text;
}

QByteArray fileNameFromText(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else if (unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF) {
            bytes += char(unit - escapeBase);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, replacement); // no name on the disk decodes to it
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

std::filesystem::path toFsPath(const QString& text)
{
    const QByteArray bytes = fileNameFromText(text);
    return std::filesystem::path(std::string(bytes.constData(), std::size_t(bytes.size())));
}

QString fromFsPath(const std::filesystem::path& path)
{
    const std::string& native = path.native();
    return textFromFileName(QByteArray(native.data(), qsizetype(native.size())));
}

QStringList commandLineArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(textFromFileName(QByteArray(argv[i])));
    return arguments;
}

#endif

QString workingFolder()
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? QDir::toNativeSeparators(QDir::currentPath()) : QDir::toNativeSeparators(fromFsPath(current));
}

} // namespace vardolin::util
