#pragma once
// The database connection and the recordsets that run statements on it.
//
// The program keeps its SQL texts in the Jet dialect (modDBAccess builds them); a Recordset runs
// such a text through translateJetSql() on the connection, which start-up opens once and hands
// to whatever needs it. The master file is only read; the scratch table WORK_BUKI_DATA lives in
// memory beside it for as long as the connection is open. Prepared statements are cached per text,
// so the simulator's repeated statements cost one step each.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <chrono>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace storage {

class Recordset;
class StatementCache;
struct PreparedStatement;

class Connection {
public:
    // The longest one step of a statement may run: a master whose statement never ends (a view
    // that recurses without end, say) then fails like any refused statement instead of freezing
    // the program.
    static constexpr std::chrono::milliseconds DefaultStepDeadline{3000};

    explicit Connection(std::chrono::milliseconds stepDeadline = DefaultStepDeadline);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing master database file, only to read it. Fails (false, lastError() says
    // why) when the file is missing (it is never created), is no plain file (a folder, FIFO or
    // device is never opened), is not a database, or lacks a master table. The work table
    // WORK_BUKI_DATA is a temporary table of the connection.
    bool open(const QString& filePath);
    // Closes the open recordsets first. False when the connection could not be closed cleanly;
    // it then stays open.
    bool close();
    bool isOpen() const;
    QString lastError() const;

    sqlite3* handle() const;

private:
    friend class Recordset;
    // Lends the prepared statement of a text to one recordset; the text is translated and
    // prepared on its first use only. nullptr on failure (lastError() says why).
    PreparedStatement* acquire(const QString& jetText);
    void release(PreparedStatement* statement);
    bool fail(const QString& message);
    bool refuse(const QString& message);
    bool createWorkTable();
    // sqlite3_step() and sqlite3_exec() with the step deadline in force.
    int step(sqlite3_stmt* statement);
    int exec(const char* sql);

    sqlite3* m_db = nullptr;
    std::chrono::milliseconds m_stepDeadline;
    std::chrono::steady_clock::time_point m_stepEnds = std::chrono::steady_clock::time_point::max();
    std::unique_ptr<StatementCache> m_cache;
    std::vector<Recordset*> m_openSets;
    QString m_lastError;
};

// ADO-like forward reading of one statement's result. Open with a Jet-style statement text;
// a statement without a result (DELETE, INSERT) runs to completion and leaves the set closed.
class Recordset {
public:
    explicit Recordset(Connection& connection);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the statement. Closes whatever was open first. False when the database refuses it.
    bool open(const QString& statementText);
    bool isOpen() const;
    bool eof() const;
    void moveFirst();
    void moveNext();
    void close();

    int fieldCount() const;
    // The value at the current row: null QVariant for NULL, qlonglong, double or QString.
    QVariant field(int position) const;
    // By column name, compared case-insensitively; null QVariant for an unknown name.
    QVariant field(QStringView name) const;
    // The value as the windows show it: numbers as plain decimal text, NULL as empty text.
    QString text(int position) const;
    QString text(QStringView name) const;
    int position(QStringView name) const;

    QString lastError() const;

private:
    void step();

    Connection& m_connection;
    PreparedStatement* m_statement = nullptr;
    bool m_eof = true;
    bool m_atFirst = false;
    QString m_lastError;
};

} // namespace storage
