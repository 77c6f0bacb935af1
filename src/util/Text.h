#pragma once
// Small text primitives with exact edge behaviour. Positions count UTF-16 code
// units from 1; 0 means "not found". A blank is the space character only.

#include <QChar>
#include <QString>

namespace vardolin::util {

// n blanks; n below 1 gives the empty text.
QString blanks(int n);

// The part from position start (1-based), at most length code units; a negative
// length means the rest. A start beyond the end gives the empty text; a start
// below 1 counts as 1.
QString mid(const QString& text, int start, int length = -1);

// The first / last n code units; n larger than the text gives the whole text,
// n below 1 the empty text.
QString left(const QString& text, int n);
QString right(const QString& text, int n);

// Removes blanks at both ends; tabs and other white space stay.
QString trim(const QString& text);

QString upperCase(const QString& text);
QString lowerCase(const QString& text);

// Decimal with "-" for negative values, no padding.
QString decimalText(qint64 value);
// Upper-case hexadecimal without leading zeros, "0" for 0. A negative value
// shows its 64-bit two's complement.
QString hexText(qint64 value);

// Skips leading blanks and tabs, takes an optional "-" or "+", then "$" and hex
// digits, "%" and binary digits, or decimal digits, and stops at the first other
// character. No digits give 0. Values beyond 64 bits wrap rather than fail.
qint64 integerValue(const QString& text);

// Position of the first occurrence at or after start (below 1 counts as 1);
// 0 when absent or when the text or the pattern is empty.
int find(const QString& text, const QString& pattern, int start = 1);

// Number of non-overlapping occurrences; 0 for an empty pattern.
int count(const QString& text, const QString& pattern);

// The index-th piece (1-based) of the text cut at every delimiter; an index
// below 1 or beyond the last piece gives the empty text. An empty delimiter
// leaves the whole text as the only piece.
QString field(const QString& text, int index, const QString& delimiter);

// Every occurrence of find replaced; an empty find changes nothing.
QString replace(const QString& text, const QString& find, const QString& replacement);

// The text filled up to width on the right / left; a longer text is cut to its
// first width code units (also for padLeft). A width below 1 gives the empty text.
QString padRight(const QString& text, int width, QChar fill = u' ');
QString padLeft(const QString& text, int width, QChar fill = u' ');

} // namespace vardolin::util
