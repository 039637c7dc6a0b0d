#include "storage/Database.h"

#include "storage/JetSql.h"
#include "storage/NumberText.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <sqlite3.h>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace storage {

namespace {

const char* const kMasterTables[] = {"SHURUI_MASTER",     "BUKI_MASTER",  "KAIZO_MASTER",
                                     "LANK_INDEX",        "SKILL_MASTER", "LANK_MASTER",
                                     "CHANGE_SPEC_MASTER"};

// NUMERIC keeps the bonus row's fractions and stores whole values as integers, so they read
// back as whole numbers.
const char* const kWorkColumns[] = {"KAISU",      "SHURUI",     "MIN_DAMAGE", "MAX_DAMAGE",
                                    "MIN_WOUNDS", "MAX_WOUNDS", "CRITICAL",   "BLANCE",
                                    "RANGE",      "TAIKYU",     "EXP",        "COST"};

QString utf8(const unsigned char* text) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

QString sqliteError(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// How many virtual machine instructions SQLite runs between two looks at the clock.
constexpr int kInstructionsPerCheck = 1000;

// SQLite's progress handler: a non-zero answer interrupts the statement.
int stepOverdue(void* stepEnds) {
    return std::chrono::steady_clock::now() >
           *static_cast<const std::chrono::steady_clock::time_point*>(stepEnds);
}

} // namespace

struct PreparedStatement {
    ~PreparedStatement() { sqlite3_finalize(stmt); }

    sqlite3_stmt* stmt = nullptr;
    QList<QString> names; // read on the first lookup by name
    bool namesRead = false;
    bool busy = false;
    bool cached = true;
    quint64 lastUse = 0;
};

// Prepared statements by their program text. The simulator repeats the same few texts, so each
// is translated and prepared once; the least recently used idle one gives way when full.
class StatementCache {
public:
    static constexpr size_t kCapacity = 128;

    PreparedStatement* find(const QString& text) {
        const auto it = m_entries.find(text);
        return it == m_entries.end() ? nullptr : it->second.get();
    }

    PreparedStatement* insert(const QString& text, std::unique_ptr<PreparedStatement> entry) {
        if (m_entries.size() >= kCapacity)
            evictOne();
        return m_entries.emplace(text, std::move(entry)).first->second.get();
    }

    quint64 nextUse() { return ++m_useCount; }
    void clear() { m_entries.clear(); }

private:
    void evictOne() {
        auto oldest = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (!it->second->busy &&
                (oldest == m_entries.end() || it->second->lastUse < oldest->second->lastUse))
                oldest = it;
        }
        if (oldest != m_entries.end())
            m_entries.erase(oldest);
    }

    std::unordered_map<QString, std::unique_ptr<PreparedStatement>> m_entries;
    quint64 m_useCount = 0;
};

Connection::Connection(std::chrono::milliseconds stepDeadline)
    : m_stepDeadline(stepDeadline)
    , m_cache(std::make_unique<StatementCache>()) {}

Connection::~Connection() {
    close();
}

bool Connection::open(const QString& filePath) {
    if (!close())
        return false;
    m_lastError.clear();
    const QFileInfo file(filePath);
    if (!file.exists())
        return fail(u"データベースファイル %1 がありません。"_s.arg(filePath));
    // Opening a FIFO would wait for a writer for ever.
    if (!file.isFile())
        return fail(u"データベースファイル %1 は普通のファイルではありません。"_s.arg(filePath));

    // The master is only ever read: opened read-only and immutable, it gets no journal, no side
    // files and no locks, so a file nobody may write or that others share opens as any other.
    // Without SQLITE_OPEN_CREATE a wrong name can never leave an empty database behind.
    const QByteArray uri =
        QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded() + "?mode=ro&immutable=1";
    if (sqlite3_open_v2(uri.constData(), &m_db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return refuse(
            u"データベースファイル %1 を開けません: %2"_s.arg(filePath, sqliteError(m_db)));
    sqlite3_progress_handler(m_db, kInstructionsPerCheck, &stepOverdue, &m_stepEnds);

    sqlite3_stmt* schema = nullptr;
    const int rc =
        sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type IN ('table','view')",
                           -1, &schema, nullptr);
    if (rc != SQLITE_OK) {
        const QString why =
            rc == SQLITE_NOTADB ? u"データベースではありません。"_s : sqliteError(m_db);
        sqlite3_finalize(schema);
        return refuse(u"データベースファイル %1 を読めません: %2"_s.arg(filePath, why));
    }
    QSet<QString> tables;
    while (step(schema) == SQLITE_ROW)
        tables.insert(utf8(sqlite3_column_text(schema, 0)).toUpper());
    sqlite3_finalize(schema);
    QStringList missing;
    for (const char* table : kMasterTables) {
        if (!tables.contains(QLatin1StringView(table)))
            missing.append(QLatin1StringView(table));
    }
    if (!missing.isEmpty())
        return refuse(u"データベースにテーブル %1 がありません。"_s.arg(missing.join(u", "_s)));

    if (!registerJetFunctions(m_db))
        return refuse(sqliteError(m_db));
    if (!createWorkTable())
        return refuse(u"作業テーブルを作れません: %1"_s.arg(m_lastError));
    return true;
}

// The work table is a temporary table of the connection, kept in memory: it shadows any table of
// that name an older master file may still carry, so the statements stay as they are while the
// file is never written.
bool Connection::createWorkTable() {
    QByteArray ddl = "PRAGMA temp_store=MEMORY;CREATE TEMP TABLE WORK_BUKI_DATA (";
    for (const char* column : kWorkColumns)
        ddl += QByteArray(column) + " NUMERIC DEFAULT 0,";
    ddl.chop(1);
    ddl += ")";
    if (exec(ddl.constData()) == SQLITE_OK)
        return true;
    m_lastError = sqliteError(m_db);
    return false;
}

int Connection::step(sqlite3_stmt* statement) {
    m_stepEnds = std::chrono::steady_clock::now() + m_stepDeadline;
    const int rc = sqlite3_step(statement);
    m_stepEnds = std::chrono::steady_clock::time_point::max();
    return rc;
}

int Connection::exec(const char* sql) {
    m_stepEnds = std::chrono::steady_clock::now() + m_stepDeadline;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    m_stepEnds = std::chrono::steady_clock::time_point::max();
    return rc;
}

bool Connection::close() {
    if (!m_db)
        return true;
    while (!m_openSets.empty())
        m_openSets.back()->close();
    m_cache->clear();
    if (sqlite3_close(m_db) != SQLITE_OK)
        return fail(u"データベースを閉じられません: %1"_s.arg(sqliteError(m_db)));
    m_db = nullptr;
    return true;
}

bool Connection::isOpen() const {
    return m_db != nullptr;
}

QString Connection::lastError() const {
    return m_lastError;
}

sqlite3* Connection::handle() const {
    return m_db;
}

bool Connection::fail(const QString& message) {
    m_lastError = message;
    return false;
}

bool Connection::refuse(const QString& message) {
    sqlite3_close(m_db);
    m_db = nullptr;
    return fail(message);
}

PreparedStatement* Connection::acquire(const QString& jetText) {
    if (!m_db) {
        fail(u"データベースが開かれていません。"_s);
        return nullptr;
    }
    PreparedStatement* cached = m_cache->find(jetText);
    if (cached && !cached->busy) {
        cached->busy = true;
        cached->lastUse = m_cache->nextUse();
        return cached;
    }

    const std::string sql = translateJetSql(jetText.toStdString());
    auto entry = std::make_unique<PreparedStatement>();
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(m_db, sql.data(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &entry->stmt, &tail) != SQLITE_OK) {
        fail(sqliteError(m_db));
        return nullptr;
    }
    // Only one statement per text, as the program always runs them.
    const bool onlyBlanksFollow = std::all_of(tail, sql.data() + sql.size(), [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    });
    if (!entry->stmt || !onlyBlanksFollow) {
        fail(u"一つの SQL 文ではありません: %1"_s.arg(jetText));
        return nullptr;
    }
    entry->busy = true;
    entry->lastUse = m_cache->nextUse();
    // The cached statement of this text is in use by another recordset: this one gets its own.
    if (cached) {
        entry->cached = false;
        return entry.release();
    }
    return m_cache->insert(jetText, std::move(entry));
}

void Connection::release(PreparedStatement* statement) {
    if (!statement->cached) {
        delete statement;
        return;
    }
    sqlite3_reset(statement->stmt);
    statement->busy = false;
}

Recordset::Recordset(Connection& connection)
    : m_connection(connection) {}

Recordset::~Recordset() {
    close();
}

bool Recordset::open(const QString& statementText) {
    close();
    m_lastError.clear();
    PreparedStatement* statement = m_connection.acquire(statementText);
    if (!statement) {
        m_lastError = m_connection.lastError();
        return false;
    }
    const int rc = m_connection.step(statement->stmt);
    if (rc == SQLITE_ROW || (rc == SQLITE_DONE && sqlite3_column_count(statement->stmt) > 0)) {
        m_statement = statement;
        m_eof = rc != SQLITE_ROW;
        m_atFirst = true;
        m_connection.m_openSets.push_back(this);
        return true;
    }
    if (rc != SQLITE_DONE)
        m_lastError = sqliteError(m_connection.m_db);
    m_connection.release(statement);
    return rc == SQLITE_DONE;
}

bool Recordset::isOpen() const {
    return m_statement != nullptr;
}

bool Recordset::eof() const {
    return m_eof;
}

void Recordset::step() {
    const int rc = m_connection.step(m_statement->stmt);
    m_eof = rc != SQLITE_ROW;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_lastError = sqliteError(m_connection.m_db);
}

void Recordset::moveFirst() {
    if (!m_statement || m_atFirst)
        return;
    sqlite3_reset(m_statement->stmt);
    step();
    m_atFirst = true;
}

void Recordset::moveNext() {
    if (!m_statement || m_eof)
        return;
    step();
    m_atFirst = false;
}

void Recordset::close() {
    if (!m_statement)
        return;
    auto& sets = m_connection.m_openSets;
    sets.erase(std::find(sets.begin(), sets.end(), this));
    m_connection.release(m_statement);
    m_statement = nullptr;
    m_eof = true;
    m_atFirst = false;
}

int Recordset::fieldCount() const {
    return m_statement ? sqlite3_column_count(m_statement->stmt) : 0;
}

QVariant Recordset::field(int position) const {
    if (m_eof || position < 0 || position >= fieldCount())
        return {};
    sqlite3_stmt* stmt = m_statement->stmt;
    switch (sqlite3_column_type(stmt, position)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(stmt, position));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, position);
    case SQLITE_NULL:
        return {};
    default:
        return text(position);
    }
}

QVariant Recordset::field(QStringView name) const {
    return field(position(name));
}

QString Recordset::text(int position) const {
    if (m_eof || position < 0 || position >= fieldCount())
        return {};
    sqlite3_stmt* stmt = m_statement->stmt;
    switch (sqlite3_column_type(stmt, position)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(stmt, position));
    case SQLITE_FLOAT:
        return numberText::numberText(sqlite3_column_double(stmt, position));
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, position)),
                                 sqlite3_column_bytes(stmt, position));
    }
}

QString Recordset::text(QStringView name) const {
    return text(position(name));
}

int Recordset::position(QStringView name) const {
    if (!m_statement)
        return -1;
    PreparedStatement& statement = *m_statement;
    if (!statement.namesRead) {
        const int count = sqlite3_column_count(statement.stmt);
        for (int i = 0; i < count; ++i)
            statement.names.append(QString::fromUtf8(sqlite3_column_name(statement.stmt, i)));
        statement.namesRead = true;
    }
    for (qsizetype i = 0; i < statement.names.size(); ++i) {
        if (name.compare(statement.names[i], Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString Recordset::lastError() const {
    return m_lastError;
}

} // namespace storage
