#pragma once
// Gives the program's Jet-style SQL texts their meaning on SQLite.
//
// The texts stay exactly as the program builds them; this one step rewrites what SQLite reads
// differently: double-quoted text literals become single-quoted, "+" next to a text operand joins
// texts, CSTR() becomes the registered plain-number-text function, and a trailing ";" is dropped.
// IIF, UNION ALL, NOT x IN (...), MAX over no rows and GROUP BY ... ORDER BY MIN(...) already mean
// the same on SQLite and pass unchanged.

#include <string>
#include <string_view>

struct sqlite3;

namespace storage {

std::string translateJetSql(std::string_view jetText);

// Registers the SQL functions the translated texts call (CSTR's replacement) on a connection.
bool registerJetFunctions(sqlite3* db);

} // namespace storage
