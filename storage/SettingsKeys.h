#pragma once
// The settings file's section names and the keys of its "SYSTEM" and "WEAPON" sections. The keys
// of a profile or bonus set section stand beside their conversion, in catalogue/SideListStore.cpp.

#include <QString>

namespace settingsKeys {

inline const QString System = QStringLiteral("SYSTEM");
inline const QString Database = QStringLiteral("Database");
inline const QString DefaultDatabase = QStringLiteral("vaelbuki.mdb");
inline const QString ProfileCount = QStringLiteral("Count");
inline const QString EnchantCount = QStringLiteral("EnchantCount");

inline const QString ProfilePrefix = QStringLiteral("PROFILE");
inline const QString EnchantPrefix = QStringLiteral("ENCHANT");
inline const QString WeaponPrefix = QStringLiteral("WEAPON");

// Keys of a "WEAPON" + SEQ section; the numbered ones take the plan number appended.
inline const QString PlanCount = QStringLiteral("Count");
inline const QString PlanName = QStringLiteral("Name");
inline const QString PlanSpec = QStringLiteral("Spec");
inline const QString PlanDate = QStringLiteral("Date");
inline const QString PlanData = QStringLiteral("Data");

} // namespace settingsKeys
