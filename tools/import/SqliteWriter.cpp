#include "tools/import/SqliteWriter.h"

#include <sqlite3.h>

namespace zelnoaimport {

std::string_view declaredType(ColumnType type) {
    switch (type) {
    case ColumnType::Integer:
        return "INTEGER";
    case ColumnType::Real:
        return "REAL";
    case ColumnType::Text:
        return "TEXT COLLATE NOCASE";
    case ColumnType::DateTime:
        return "TEXT";
    case ColumnType::Blob:
        return "BLOB";
    }
    return "BLOB";
}

std::string quoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

SqliteWriter::~SqliteWriter() {
    sqlite3_finalize(m_insert);
    if (m_inTransaction)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

bool SqliteWriter::open(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return fail(path + " を開けません");
    // A table already in the file means the caller pointed us at the wrong file.
    sqlite3_stmt* count = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT COUNT(*) FROM sqlite_master", -1, &count, nullptr) !=
        SQLITE_OK)
        return fail(path + " は SQLite のファイルではありません");
    const bool empty = sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == 0;
    sqlite3_finalize(count);
    if (!empty) {
        m_error = path + " にはもう表があります";
        return false;
    }
    if (!exec("PRAGMA journal_mode=OFF") || !exec("PRAGMA synchronous=OFF") || !exec("BEGIN"))
        return false;
    m_inTransaction = true;
    return true;
}

bool SqliteWriter::beginTable(const Table& table) {
    if (table.columns.empty()) {
        m_error = "表 " + table.name + " に列がありません";
        return false;
    }
    std::string create = "CREATE TABLE " + quoteIdentifier(table.name) + " (";
    std::string insert = "INSERT INTO " + quoteIdentifier(table.name) + " VALUES (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (i > 0) {
            create += ", ";
            insert += ',';
        }
        create += quoteIdentifier(table.columns[i].name);
        create += ' ';
        create += declaredType(table.columns[i].type);
        insert += '?';
    }
    create += ')';
    insert += ')';
    if (!exec(create))
        return false;
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (sqlite3_prepare_v2(m_db, insert.c_str(), -1, &m_insert, nullptr) != SQLITE_OK)
        return fail("表 " + table.name + " への書き込みを準備できません");
    m_tableName = table.name;
    m_pendingIndexes = table.indexes;
    return true;
}

void SqliteWriter::bindNull(int column) {
    sqlite3_bind_null(m_insert, column + 1);
}

void SqliteWriter::bindInteger(int column, std::int64_t value) {
    sqlite3_bind_int64(m_insert, column + 1, value);
}

void SqliteWriter::bindReal(int column, double value) {
    sqlite3_bind_double(m_insert, column + 1, value);
}

void SqliteWriter::bindText(int column, std::string_view utf8) {
    sqlite3_bind_text64(m_insert, column + 1, utf8.data(), utf8.size(), SQLITE_STATIC, SQLITE_UTF8);
}

void SqliteWriter::bindBlob(int column, const void* data, std::size_t size) {
    // A zero-length blob from a null pointer would bind NULL; keep it an empty blob.
    static const char none = 0;
    sqlite3_bind_blob64(m_insert, column + 1, size ? data : &none, size, SQLITE_STATIC);
}

bool SqliteWriter::insertRow() {
    const bool done = sqlite3_step(m_insert) == SQLITE_DONE ||
                      fail("表 " + m_tableName + " に行を書き込めません");
    sqlite3_reset(m_insert);
    sqlite3_clear_bindings(m_insert);
    return done;
}

bool SqliteWriter::endTable() {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    for (const Index& index : m_pendingIndexes) {
        // Index names are unique per table in Access but per file in SQLite, and Access names
        // never contain '.', so "table.index" cannot clash.
        std::string sql = "CREATE INDEX " + quoteIdentifier(m_tableName + '.' + index.name) +
                          " ON " + quoteIdentifier(m_tableName) + " (";
        for (std::size_t i = 0; i < index.keys.size(); ++i) {
            if (i > 0)
                sql += ", ";
            sql += quoteIdentifier(index.keys[i].column);
            if (index.keys[i].descending)
                sql += " DESC";
        }
        sql += ')';
        if (!exec(sql))
            return false;
    }
    m_pendingIndexes.clear();
    return true;
}

bool SqliteWriter::commit() {
    if (!exec("COMMIT"))
        return false;
    m_inTransaction = false;
    if (sqlite3_close(m_db) != SQLITE_OK)
        return fail("ファイルを閉じられません");
    m_db = nullptr;
    return true;
}

bool SqliteWriter::exec(const std::string& sql) {
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(sql);
    return true;
}

bool SqliteWriter::fail(std::string_view what) {
    m_error = std::string(what);
    if (m_db) {
        m_error += ": ";
        m_error += sqlite3_errmsg(m_db);
    }
    return false;
}

} // namespace zelnoaimport
