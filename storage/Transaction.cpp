#include "storage/Transaction.h"

#include "storage/Database.h"

#include <sqlite3.h>

namespace storage {

namespace {

bool exec(const Connection& connection, const char* sql) {
    return sqlite3_exec(connection.handle(), sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

Transaction::Transaction(Connection& connection)
    : m_connection(connection)
    , m_active(connection.isOpen() && exec(connection, "SAVEPOINT work")) {}

Transaction::~Transaction() {
    if (!m_active)
        return;
    exec(m_connection, "ROLLBACK TO work");
    exec(m_connection, "RELEASE work");
}

bool Transaction::commit() {
    // Without a savepoint every statement took effect on its own already.
    if (!m_active)
        return true;
    if (!exec(m_connection, "RELEASE work"))
        return false;
    m_active = false;
    return true;
}

} // namespace storage
