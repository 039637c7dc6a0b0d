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

// A name ending in the lead byte of a double-byte character would take the "]" written after it
// as its second byte, and the header would no longer read as one.
bool endsInLoneLeadByte(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    qsizetype last = 0;
    while (last + charLength(text, last) < text.size())
        last += charLength(text, last);
    return last == text.size() - 1 && isCp932LeadByte(uchar(text[last]));
}

bool canWrite(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    return !section.isEmpty() && !hasLineBreakOrNul(section) && findChar(section, ']') < 0 &&
           !endsInLoneLeadByte(section) && !key.isEmpty() && !hasLineBreakOrNul(key) &&
           !key.contains('=') && key[0] != '[' && !hasLineBreakOrNul(value);
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
            m_sections.push_back(Section{part(line.start, line.next), {}, false, {}, {}, 0});
            bodyStart = line.next;
        }
        start = line.next;
    }
    if (m_sections.empty())
        m_unreachable = m_original;
    else
        m_sections.back().body = part(bodyStart, text.size());
}

void PrivateProfile::Section::index() const {
    if (indexed)
        return;
    indexed = true;
    const QByteArrayView text(body);
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan line = lineAt(text, start);
        if (line.equals >= 0) {
            const QByteArray folded = fold(keyOf(text, line));
            if (!keyLines.contains(folded))
                keyLines.insert(folded, qsizetype(lines.size()));
            afterLastKey = qsizetype(lines.size()) + 1;
        }
        lines.push_back(QByteArray::fromRawData(body.constData() + start, line.next - start));
        start = line.next;
    }
}

QByteArray PrivateProfile::value(QByteArrayView section, QByteArrayView key) const {
    const auto found = m_firstSection.constFind(fold(trimmed(section)));
    if (found == m_firstSection.cend())
        return {};
    const Section& target = m_sections[size_t(*found)];
    target.index();
    const auto at = target.keyLines.constFind(fold(trimmed(key)));
    if (at == target.keyLines.cend())
        return {};
    const QByteArrayView line(target.lines[size_t(*at)]);
    const QByteArrayView value = valueOf(line, lineAt(line, 0));
    // The Windows routines hand values on as C strings.
    const qsizetype nul = value.indexOf('\0');
    return (nul < 0 ? value : value.first(nul)).toByteArray();
}

bool PrivateProfile::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    const QByteArrayView sectionName = trimmed(section);
    const QByteArrayView keyName = trimmed(key);
    if (!canWrite(sectionName, keyName, value))
        return false;

    const QByteArray folded = fold(sectionName);
    const auto found = m_firstSection.constFind(folded);
    if (found == m_firstSection.cend()) {
        QByteArray* last = &m_unreachable;
        if (!m_sections.empty()) {
            Section& previous = m_sections.back();
            if (previous.indexed)
                last = previous.lines.empty() ? &previous.header : &previous.lines.back();
            else
                last = previous.body.isEmpty() ? &previous.header : &previous.body;
        }
        if (!last->isEmpty() && !endsWithLineBreak(*last))
            *last += "\r\n";
        m_firstSection.insert(folded, qsizetype(m_sections.size()));
        m_sections.push_back(Section{'[' + sectionName.toByteArray() + "]\r\n",
                                     keyLineText(keyName, value),
                                     false,
                                     {},
                                     {},
                                     0});
        return true;
    }

    Section& target = m_sections[size_t(*found)];
    target.index();
    const QByteArray foldedKey = fold(keyName);
    const auto at = target.keyLines.constFind(foldedKey);
    if (at != target.keyLines.cend()) {
        QByteArray& line = target.lines[size_t(*at)];
        const QByteArrayView old(line);
        // The key keeps its spelling as it stands in the file.
        line = keyLineText(keyOf(old, lineAt(old, 0)), value);
        return true;
    }
    // The new line goes after the last key line; only non-key lines follow it, so no noted key
    // moves. A line without an ending can only be the last of the file; it gets one first.
    const qsizetype insertAt = target.afterLastKey;
    QByteArray& before = insertAt == 0 ? target.header : target.lines[size_t(insertAt - 1)];
    if (!before.isEmpty() && !endsWithLineBreak(before))
        before += "\r\n";
    target.lines.insert(target.lines.begin() + insertAt, keyLineText(keyName, value));
    target.keyLines.insert(foldedKey, insertAt);
    target.afterLastKey = insertAt + 1;
    return true;
}

QByteArray PrivateProfile::bytes() const {
    const auto bodySize = [](const Section& section) {
        if (!section.indexed)
            return section.body.size();
        qsizetype size = 0;
        for (const QByteArray& line : section.lines)
            size += line.size();
        return size;
    };
    qsizetype size = m_unreachable.size();
    for (const Section& section : m_sections)
        size += section.header.size() + bodySize(section);
    QByteArray out;
    out.reserve(size);
    out += m_unreachable;
    for (const Section& section : m_sections) {
        out += section.header;
        if (!section.indexed) {
            out += section.body;
            continue;
        }
        for (const QByteArray& line : section.lines)
            out += line;
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
