#include "tools/import/MdbReader.h"

#include "tools/import/JetDate.h"
#include "tools/import/SqliteWriter.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mdbtools.h>
#include <memory>
#include <optional>
#include <vector>

namespace zelnoaimport {

namespace {

// Output buffer of libmdb for one text or memo value. Access memos typed in by hand stop at
// 65,535 characters (under 200 KB as UTF-8); a longer value fails the conversion rather than
// being cut.
constexpr std::size_t kTextSize = 256 * 1024;
// mdb_ole_read_full() reads OLE data through the column's bound buffer in chunks of up to 1 MB.
constexpr std::size_t kOleBufferSize = 1024 * 1024 + 64;
constexpr int kOffsetMask = 0x1fff;
constexpr std::uint32_t kLongValueLengthMask = 0x3fffffff;
// Index entries of this kind only point at an index of another table (a relationship).
constexpr unsigned char kForeignKeyReference = 2;

struct MdbClose {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFree {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
struct GFree {
    void operator()(char* text) const { g_free(text); }
};
struct Free {
    void operator()(void* data) const { std::free(data); }
};
using GText = std::unique_ptr<char, GFree>;

std::uint64_t littleEndian(const unsigned char* p, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

std::optional<ColumnType> columnType(int mdbType) {
    switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return ColumnType::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return ColumnType::Real;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return ColumnType::Text;
    case MDB_DATETIME:
        return ColumnType::DateTime;
    case MDB_BINARY:
    case MDB_OLE:
        return ColumnType::Blob;
    default:
        return std::nullopt;
    }
}

// The stored size of each fixed-size type; 0 for types of variable size.
int fixedSize(int mdbType) {
    switch (mdbType) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_COMPLEX:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

bool isSystemTable(MdbCatalogEntry* entry) {
    return mdb_is_system_table(entry) || std::strncmp(entry->object_name, "MSys", 4) == 0;
}

double parseReal(const char* text) {
    double value = 0.0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

// Converts one table. Values are bound straight from libmdb's page buffer, or from texts and
// blobs the reader keeps until the row is written.
class TableReader {
public:
    TableReader(MdbHandle* mdb, SqliteWriter& writer, std::string& error)
        : m_mdb(mdb)
        , m_writer(writer)
        , m_error(error) {}

    bool convert(MdbCatalogEntry* entry) {
        m_name = entry->object_name;
        m_table.reset(mdb_read_table(entry));
        if (!m_table || !mdb_read_columns(m_table.get()))
            return fail("の定義を読めません");
        if (m_table->num_cols == 0 || m_table->num_cols > MDB_MAX_COLS)
            return fail("の列の数が壊れています");
        // Fills m_table->indices; its return value is NULL even on success.
        mdb_read_indices(m_table.get());
        Table spec;
        if (!describe(spec))
            return false;
        if (!m_writer.beginTable(spec))
            return writerFailed();
        bindOleColumns();
        mdb_rewind_table(m_table.get());
        unsigned rows = 0;
        while (mdb_fetch_row(m_table.get())) {
            if (!writeRow())
                return false;
            ++rows;
        }
        if (rows != m_table->num_rows)
            return fail("は途中までしか読めません（" + std::to_string(m_table->num_rows) +
                        " 行のうち " + std::to_string(rows) + " 行）");
        return m_writer.endTable() || writerFailed();
    }

private:
    MdbColumn* column(unsigned i) const {
        return static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
    }

    bool describe(Table& spec) {
        spec.name = m_name;
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            const MdbColumn* col = column(i);
            const std::optional<ColumnType> type = columnType(col->col_type);
            if (!type)
                return fail("の列 " + std::string(col->name) + " の型 (" +
                            std::to_string(col->col_type) + ") は読めません");
            spec.columns.push_back({col->name, *type});
        }
        for (unsigned i = 0; m_table->indices && i < m_table->indices->len; ++i) {
            const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(m_table->indices, i));
            if (index->index_type == kForeignKeyReference)
                continue;
            Index out{index->name, {}};
            for (unsigned k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                const int number = index->key_col_num[k];
                if (number < 1 || number > static_cast<int>(m_table->num_cols))
                    return fail("の索引 " + out.name + " が壊れています");
                out.keys.push_back({column(number - 1)->name, index->key_col_order[k] == MDB_DESC});
            }
            if (!out.keys.empty())
                spec.indexes.push_back(std::move(out));
        }
        return true;
    }

    // mdb_ole_read_full() takes the value's header from the bound buffer.
    void bindOleColumns() {
        m_oleBuffers.clear();
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            if (column(i)->col_type != MDB_OLE)
                continue;
            m_oleBuffers.push_back(std::make_unique<char[]>(kOleBufferSize));
            mdb_bind_column(m_table.get(), static_cast<int>(i) + 1, m_oleBuffers.back().get(),
                            nullptr);
        }
    }

    bool writeRow() {
        // The row just fetched is still in the page buffer; cracking it again gives what the
        // bound values cannot: which columns are NULL, and the raw bytes of the numbers.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(m_mdb, static_cast<int>(m_table->cur_row) - 1, &start, &size) != 0)
            return fail("の行が壊れています");
        m_fields.resize(m_table->num_cols);
        if (mdb_crack_row(m_table.get(), start & kOffsetMask, size, m_fields.data()) !=
            static_cast<int>(m_table->num_cols))
            return fail("の行が壊れています");
        m_texts.clear();
        m_blobs.clear();
        m_dates.resize(m_table->num_cols);
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            if (!bindValue(static_cast<int>(i), column(i), m_fields[i]))
                return false;
        }
        return m_writer.insertRow() || writerFailed();
    }

    bool bindValue(int position, MdbColumn* col, const MdbField& field) {
        if (col->col_type == MDB_BOOL) {
            // A yes/no value lives in the null mask; Access's True is -1.
            m_writer.bindInteger(position, field.is_null ? 0 : -1);
            return true;
        }
        if (field.is_null) {
            m_writer.bindNull(position);
            return true;
        }
        const int expected = fixedSize(col->col_type);
        if (field.start < 0 || field.siz < 0 || field.start + field.siz > m_mdb->fmt->pg_size ||
            (expected != 0 && field.siz != expected))
            return failColumn(col, "の値が壊れています");
        const unsigned char* p = m_mdb->pg_buf + field.start;
        switch (col->col_type) {
        case MDB_BYTE:
            m_writer.bindInteger(position, p[0]);
            return true;
        case MDB_INT:
            m_writer.bindInteger(position, static_cast<std::int16_t>(littleEndian(p, 2)));
            return true;
        case MDB_LONGINT:
        case MDB_COMPLEX:
            m_writer.bindInteger(position, static_cast<std::int32_t>(littleEndian(p, 4)));
            return true;
        case MDB_FLOAT: {
            // A single holds about seven digits; keeping those gives the number as it was typed
            // (0.1, not 0.100000001490116).
            const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(littleEndian(p, 4)));
            char text[32];
            const auto end =
                std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 7);
            *end.ptr = '\0';
            m_writer.bindReal(position, parseReal(text));
            return true;
        }
        case MDB_DOUBLE:
            m_writer.bindReal(position, std::bit_cast<double>(littleEndian(p, 8)));
            return true;
        case MDB_MONEY:
            // Currency is a whole number of ten-thousandths.
            m_writer.bindReal(position,
                              static_cast<double>(static_cast<std::int64_t>(littleEndian(p, 8))) /
                                  10000.0);
            return true;
        case MDB_NUMERIC: {
            const GText text(
                mdb_numeric_to_string(m_mdb, field.start, col->col_scale, col->col_prec));
            if (!text)
                return failColumn(col, "の値が壊れています");
            m_writer.bindReal(position, parseReal(text.get()));
            return true;
        }
        case MDB_DATETIME: {
            char(&text)[20] = m_dates[static_cast<std::size_t>(position)].text;
            if (!jetDateText(std::bit_cast<double>(littleEndian(p, 8)), text))
                return failColumn(col, "の日付が壊れています");
            m_writer.bindText(position, text);
            return true;
        }
        case MDB_REPID:
            return bindOwnedText(position, GText(mdb_uuid_to_string(m_mdb->pg_buf, field.start)));
        case MDB_TEXT:
            if (field.siz == 0) {
                m_writer.bindText(position, {});
                return true;
            }
            return bindOwnedText(
                position,
                GText(mdb_col_to_string(m_mdb, m_mdb->pg_buf, field.start, MDB_TEXT, field.siz)));
        case MDB_MEMO:
            return bindMemo(position, col, field, p);
        case MDB_BINARY:
            m_writer.bindBlob(position, p, static_cast<std::size_t>(field.siz));
            return true;
        case MDB_OLE:
            return bindOle(position, col, field, p);
        default:
            return failColumn(col, "の型は読めません");
        }
    }

    bool bindMemo(int position, MdbColumn* col, const MdbField& field, const unsigned char* p) {
        if (field.siz < MDB_MEMO_OVERHEAD)
            return failColumn(col, "の値が壊れています");
        const auto stored = static_cast<std::uint32_t>(littleEndian(p, 4)) & kLongValueLengthMask;
        GText text(mdb_col_to_string(m_mdb, m_mdb->pg_buf, field.start, MDB_MEMO, field.siz));
        if (!text)
            return failColumn(col, "を読めません");
        const std::size_t length = std::strlen(text.get());
        // libmdb gives an empty text when the memo's pages cannot be read.
        if (stored > 0 && length == 0)
            return failColumn(col, "を読めません");
        if (length + 8 >= kTextSize)
            return failColumn(col, "の値が長すぎます");
        return bindOwnedText(position, std::move(text));
    }

    bool bindOle(int position, MdbColumn* col, const MdbField& field, const unsigned char* p) {
        if (field.siz < MDB_MEMO_OVERHEAD)
            return failColumn(col, "の値が壊れています");
        const auto stored = static_cast<std::uint32_t>(littleEndian(p, 4)) & kLongValueLengthMask;
        std::size_t size = 0;
        std::unique_ptr<void, Free> data(mdb_ole_read_full(m_mdb, col, &size));
        if (!data || size != stored)
            return failColumn(col, "を読めません");
        m_writer.bindBlob(position, data.get(), size);
        m_blobs.push_back(std::move(data));
        return true;
    }

    bool bindOwnedText(int position, GText text) {
        if (!text)
            return fail("の値を読めません");
        m_writer.bindText(position, text.get());
        m_texts.push_back(std::move(text));
        return true;
    }

    bool fail(const std::string& what) {
        m_error = "表 " + m_name + " " + what;
        return false;
    }

    bool writerFailed() {
        m_error = m_writer.lastError();
        return false;
    }

    bool failColumn(const MdbColumn* col, const std::string& what) {
        return fail("の列 " + std::string(col->name) + " " + what);
    }

    struct DateText {
        char text[20];
    };

    MdbHandle* m_mdb;
    SqliteWriter& m_writer;
    std::string& m_error;
    std::string m_name;
    std::unique_ptr<MdbTableDef, TableFree> m_table;
    std::vector<std::unique_ptr<char[]>> m_oleBuffers;
    std::vector<MdbField> m_fields;
    std::vector<GText> m_texts;
    std::vector<std::unique_ptr<void, Free>> m_blobs;
    std::vector<DateText> m_dates;
};

// True when the catalogue holds one entry per row of MSysObjects; a file cut short loses rows of
// it without any error from libmdb.
bool catalogueComplete(MdbHandle* mdb) {
    MdbCatalogEntry* objects = mdb_get_catalogentry_by_name(mdb, "MSysObjects");
    if (!objects)
        return false;
    const std::unique_ptr<MdbTableDef, TableFree> table(mdb_read_table(objects));
    return table && table->num_rows == mdb->num_catalog;
}

} // namespace

bool hasAccessSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[20] = {};
    in.read(head, sizeof head);
    return in.gcount() == sizeof head && (std::memcmp(head + 4, "Standard Jet DB", 16) == 0 ||
                                          std::memcmp(head + 4, "Standard ACE DB", 16) == 0);
}

bool convertAccessFile(const std::string& sourcePath, SqliteWriter& writer, std::string& error) {
    if (!hasAccessSignature(sourcePath)) {
        error = sourcePath + " は Access のファイルではありません";
        return false;
    }
    const std::unique_ptr<MdbHandle, MdbClose> mdb(mdb_open(sourcePath.c_str(), MDB_NOFLAGS));
    if (!mdb) {
        error = sourcePath + " を開けません";
        return false;
    }
    std::error_code failed;
    const auto fileSize = std::filesystem::file_size(sourcePath, failed);
    if (failed || mdb->fmt->pg_size <= 0 ||
        fileSize % static_cast<std::uintmax_t>(mdb->fmt->pg_size) != 0) {
        error = sourcePath + " は途中で切れています";
        return false;
    }
    mdb_set_bind_size(mdb.get(), kTextSize);
    if (!mdb_read_catalog(mdb.get(), MDB_ANY) || !catalogueComplete(mdb.get())) {
        error = sourcePath + " の目録を読めません";
        return false;
    }
    std::vector<MdbCatalogEntry*> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !isSystemTable(entry))
            tables.push_back(entry);
    }
    for (MdbCatalogEntry* entry : tables) {
        if (!TableReader(mdb.get(), writer, error).convert(entry))
            return false;
    }
    return true;
}

} // namespace zelnoaimport
