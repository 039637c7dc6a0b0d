#pragma once
// The SQLite side of zelnoa-import: creates the tables of an Access file in an SQLite file and
// inserts their rows. It knows nothing of the Access format, so the benchmark and the tests feed
// it rows of their own; the reader (MdbReader.h) feeds it the rows of a real file.
//
// Everything is written in one transaction with the journal off: the file being written is a
// temporary one that is thrown away on any failure, so there is nothing to protect until commit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zelnoaimport {

enum class ColumnType {
    Integer,  // whole numbers and yes/no values
    Real,     // floating point, currency and decimal numbers
    Text,     // short text and memo, compared case-insensitively as the Access engine does
    DateTime, // ISO text "YYYY-MM-DD HH:MM:SS"
    Blob,     // binary and OLE objects
};

struct Column {
    std::string name;
    ColumnType type;
};

struct IndexKey {
    std::string column;
    bool descending = false;
};

struct Index {
    std::string name;
    std::vector<IndexKey> keys;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<Index> indexes;
};

// The SQL declaration of a column type, e.g. "TEXT COLLATE NOCASE".
std::string_view declaredType(ColumnType type);

class SqliteWriter {
public:
    SqliteWriter() = default;
    ~SqliteWriter(); // an uncommitted conversion is rolled back
    SqliteWriter(const SqliteWriter&) = delete;
    SqliteWriter& operator=(const SqliteWriter&) = delete;

    // Opens (or creates) the file and starts the transaction. The file must hold no tables yet.
    bool open(const std::string& path);

    // Creates the table and prepares its insert. The indexes are built by endTable(), after the
    // rows, which is much faster than keeping them up to date row by row.
    bool beginTable(const Table& table);
    // Values of the current row by column position; a column left unbound is NULL. Text and
    // blob data are not copied: they must stay valid until insertRow() returns.
    void bindNull(int column);
    void bindInteger(int column, std::int64_t value);
    void bindReal(int column, double value);
    void bindText(int column, std::string_view utf8);
    void bindBlob(int column, const void* data, std::size_t size);
    bool insertRow();
    bool endTable();

    bool commit();

    const std::string& lastError() const { return m_error; }

private:
    bool exec(const std::string& sql);
    bool fail(std::string_view what);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    std::vector<Index> m_pendingIndexes;
    std::string m_tableName;
    bool m_inTransaction = false;
    std::string m_error;
};

// "name" with any '"' doubled, for table, column and index names taken from the source file.
std::string quoteIdentifier(std::string_view name);

} // namespace zelnoaimport
