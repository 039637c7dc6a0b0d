#include "storage/JetSql.h"

#include "storage/NumberText.h"

#include <charconv>
#include <sqlite3.h>
#include <vector>

namespace storage {

namespace {

constexpr std::string_view kCstrReplacement = "JET_CSTR";

enum class Kind { Space, Text, Word, Open, Close, Plus, Semicolon, Other };

struct Token {
    Kind kind;
    std::string_view text;
    bool doubleQuoted = false; // a Text token written as "..."
    bool textEnd = false;      // ends a text operand: a literal or the ")" of a CSTR call
    bool cstr = false;         // the word CSTR that opens a call
};

bool isWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c >= 0x80;
}

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (x != b[i])
            return false;
    }
    return true;
}

// A quoted literal or bracketed name ends at its closing mark; a doubled mark stays inside.
// An unterminated one runs to the end and is left for SQLite to reject.
size_t quotedEnd(std::string_view s, size_t start, char close) {
    size_t i = start + 1;
    while (i < s.size()) {
        if (s[i] == close) {
            if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

std::vector<Token> tokenise(std::string_view s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t end = i + 1;
        Kind kind = Kind::Other;
        bool doubleQuoted = false;
        if (isSpace(c)) {
            while (end < s.size() && isSpace(static_cast<unsigned char>(s[end])))
                ++end;
            kind = Kind::Space;
        } else if (c == '\'' || c == '"') {
            end = quotedEnd(s, i, static_cast<char>(c));
            kind = Kind::Text;
            doubleQuoted = c == '"';
        } else if (c == '[') {
            end = quotedEnd(s, i, ']');
        } else if (isWordByte(c)) {
            while (end < s.size() && isWordByte(static_cast<unsigned char>(s[end])))
                ++end;
            kind = Kind::Word;
        } else if (c == '(') {
            kind = Kind::Open;
        } else if (c == ')') {
            kind = Kind::Close;
        } else if (c == '+') {
            kind = Kind::Plus;
        } else if (c == ';') {
            kind = Kind::Semicolon;
        }
        tokens.push_back({kind, s.substr(i, end - i), doubleQuoted});
        i = end;
    }
    return tokens;
}

// Marks the CSTR calls and which tokens end a text operand.
void markTextOperands(std::vector<Token>& tokens) {
    std::vector<bool> openIsCstr;
    for (size_t i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        switch (t.kind) {
        case Kind::Text:
            t.textEnd = true;
            break;
        case Kind::Word:
            if (equalsNoCase(t.text, "CSTR")) {
                size_t next = i + 1;
                while (next < tokens.size() && tokens[next].kind == Kind::Space)
                    ++next;
                t.cstr = next < tokens.size() && tokens[next].kind == Kind::Open;
            }
            break;
        case Kind::Open: {
            size_t prev = i;
            while (prev > 0 && tokens[prev - 1].kind == Kind::Space)
                --prev;
            openIsCstr.push_back(prev > 0 && tokens[prev - 1].cstr);
            break;
        }
        case Kind::Close:
            if (!openIsCstr.empty()) {
                t.textEnd = openIsCstr.back();
                openIsCstr.pop_back();
            }
            break;
        default:
            break;
        }
    }
}

bool joinsTexts(const std::vector<Token>& tokens, size_t plus) {
    size_t prev = plus;
    while (prev > 0 && tokens[prev - 1].kind == Kind::Space)
        --prev;
    if (prev > 0 && tokens[prev - 1].textEnd)
        return true;
    size_t next = plus + 1;
    while (next < tokens.size() && tokens[next].kind == Kind::Space)
        ++next;
    return next < tokens.size() && (tokens[next].kind == Kind::Text || tokens[next].cstr);
}

void appendSingleQuoted(std::string& out, std::string_view doubleQuoted) {
    // The marks at its end close it only when they are odd in number: "" inside is a quote.
    size_t endMarks = 0;
    while (endMarks + 1 < doubleQuoted.size() &&
           doubleQuoted[doubleQuoted.size() - 1 - endMarks] == '"')
        ++endMarks;
    const bool closed = endMarks % 2 == 1;
    const std::string_view inner = doubleQuoted.substr(1, doubleQuoted.size() - (closed ? 2 : 1));
    out += '\'';
    for (size_t i = 0; i < inner.size(); ++i) {
        const char c = inner[i];
        if (c == '"' && i + 1 < inner.size() && inner[i + 1] == '"')
            ++i;
        if (c == '\'')
            out += '\'';
        out += c;
    }
    if (closed)
        out += '\'';
}

// CSTR: a number as its plain decimal text (whole values without ".0", at most 15 significant
// digits); text stays text and NULL stays NULL.
void jetCstr(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_value* value = argv[0];
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: {
        char buffer[24];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, sqlite3_value_int64(value));
        sqlite3_result_text(context, buffer, static_cast<int>(result.ptr - buffer),
                            SQLITE_TRANSIENT);
        break;
    }
    case SQLITE_FLOAT: {
        const QByteArray text = numberText::numberText(sqlite3_value_double(value)).toUtf8();
        sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    case SQLITE_NULL:
        sqlite3_result_null(context);
        break;
    default:
        sqlite3_result_value(context, value);
        break;
    }
}

} // namespace

std::string translateJetSql(std::string_view jetText) {
    std::vector<Token> tokens = tokenise(jetText);
    markTextOperands(tokens);

    size_t end = tokens.size();
    while (end > 0 && tokens[end - 1].kind == Kind::Space)
        --end;
    if (end > 0 && tokens[end - 1].kind == Kind::Semicolon)
        --end;
    else
        end = tokens.size();

    std::string out;
    out.reserve(jetText.size() + 16);
    for (size_t i = 0; i < end; ++i) {
        const Token& t = tokens[i];
        // Two literals written together ("a"'b') would read as one once both are single-quoted.
        if (t.kind == Kind::Text && i > 0 && tokens[i - 1].kind == Kind::Text)
            out += ' ';
        if (t.doubleQuoted)
            appendSingleQuoted(out, t.text);
        else if (t.cstr)
            out += kCstrReplacement;
        else if (t.kind == Kind::Plus && joinsTexts(tokens, i))
            out += "||";
        else
            out += t.text;
    }
    return out;
}

bool registerJetFunctions(sqlite3* db) {
    return sqlite3_create_function_v2(db, kCstrReplacement.data(), 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, jetCstr, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace storage
