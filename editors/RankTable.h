#pragma once
// The skill ranks of the master as the profile editor offers them: the rank list in order, and
// where a stored rank name stands in it.

#include <QString>
#include <QStringList>
#include <optional>

namespace storage {
class Connection;
}

namespace rankTable {

// Every rank name in the table's order; nothing when the database refused the query.
std::optional<QStringList> ranks(storage::Connection& db);

// The sort number the table gives a rank, as text ("0" when the table has no such rank).
std::optional<QString> sortNo(storage::Connection& db, const QString& rank);

// The list position to select for a rank. The table is meant to number its ranks 0, 1, 2 … so
// the sort number is the position; when it is not (a gap, a table counted from 1) the rank is
// found by its name instead, so that a profile never silently gets a neighbouring rank. A rank
// the list does not hold gets the first one.
int position(const QStringList& ranks, const QString& sortNo, const QString& name);

} // namespace rankTable
