#pragma once
// Number reading and number text shared by the settings file, the SQL texts and the windows.
//
// The user types numbers as free text and the settings file holds them as text, so every number
// is read leniently (the leading number of a text, 0 when there is none) and written back in one
// plain form. Whole-number conversions round half to even, as the calculator's rules require.

#include <QString>
#include <QStringView>

namespace numberText {

// The leading number of a text: blanks before and inside the number are skipped, an optional
// sign, digits with at most one ".", an optional exponent; "&H" / "&O" read hexadecimal / octal.
// No number at the start gives 0. A number too large for a double gives +/- infinity.
double readLenient(QStringView text);

// Plain decimal text with at most 15 significant digits, "." as decimal point, no trailing zeros,
// no sign for positive values, and "0" for negative zero (12, -5, 12.5, 0,
// 0.0000000000000000000000001); only values of 1E+16 and above are written with an exponent.
QString numberText(double value);

// The nearest 16-bit whole number, ties to even (2.5 -> 2, 3.5 -> 4); out-of-range values are
// clamped to -32768..32767 and NaN gives 0, so hand-edited absurd numbers never crash.
qint16 toInt16(double value);

// A count read from the settings file: leniently read, rounded to even, clamped to 0..32767.
qint16 readCount(QStringView text);

// "###,###": digits grouped by three with ","; 0 gives empty text; negatives keep their "-".
QString formatThousands(qint64 value);

// "@@@" style: the text right-aligned in a field of the given width, never cut.
QString formatRightAligned(const QString& text, int width);

} // namespace numberText
