#include "cli/Rewording.h"

namespace vardolin::cli {

namespace {

const QString kGap = QStringLiteral("{}");

QRegularExpression patternOf(const QString& english)
{
    QString pattern = QStringLiteral("^");
    const QStringList literals = english.split(kGap);
    for (qsizetype i = 0; i < literals.size(); ++i) {
        if (i > 0)
            pattern += QStringLiteral("(.+?)");
        pattern += QRegularExpression::escape(literals[i]);
    }
    return QRegularExpression(pattern + u'$', QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

RewordingTable::RewordingTable(std::span<const Rewording> rows)
{
    rows_.reserve(rows.size());
    for (const Rewording& row : rows)
        rows_.push_back({patternOf(QString::fromUtf16(row.english)), QString::fromUtf16(row.german)});
}

QString RewordingTable::german(const QString& text) const
{
    for (const Row& row : rows_) {
        const QRegularExpressionMatch match = row.english.match(text);
        if (!match.hasMatch())
            continue;
        QString result;
        qsizetype gap = 0;
        qsizetype from = 0;
        for (qsizetype at = row.german.indexOf(kGap); at >= 0; at = row.german.indexOf(kGap, from)) {
            result += row.german.mid(from, at - from) + german(match.captured(int(++gap)));
            from = at + kGap.size();
        }
        return result + row.german.mid(from);
    }
    const QString separator = QStringLiteral(": ");
    if (const qsizetype at = text.indexOf(separator); at > 0)
        return german(text.left(at)) + separator + german(text.mid(at + separator.size()));
    return text;
}

} // namespace vardolin::cli
