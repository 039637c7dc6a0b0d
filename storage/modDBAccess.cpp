#include "storage/modDBAccess.h"

#include "storage/FigureColumns.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace modDBAccess {

namespace {

QString number(qint32 value) {
    return QString::number(value);
}

// A text argument between single quotes; a "'" inside is doubled so that a hand-edited name
// stays one literal.
QString quoted(const QString& text) {
    QString result = text;
    result.replace(u'\'', u"''"_s);
    return u'\'' + result + u'\'';
}

QString joined(const QStringList& items) {
    return items.join(u',');
}

template <std::size_t N> QStringList names(const std::array<QStringView, N>& columns) {
    QStringList result;
    for (QStringView column : columns)
        result.append(column.toString());
    return result;
}

QStringList clamped(const QStringList& columns) {
    QStringList items;
    for (const QString& c : columns)
        items.append(u"IIF(SUM(%1) < 0, 0, SUM(%1))"_s.arg(c));
    return items;
}

const QStringList kFigures8 = names(figureColumns::Names);
const QStringList kFigures10 = kFigures8 + names(figureColumns::Totals);
// The seven figures of a bonus or performance change row: every figure but the range.
const QStringList kFigures7 = [] {
    QStringList figures = kFigures8;
    figures.removeOne(u"RANGE"_s);
    return figures;
}();

const QString kList10 = joined(kFigures10);
const QString kList8 = joined(kFigures8);
const QString kList7 = joined(kFigures7);
const QString kClamp8 = joined(clamped(kFigures8));
const QString kClamp10 = joined(clamped(kFigures10));

} // namespace

QString strGetShuruiList() {
    return u"SELECT SEQ,SHURUI_NAME FROM SHURUI_MASTER ORDER BY SORT_NO;"_s;
}

QString strGetBukiList(qint32 shurui) {
    QString condition;
    QString ordering;
    if (shurui != 0)
        condition = u" AND SHURUI="_s + number(shurui);
    else
        ordering = u"SHURUI,"_s;
    return u"SELECT SEQ, BUKI_NAME,"_s +
           u" CSTR(MIN_DAMAGE) + \"～\" + CSTR(MAX_DAMAGE) AS DAMAGE,"_s +
           u" CSTR(MIN_WOUNDS) + \"～\" + CSTR(MAX_WOUNDS) AS WOUNDS,"_s +
           u" CRITICAL, BLANCE, RANGE, TAIKYU, SPEED, HIT FROM BUKI_MASTER "_s +
           u"WHERE HYOUJI = 1"_s + condition + u' ' + u"ORDER BY "_s + ordering +
           u"SORT_NO,MAX_DAMAGE"_s;
}

QString strGetKaizoList(qint32 bukiSeq, qint16 kaisu) {
    return u"SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = "_s + number(bukiSeq) +
           u" AND KAISU_S <= "_s + number(kaisu) + u" AND KAISU_E >= "_s + number(kaisu) +
           u" ORDER BY SORT_NO"_s;
}

QString strGetKaizo(qint32 kaizoSeq) {
    return u"SELECT * FROM KAIZO_MASTER WHERE SEQ = "_s + number(kaizoSeq);
}

QString strGetKaizoListAll(qint32 bukiSeq) {
    return u"SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = "_s + number(bukiSeq) +
           u" ORDER BY SORT_NO"_s;
}

QString strGetMaxKaisu(qint32 bukiSeq) {
    return u"SELECT MAX(KAISU_E) AS MAX_KAISU FROM KAIZO_MASTER WHERE BUKI_SEQ = "_s +
           number(bukiSeq);
}

QString strGetLankList() {
    return u"SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO;"_s;
}

QString strGetLankSortNo(const QString& lank) {
    return u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = "_s + quoted(lank);
}

QString strGetSkillId(qint16 combatType) {
    return u"SELECT ID FROM SKILL_MASTER WHERE COMBAT_TYPE = "_s + number(combatType);
}

QString strGetLankBonus(const QString& lank, qint16 combatType) {
    return u"SELECT MIN_DAMAGE,MAX_DAMAGE,BALANCE FROM LANK_MASTER WHERE LANK = "_s + quoted(lank) +
           u" AND SKILL_ID = ("_s + strGetSkillId(combatType) + u')';
}

QString strGetBukiShurui(qint32 bukiSeq) {
    return u"SELECT SHURUI FROM BUKI_MASTER WHERE SEQ = "_s + number(bukiSeq);
}

QString strGetCombatType(qint32 bukiSeq) {
    return u"SELECT COMBAT_TYPE FROM SHURUI_MASTER WHERE SEQ = ("_s + strGetBukiShurui(bukiSeq) +
           u')';
}

QString strGetChangeSpecShuruiList() {
    return u"SELECT SHURUI FROM CHANGE_SPEC_MASTER GROUP BY SHURUI ORDER BY MIN(SORT_NO)"_s;
}

QString strGetChangeSpecList(const QString& shurui) {
    return u"SELECT SEQ,NAME,CSTR(MIN_DAMAGE) + '～' + CSTR(MAX_DAMAGE) AS DAMAGE,CRITICAL,BLANCE,"
           u"TAIKYU FROM CHANGE_SPEC_MASTER WHERE SHURUI = "_s +
           quoted(shurui) + u" AND HYOUJI = 1 ORDER BY SORT_NO"_s;
}

QString strGetChangeSpec(qint32 changeSeq) {
    return u"SELECT SEQ,NAME,MIN_DAMAGE,MAX_DAMAGE,CRITICAL,BLANCE,TAIKYU,SHURUI FROM "
           u"CHANGE_SPEC_MASTER WHERE SEQ = "_s +
           number(changeSeq);
}

QString strGetKaizoCount() {
    return u"SELECT COUNT(KAISU) AS KAIZO_COUNT FROM WORK_BUKI_DATA WHERE SHURUI = 0 AND KAISU >= 1"_s;
}

QString strDeleteWork(const QString& clause) {
    return u"DELETE FROM WORK_BUKI_DATA "_s + clause;
}

QString strGetWorkStep(qint16 kaisu) {
    return u"SELECT "_s + kList10 + u" FROM WORK_BUKI_DATA WHERE KAISU = "_s + number(kaisu) +
           u" AND SHURUI = 0"_s;
}

QString strGetWorkSum(qint16 kaisu) {
    return u"SELECT SUM(MIN_DAMAGE) AS MIN_DAMAGE,SUM(MAX_DAMAGE) AS MAX_DAMAGE,"
           u"SUM(MIN_WOUNDS) AS MIN_WOUNDS,SUM(MAX_WOUNDS) AS MAX_WOUNDS,"
           u"SUM(CRITICAL) AS CRITICAL,SUM(BLANCE) AS BLANCE FROM WORK_BUKI_DATA WHERE KAISU = "_s +
           number(kaisu) + u" AND SHURUI = 0 OR NOT SHURUI IN (0 ,3)"_s;
}

QString strInsertWorkBase(qint32 bukiSeq) {
    return u"INSERT INTO WORK_BUKI_DATA ("_s + kList8 + u") select "_s + kClamp8 +
           u" FROM (SELECT "_s + kList8 +
           u" FROM WORK_BUKI_DATA WHERE SHURUI = 3 UNION ALL SELECT "_s + kList8 +
           u" FROM BUKI_MASTER WHERE SEQ = "_s + number(bukiSeq) + u')';
}

QString strInsertWorkStep(qint16 kaisu, qint32 kaizoSeq) {
    return u"INSERT INTO WORK_BUKI_DATA ("_s + kList10 + u",KAISU) select "_s + kClamp10 + u',' +
           number(kaisu + 1) + u" AS KAISU FROM (SELECT "_s + kList10 +
           u" FROM WORK_BUKI_DATA WHERE KAISU = "_s + number(kaisu) +
           u" AND SHURUI = 0 UNION ALL SELECT "_s + kList10 + u" FROM KAIZO_MASTER WHERE SEQ = "_s +
           number(kaizoSeq) + u')';
}

QString strInsertWorkValues(const QString& values, qint16 shurui) {
    return u"INSERT INTO WORK_BUKI_DATA ("_s + kList7 + u",SHURUI) VALUES ("_s + values + u',' +
           number(shurui) + u')';
}

namespace {

// A weapon's figures with the combat type of its weapon type; NULL when the type has no row.
QString planWeaponSelect() {
    return u"SELECT B.SEQ,B.BUKI_NAME,B.MIN_DAMAGE,B.MAX_DAMAGE,B.MIN_WOUNDS,B.MAX_WOUNDS,"
           u"B.CRITICAL,B.BLANCE,B.RANGE,B.TAIKYU,S.COMBAT_TYPE FROM BUKI_MASTER AS B "
           u"LEFT JOIN SHURUI_MASTER AS S ON S.SEQ = B.SHURUI"_s;
}

} // namespace

QString strGetPlanWeapon(qint32 bukiSeq) {
    return planWeaponSelect() + u" WHERE B.SEQ = "_s + number(bukiSeq);
}

QString strGetPlanWeaponsShown() {
    return planWeaponSelect() +
           u" WHERE B.HYOUJI = 1 ORDER BY B.SHURUI,B.SORT_NO,B.MAX_DAMAGE,B.SEQ"_s;
}

QString strGetPlanKaizoList(qint32 bukiSeq) {
    return u"SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = "_s + number(bukiSeq) +
           u" ORDER BY SORT_NO,SEQ"_s;
}

QString strGetPlanKaizoAll() {
    return u"SELECT * FROM KAIZO_MASTER ORDER BY BUKI_SEQ,SORT_NO,SEQ"_s;
}

QString strGetValues(const QString& values) {
    return u"SELECT "_s + values;
}

} // namespace modDBAccess
