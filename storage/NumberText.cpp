#include "storage/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace numberText {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int radix) {
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= u'0' && u <= u'9')
        d = u - u'0';
    else if (u >= u'a' && u <= u'f')
        d = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        d = u - u'A' + 10;
    return d < radix ? d : -1;
}

// Walks a text the way the lenient reading does: blanks between the characters are passed over.
class Cursor {
public:
    explicit Cursor(QStringView text)
        : m_text(text) {}
    QChar peek() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? m_text[m_pos] : QChar();
    }
    // The character right here, blanks not passed over ("&H" must be written together).
    QChar peekHere() const { return m_pos < m_text.size() ? m_text[m_pos] : QChar(); }
    void next() { ++m_pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

double readWhole(Cursor& cursor, int radix) {
    double value = 0;
    for (int d = digitValue(cursor.peek(), radix); d >= 0; d = digitValue(cursor.peek(), radix)) {
        value = value * radix + d;
        cursor.next();
    }
    return value;
}

// Exponents beyond this already overflow or underflow any double; capping keeps the arithmetic
// below safe for absurdly long exponent digits.
constexpr qint64 ExponentCap = 100000;

// The exponent part after the mantissa ("E", a sign, digits), 0 when there is none.
qint64 readExponent(Cursor& cursor) {
    if (cursor.peek() != u'e' && cursor.peek() != u'E')
        return 0;
    cursor.next();
    bool negative = false;
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        negative = cursor.peek() == u'-';
        cursor.next();
    }
    qint64 exponent = 0;
    for (QChar c = cursor.peek(); isDigit(c); c = cursor.peek()) {
        exponent = std::min(exponent * 10 + (c.unicode() - u'0'), ExponentCap);
        cursor.next();
    }
    return negative ? -exponent : exponent;
}

} // namespace

double readLenient(QStringView text) {
    Cursor cursor(text);
    if (cursor.peek() == u'&') {
        cursor.next();
        const QChar radix = cursor.peekHere();
        cursor.next();
        if (radix == u'H' || radix == u'h')
            return readWhole(cursor, 16);
        if (radix == u'O' || radix == u'o')
            return readWhole(cursor, 8);
        return 0;
    }

    bool negative = false;
    if (cursor.peek() == u'+' || cursor.peek() == u'-') {
        negative = cursor.peek() == u'-';
        cursor.next();
    }
    // The digits are collected without sign, point position kept apart, so the conversion below
    // never depends on the locale.
    std::string digits;
    qint64 pointAt = -1;
    for (QChar c = cursor.peek();; c = cursor.peek()) {
        if (isDigit(c))
            digits.push_back(char(c.unicode()));
        else if (c == u'.' && pointAt < 0)
            pointAt = qint64(digits.size());
        else
            break;
        cursor.next();
    }
    if (digits.empty())
        return 0;
    if (pointAt < 0)
        pointAt = qint64(digits.size());

    const qint64 exponent = readExponent(cursor);

    const auto firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        return negative ? -0.0 : 0.0;
    // Scientific form "0.<digits>e<exp>" with the leading zeros dropped: the magnitude is then
    // plain to see for the overflow test.
    const std::string significant = digits.substr(firstNonZero);
    const qint64 magnitude = pointAt - qint64(firstNonZero) + exponent;
    const std::string form = "0." + significant + "e" + std::to_string(magnitude);
    double value = 0;
    const auto result = std::from_chars(form.data(), form.data() + form.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

QString numberText(double value) {
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");

    // Fifteen significant digits, correctly rounded: "d.dddddddddddddde[+-]x".
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value),
                                   std::chars_format::scientific, 14)
                         .ptr;
    char* e = std::find(buffer, end, 'e');
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, e);
    digits.erase(digits.find_last_not_of('0') + 1);
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);

    std::string text = value < 0 ? "-" : "";
    // Plain decimal, however small the value; only absurdly large ones fall back to an
    // exponent, which the lenient reading still reads back.
    if (exponent > 15) {
        text += digits.substr(0, 1);
        if (digits.size() > 1)
            text += "." + digits.substr(1);
        text += "E+";
        const std::string power = std::to_string(exponent);
        text += (power.size() < 2 ? "0" : "") + power;
    } else if (exponent < 0) {
        text += "0." + std::string(size_t(-exponent - 1), '0') + digits;
    } else {
        if (digits.size() < size_t(exponent) + 1)
            digits.append(size_t(exponent) + 1 - digits.size(), '0');
        text += digits.substr(0, size_t(exponent) + 1);
        if (digits.size() > size_t(exponent) + 1)
            text += "." + digits.substr(size_t(exponent) + 1);
    }
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

qint16 toInt16(double value) {
    if (std::isnan(value))
        return 0;
    double rounded = std::round(value);
    if (std::abs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    return qint16(std::clamp(rounded, -32768.0, 32767.0));
}

qint16 readCount(QStringView text) {
    return std::max<qint16>(0, toInt16(readLenient(text)));
}

QString formatThousands(qint64 value) {
    if (value == 0)
        return {};
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString text = value < 0 ? QStringLiteral("-") : QString();
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += u',';
        text += digits[i];
    }
    return text;
}

QString formatRightAligned(const QString& text, int width) {
    return text.rightJustified(width, u' ');
}

} // namespace numberText
