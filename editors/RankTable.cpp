#include "editors/RankTable.h"

#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <algorithm>

namespace rankTable {

std::optional<QStringList> ranks(storage::Connection& db) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetLankList()))
        return std::nullopt;
    QStringList list;
    for (; !rs.eof(); rs.moveNext())
        list.append(rs.text(u"LANK"));
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return list;
}

std::optional<QString> sortNo(storage::Connection& db, const QString& rank) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetLankSortNo(rank)))
        return std::nullopt;
    return rs.eof() ? QStringLiteral("0") : rs.text(u"SORT_NO");
}

int position(const QStringList& ranks, const QString& sortNo, const QString& name) {
    const double tagged = numberText::readLenient(sortNo);
    const int count = static_cast<int>(ranks.size());
    const int byNumber = tagged >= 0 && tagged < count ? static_cast<int>(tagged) : -1;
    if (byNumber >= 0 && ranks.at(byNumber) == name)
        return byNumber;
    const int byName = name.isEmpty() ? -1 : static_cast<int>(ranks.indexOf(name));
    if (byName >= 0)
        return byName;
    return std::max(byNumber, 0);
}

} // namespace rankTable
