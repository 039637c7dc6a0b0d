#pragma once
// Every SQL text of the program. Each function only builds and returns a text; the caller runs it
// through a Recordset. Whole-number arguments go in as plain decimal digits; text arguments go in
// between single quotes with any "'" inside doubled, so a hand-edited name cannot break a text.

#include <QString>

namespace modDBAccess {

// Master lookups.
QString strGetShuruiList();
QString strGetBukiList(qint32 shurui);
QString strGetKaizoList(qint32 bukiSeq, qint16 kaisu);
QString strGetKaizo(qint32 kaizoSeq);
QString strGetKaizoListAll(qint32 bukiSeq);
QString strGetMaxKaisu(qint32 bukiSeq);
QString strGetLankList();
QString strGetLankSortNo(const QString& lank);
QString strGetSkillId(qint16 combatType);
QString strGetLankBonus(const QString& lank, qint16 combatType);
QString strGetBukiShurui(qint32 bukiSeq);
QString strGetCombatType(qint32 bukiSeq);
QString strGetChangeSpecShuruiList();
QString strGetChangeSpecList(const QString& shurui);
QString strGetChangeSpec(qint32 changeSeq);

// The seven statements of the work table WORK_BUKI_DATA.
QString strGetKaizoCount();
QString strDeleteWork(const QString& clause);
QString strGetWorkStep(qint16 kaisu);
QString strGetWorkSum(qint16 kaisu);
QString strInsertWorkBase(qint32 bukiSeq);
QString strInsertWorkStep(qint16 kaisu, qint32 kaizoSeq);
QString strInsertWorkValues(const QString& values, qint16 shurui);

// What the plan search loads once, so that it can work without statements. Ids are 32-bit here.
QString strGetPlanWeapon(qint32 bukiSeq);
// Every shown weapon in the catalogue's order (SEQ last, so that the order is total).
QString strGetPlanWeaponsShown();
QString strGetPlanKaizoList(qint32 bukiSeq);
QString strGetPlanKaizoAll();
// Reads a value text back as the work table would store it from strInsertWorkValues.
QString strGetValues(const QString& values);

} // namespace modDBAccess
