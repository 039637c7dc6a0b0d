#include "simulator/WorkTable.h"

#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace workTable {

namespace {

double number(const storage::Recordset& rs, QStringView name) {
    const QVariant value = rs.field(name);
    return value.isNull() ? 0.0 : value.toDouble();
}

QString kindText(RowKind kind) {
    return QString::number(static_cast<qint16>(kind));
}

} // namespace

QString changeSpecValues(const storage::Recordset& lookup) {
    if (lookup.eof())
        return u"0,0,0,0,0,0,0"_s;
    const auto figure = [&lookup](QStringView column) {
        return numberText::numberText(lookup.field(column).toDouble());
    };
    return figure(u"MIN_DAMAGE") + u',' + figure(u"MAX_DAMAGE") + u",0,0,"_s + figure(u"CRITICAL") +
           u',' + figure(u"BLANCE") + u',' + figure(u"TAIKYU");
}

bool WorkTable::run(const QString& statement) {
    storage::Recordset rs(m_db);
    return rs.open(statement);
}

std::optional<qint16> WorkTable::kaizoCount() const {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetKaizoCount()) || rs.eof())
        return std::nullopt;
    const qlonglong value = rs.field(u"KAIZO_COUNT").toLongLong();
    return static_cast<qint16>(std::clamp<qlonglong>(value, 0, 32767));
}

std::optional<StepFigures> WorkTable::step(qint16 kaisu) const {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetWorkStep(kaisu)) || rs.eof())
        return std::nullopt;
    return StepFigures{number(rs, u"MIN_DAMAGE"), number(rs, u"MAX_DAMAGE"),
                       number(rs, u"MIN_WOUNDS"), number(rs, u"MAX_WOUNDS"),
                       number(rs, u"CRITICAL"),   number(rs, u"BLANCE"),
                       number(rs, u"RANGE"),      number(rs, u"TAIKYU"),
                       number(rs, u"EXP"),        number(rs, u"COST")};
}

std::optional<CombatSums> WorkTable::sums(qint16 kaisu) const {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetWorkSum(kaisu)))
        return std::nullopt;
    if (rs.eof())
        return CombatSums{};
    return CombatSums{number(rs, u"MIN_DAMAGE"), number(rs, u"MAX_DAMAGE"),
                      number(rs, u"MIN_WOUNDS"), number(rs, u"MAX_WOUNDS"),
                      number(rs, u"CRITICAL"),   number(rs, u"BLANCE")};
}

bool WorkTable::clear() {
    return run(modDBAccess::strDeleteWork(QString()));
}

bool WorkTable::insertBase(qint32 bukiSeq) {
    return run(modDBAccess::strInsertWorkBase(bukiSeq));
}

bool WorkTable::insertStep(qint16 kaisu, qint32 kaizoSeq) {
    return run(modDBAccess::strInsertWorkStep(kaisu, kaizoSeq));
}

bool WorkTable::insertValues(const QString& values, RowKind kind) {
    return run(modDBAccess::strInsertWorkValues(values, static_cast<qint16>(kind)));
}

bool WorkTable::deleteKind(RowKind kind) {
    return run(modDBAccess::strDeleteWork(u"WHERE SHURUI = "_s + kindText(kind)));
}

bool WorkTable::deleteStep(qint16 kaisu) {
    return run(modDBAccess::strDeleteWork(u"WHERE KAISU = "_s + QString::number(kaisu)));
}

} // namespace workTable
