#pragma once
// Small master databases that each test fills with its own rows.

#include <QString>

namespace fixture {

// Creates a database file with every master table (text columns COLLATE NOCASE, as the real
// master declares them) and runs sql on it; returns path.
QString createMaster(const QString& path, const char* sql = "");

// Runs sql on a database file outside the connection under test.
void exec(const QString& path, const char* sql);

} // namespace fixture
