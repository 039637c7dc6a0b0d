#include "simulator/WorkTable.h"

#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <algorithm>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace workTable {

namespace {

double number(const storage::Recordset& rs, QStringView name) {
    const QVariant value = rs.field(name);
    return value.isNull() ? 0.0 : value.toDouble();
}

// Runs a statement that returns no rows.
bool run(const QString& statement, storage::Recordset& rs) {
    const bool ok = rs.open(statement);
    rs.close();
    return ok;
}

} // namespace

std::optional<qint16> kaizoCount(storage::Recordset& rs) {
    if (!rs.open(modDBAccess::strGetKaizoCount()))
        return std::nullopt;
    std::optional<qint16> count;
    if (!rs.eof()) {
        const qlonglong value = rs.field(u"KAIZO_COUNT").toLongLong();
        count = static_cast<qint16>(std::clamp<qlonglong>(value, 0, 32767));
    }
    rs.close();
    return count;
}

std::optional<StepFigures> step(qint16 kaisu, storage::Recordset& rs) {
    if (!rs.open(modDBAccess::strGetWorkStep(kaisu)))
        return std::nullopt;
    std::optional<StepFigures> figures;
    if (!rs.eof()) {
        figures = StepFigures{number(rs, u"MIN_DAMAGE"), number(rs, u"MAX_DAMAGE"),
                              number(rs, u"MIN_WOUNDS"), number(rs, u"MAX_WOUNDS"),
                              number(rs, u"CRITICAL"),   number(rs, u"BLANCE"),
                              number(rs, u"RANGE"),      number(rs, u"TAIKYU"),
                              number(rs, u"EXP"),        number(rs, u"COST")};
    }
    rs.close();
    return figures;
}

std::optional<CombatSums> sums(qint16 kaisu, storage::Recordset& rs) {
    if (!rs.open(modDBAccess::strGetWorkSum(kaisu)))
        return std::nullopt;
    CombatSums result;
    if (!rs.eof()) {
        result = CombatSums{number(rs, u"MIN_DAMAGE"), number(rs, u"MAX_DAMAGE"),
                            number(rs, u"MIN_WOUNDS"), number(rs, u"MAX_WOUNDS"),
                            number(rs, u"CRITICAL"),   number(rs, u"BLANCE")};
    }
    rs.close();
    return result;
}

bool insertBase(qint16 bukiSeq, storage::Recordset& rs) {
    return run(modDBAccess::strInsertWorkBase(bukiSeq), rs);
}

bool insertStep(qint16 kaisu, qint16 kaizoSeq, storage::Recordset& rs) {
    return run(modDBAccess::strInsertWorkStep(kaisu, kaizoSeq), rs);
}

bool insertValues(const QString& values, qint16 shurui, storage::Recordset& rs) {
    return run(modDBAccess::strInsertWorkValues(values, shurui), rs);
}

bool deleteWork(const QString& clause, storage::Recordset& rs) {
    return run(modDBAccess::strDeleteWork(clause), rs);
}

QString changeSpecValues(const storage::Recordset& lookup) {
    if (lookup.eof())
        return u"0,0,0,0,0,0,0"_s;
    const auto figure = [&lookup](QStringView column) {
        return numberText::numberText(lookup.field(column).toDouble());
    };
    return figure(u"MIN_DAMAGE") + u',' + figure(u"MAX_DAMAGE") + u",0,0,"_s + figure(u"CRITICAL") +
           u',' + figure(u"BLANCE") + u',' + figure(u"TAIKYU");
}

Savepoint::Savepoint(storage::Connection& connection)
    : m_connection(connection) {
    m_active = connection.isOpen() && sqlite3_exec(connection.handle(), "SAVEPOINT work_table",
                                                   nullptr, nullptr, nullptr) == SQLITE_OK;
}

Savepoint::~Savepoint() {
    if (!m_active)
        return;
    sqlite3_exec(m_connection.handle(), "ROLLBACK TO work_table", nullptr, nullptr, nullptr);
    sqlite3_exec(m_connection.handle(), "RELEASE work_table", nullptr, nullptr, nullptr);
}

bool Savepoint::commit() {
    // Without a savepoint every statement took effect on its own already.
    if (!m_active)
        return true;
    if (sqlite3_exec(m_connection.handle(), "RELEASE work_table", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return false;
    m_active = false;
    return true;
}

} // namespace workTable
