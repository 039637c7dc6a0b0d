// The SQL translation step on any text. It never crashes, keeps valid UTF-8 valid, and keeps every
// text literal: the literals of the output, read the SQLite way, are those of the input read the
// Jet way, in the same order, and no double quote is left outside a literal or a bracketed name.
// Texts that SQLite accepts after translation also run, reading only, with a step limit.

#include "fuzz/FuzzCheck.h"
#include "storage/JetSql.h"

#include <QString>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

struct Literal {
    std::string text;
    bool closed;
    bool operator==(const Literal&) const = default;
};

// Literals and bracketed names as the Jet text reads them: '...' and "..." with the mark doubled
// inside, [...] without doubling. With jetQuotes false only '...' is a literal, and a double quote
// found outside a literal or a name is reported through strayQuote.
std::vector<Literal> literals(std::string_view sql, bool jetQuotes, bool* strayQuote = nullptr) {
    std::vector<Literal> found;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '[') {
            const size_t close = sql.find(']', i + 1);
            i = close == std::string_view::npos ? sql.size() : close;
        } else if (c == '\'' || (c == '"' && jetQuotes)) {
            Literal literal{{}, false};
            for (++i; i < sql.size(); ++i) {
                if (sql[i] == c) {
                    if (i + 1 < sql.size() && sql[i + 1] == c) {
                        literal.text += c;
                        ++i;
                        continue;
                    }
                    literal.closed = true;
                    break;
                }
                literal.text += sql[i];
            }
            found.push_back(literal);
        } else if (c == '"' && strayQuote) {
            *strayQuote = true;
        }
    }
    return found;
}

bool isValidUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size())).toStdString() == text;
}

// Plain reading only: no ATTACH, no PRAGMA, no VACUUM INTO, so no input can touch a file.
int allowReadingOnly(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        storage::registerJetFunctions(opened);
        sqlite3_set_authorizer(opened, allowReadingOnly, nullptr);
        sqlite3_limit(opened, SQLITE_LIMIT_LENGTH, 1 << 20);
        return opened;
    }();
    return db;
}

int stopAfterManySteps(void*) {
    return 1;
}

void runOnSqlite(const std::string& sql) {
    sqlite3* db = database();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt)
        return;
    sqlite3_progress_handler(db, 10000, stopAfterManySteps, nullptr);
    for (int rows = 0; rows < 100 && sqlite3_step(stmt) == SQLITE_ROW; ++rows) {
    }
    sqlite3_progress_handler(db, 0, nullptr, nullptr);
    sqlite3_finalize(stmt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    storage::translateJetSql(raw);

    // The program's texts are valid UTF-8; invalid input is made valid for the checks.
    const std::string jet = QString::fromUtf8(raw.data(), qsizetype(raw.size())).toStdString();
    const std::string translated = storage::translateJetSql(jet);
    FUZZ_CHECK(isValidUtf8(translated));

    bool strayQuote = false;
    FUZZ_CHECK(literals(translated, false, &strayQuote) == literals(jet, true));
    FUZZ_CHECK(!strayQuote);

    if (jet.find('\0') == std::string::npos)
        runOnSqlite(translated);
    return 0;
}
