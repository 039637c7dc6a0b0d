// zelnoa-mkdb OUT.db FILE.sql...
//
// Builds a database file from SQL scripts, for the sample master that the build places beside the
// program. The scripts run in one transaction with foreign keys enforced, into OUT.tmp, which
// replaces OUT only when every statement succeeded: a broken script never leaves a half-built
// database behind, and an earlier good OUT stays as it was.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sqlite3.h>
#include <string>

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return text;
}

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Runs every statement of one script; on failure prints FILE:LINE and the reason.
bool runScript(sqlite3* db, const std::string& path, const std::string& text) {
    const char* const begin = text.c_str();
    const char* next = begin;
    while (*next) {
        const char* const start = next;
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, start, -1, &stmt, &next);
        if (rc == SQLITE_OK && stmt) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        if (rc != SQLITE_OK) {
            // Leading blank lines and comments belong to the statement text; report where the
            // statement itself begins.
            const char* at = start;
            const int offset = sqlite3_error_offset(db);
            if (offset >= 0)
                at += offset;
            else
                while (at < next && (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\r'))
                    ++at;
            const long line = 1 + std::count(begin, at, '\n');
            std::fprintf(stderr, "zelnoa-mkdb: %s:%ld: %s\n", path.c_str(), line,
                         sqlite3_errmsg(db));
            sqlite3_finalize(stmt);
            return false;
        }
        sqlite3_finalize(stmt);
    }
    return true;
}

bool build(const std::string& tmp, int count, char** files) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "zelnoa-mkdb: cannot create %s: %s\n", tmp.c_str(),
                     db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return false;
    }
    bool ok = exec(db, "PRAGMA foreign_keys = ON") && exec(db, "BEGIN");
    for (int i = 0; ok && i < count; ++i) {
        const std::string path = files[i];
        const std::optional<std::string> text = readFile(path);
        if (!text) {
            std::fprintf(stderr, "zelnoa-mkdb: cannot read %s\n", path.c_str());
            ok = false;
        } else {
            ok = runScript(db, path, *text);
        }
    }
    if (ok && !exec(db, "COMMIT")) {
        std::fprintf(stderr, "zelnoa-mkdb: cannot write %s: %s\n", tmp.c_str(), sqlite3_errmsg(db));
        ok = false;
    }
    if (sqlite3_close(db) != SQLITE_OK) {
        std::fprintf(stderr, "zelnoa-mkdb: cannot close %s\n", tmp.c_str());
        ok = false;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelnoa-mkdb OUT.db FILE.sql...\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::path tmp = out;
    tmp += ".tmp";
    std::filesystem::path tmpJournal = tmp;
    tmpJournal += "-journal";
    std::error_code ignored;
    // A journal left over from an interrupted run would be rolled into the new file.
    std::filesystem::remove(tmpJournal, ignored);
    std::filesystem::remove(tmp, ignored);

    if (!build(tmp.string(), argc - 2, argv + 2)) {
        std::filesystem::remove(tmp, ignored);
        return 1;
    }
    std::error_code error;
    std::filesystem::rename(tmp, out, error);
    if (error) {
        std::fprintf(stderr, "zelnoa-mkdb: cannot replace %s: %s\n", out.string().c_str(),
                     error.message().c_str());
        std::filesystem::remove(tmp, ignored);
        return 1;
    }
    return 0;
}
