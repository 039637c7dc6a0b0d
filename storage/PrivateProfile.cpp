#include "storage/PrivateProfile.h"

#include "storage/Cp932.h"

namespace storage {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

// Blanks, "=" and line breaks are below 0x40, so they are never the second byte of a double-byte
// character and may be searched byte by byte; "[" and "]" may be one and need findChar().
QByteArrayView trimmed(QByteArrayView text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

qsizetype charLength(QByteArrayView text, qsizetype at) {
    return isCp932LeadByte(uchar(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// The first position of an ASCII character that is a character of its own, not the second
// byte of a double-byte one.
qsizetype findChar(QByteArrayView text, char wanted, qsizetype from = 0) {
    for (qsizetype i = from; i < text.size(); i += charLength(text, i))
        if (text[i] == wanted)
            return i;
    return -1;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

QByteArray fold(QByteArrayView name) {
    QByteArray folded(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size();) {
        if (charLength(name, i) == 2) {
            folded[i] = name[i];
            folded[i + 1] = name[i + 1];
            i += 2;
        } else {
            folded[i] = upper(name[i]);
            ++i;
        }
    }
    return folded;
}

bool equalsFolded(QByteArrayView name, QByteArrayView folded) {
    if (name.size() != folded.size())
        return false;
    for (qsizetype i = 0; i < name.size();) {
        if (charLength(name, i) == 2) {
            if (name[i] != folded[i] || name[i + 1] != folded[i + 1])
                return false;
            i += 2;
        } else {
            if (upper(name[i]) != folded[i])
                return false;
            ++i;
        }
    }
    return true;
}

// A header is "[" (blanks before it allowed) up to the first real "]"; the rest of the line
// does not count.
bool readHeader(QByteArrayView text, QByteArrayView& name) {
    qsizetype open = 0;
    while (open < text.size() && isBlank(text[open]))
        ++open;
    if (open == text.size() || text[open] != '[')
        return false;
    const qsizetype close = findChar(text, ']', open + 1);
    if (close < 0)
        return false;
    name = trimmed(text.sliced(open + 1, close - open - 1));
    return true;
}

bool hasLineBreakOrNul(QByteArrayView text) {
    for (char c : text)
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    return false;
}

bool canWrite(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    return !section.isEmpty() && !hasLineBreakOrNul(section) && findChar(section, ']') < 0 &&
           !key.isEmpty() && !hasLineBreakOrNul(key) && !key.contains('=') && key[0] != '[' &&
           !hasLineBreakOrNul(value);
}

// One line of a text: its bytes run from start to end, its line ending up to next; equals is
// the position of its first "=" (-1: none, so not a key line).
struct LineSpan {
    qsizetype start;
    qsizetype end;
    qsizetype next;
    qsizetype equals;
};

LineSpan lineAt(QByteArrayView text, qsizetype start) {
    qsizetype end = start;
    qsizetype equals = -1;
    for (; end < text.size(); ++end) {
        const char c = text[end];
        if (c == '\r' || c == '\n')
            break;
        if (c == '=' && equals < 0)
            equals = end;
    }
    qsizetype next = end;
    if (next < text.size() && text[next++] == '\r' && next < text.size() && text[next] == '\n')
        ++next;
    return {start, end, next, equals};
}

QByteArrayView keyOf(QByteArrayView text, const LineSpan& line) {
    return trimmed(text.sliced(line.start, line.equals - line.start));
}

QByteArrayView valueOf(QByteArrayView text, const LineSpan& line) {
    return trimmed(text.sliced(line.equals + 1, line.end - line.equals - 1));
}

bool endsWithLineBreak(const QByteArray& text) {
    return text.endsWith('\r') || text.endsWith('\n');
}

// text with the bytes from..to replaced by insert.
QByteArray splice(QByteArrayView text, qsizetype from, qsizetype to, QByteArrayView insert) {
    QByteArray out;
    out.reserve(text.size() - (to - from) + insert.size());
    out += text.first(from);
    out += insert;
    out += text.sliced(to);
    return out;
}

QByteArray keyLineText(QByteArrayView key, QByteArrayView value) {
    QByteArray text;
    text.reserve(key.size() + value.size() + 3);
    text += key;
    text += '=';
    text += value;
    text += "\r\n";
    return text;
}

} // namespace

PrivateProfile::PrivateProfile(QByteArray bytes)
    : m_original(std::move(bytes)) {
    const QByteArrayView text(m_original);
    const auto part = [this](qsizetype from, qsizetype to) {
        return QByteArray::fromRawData(m_original.constData() + from, to - from);
    };
    qsizetype bodyStart = 0;
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan line = lineAt(text, start);
        QByteArrayView name;
        if (readHeader(text.sliced(line.start, line.end - line.start), name)) {
            if (m_sections.empty())
                m_unreachable = part(0, line.start);
            else
                m_sections.back().body = part(bodyStart, line.start);
            const QByteArray folded = fold(name);
            if (!m_firstSection.contains(folded))
                m_firstSection.insert(folded, qsizetype(m_sections.size()));
            m_sections.push_back({part(line.start, line.next), {}});
            bodyStart = line.next;
        }
        start = line.next;
    }
    if (m_sections.empty())
        m_unreachable = m_original;
    else
        m_sections.back().body = part(bodyStart, text.size());
}

QByteArray PrivateProfile::value(QByteArrayView section, QByteArrayView key) const {
    const auto found = m_firstSection.constFind(fold(trimmed(section)));
    if (found == m_firstSection.cend())
        return {};
    const QByteArray foldedKey = fold(trimmed(key));
    const QByteArrayView body(m_sections[size_t(*found)].body);
    for (qsizetype start = 0; start < body.size();) {
        const LineSpan line = lineAt(body, start);
        if (line.equals >= 0 && equalsFolded(keyOf(body, line), foldedKey))
            return valueOf(body, line).toByteArray();
        start = line.next;
    }
    return {};
}

bool PrivateProfile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    const QByteArrayView sectionName = trimmed(section);
    const QByteArrayView keyName = trimmed(key);
    if (!canWrite(sectionName, keyName, value))
        return false;

    const QByteArray folded = fold(sectionName);
    const auto found = m_firstSection.constFind(folded);
    if (found == m_firstSection.cend()) {
        QByteArray& last = m_sections.empty()                 ? m_unreachable
                           : m_sections.back().body.isEmpty() ? m_sections.back().header
                                                              : m_sections.back().body;
        if (!last.isEmpty() && !endsWithLineBreak(last))
            last += "\r\n";
        m_firstSection.insert(folded, qsizetype(m_sections.size()));
        m_sections.push_back(
            {'[' + sectionName.toByteArray() + "]\r\n", keyLineText(keyName, value)});
        return true;
    }

    Section& target = m_sections[size_t(*found)];
    const QByteArrayView body(target.body);
    const QByteArray foldedKey = fold(keyName);
    qsizetype insertAt = 0;
    for (qsizetype start = 0; start < body.size();) {
        const LineSpan line = lineAt(body, start);
        if (line.equals >= 0) {
            const QByteArrayView spelling = keyOf(body, line);
            if (equalsFolded(spelling, foldedKey)) {
                // The key keeps its spelling as it stands in the file.
                target.body = splice(body, start, line.next, keyLineText(spelling, value));
                return true;
            }
            insertAt = line.next;
        }
        start = line.next;
    }
    // A line without an ending can only be the last of the file; the new line needs one before.
    QByteArray line = keyLineText(keyName, value);
    if (insertAt == 0 && !target.header.isEmpty() && !endsWithLineBreak(target.header))
        target.header += "\r\n";
    else if (insertAt > 0 && body[insertAt - 1] != '\r' && body[insertAt - 1] != '\n')
        line.prepend("\r\n");
    target.body = splice(body, insertAt, insertAt, line);
    return true;
}

QByteArray PrivateProfile::bytes() const {
    qsizetype size = m_unreachable.size();
    for (const Section& section : m_sections)
        size += section.header.size() + section.body.size();
    QByteArray out;
    out.reserve(size);
    out += m_unreachable;
    for (const Section& section : m_sections) {
        out += section.header;
        out += section.body;
    }
    return out;
}

QByteArray cutValue(const QByteArray& value, qsizetype maxBytes) {
    if (value.size() <= maxBytes)
        return value;
    qsizetype end = 0;
    while (end + charLength(value, end) <= maxBytes)
        end += charLength(value, end);
    return value.first(end);
}

} // namespace storage
