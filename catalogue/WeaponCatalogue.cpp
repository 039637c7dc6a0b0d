#include "catalogue/WeaponCatalogue.h"

#include "storage/Database.h"
#include "storage/modDBAccess.h"

using namespace Qt::StringLiterals;

namespace weaponCatalogue {

std::optional<std::vector<WeaponType>> weaponTypes(storage::Connection& db) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetShuruiList()))
        return std::nullopt;
    std::vector<WeaponType> types;
    for (; !rs.eof(); rs.moveNext())
        types.push_back({rs.field(0).toInt(), rs.text(1)});
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return types;
}

std::optional<std::vector<Weapon>> weapons(storage::Connection& db, qint32 type) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetBukiList(type)))
        return std::nullopt;
    const int damage = rs.position(u"DAMAGE");
    const int wounds = rs.position(u"WOUNDS");
    const int speed = rs.position(u"SPEED");
    const int hit = rs.position(u"HIT");
    std::vector<Weapon> list;
    for (; !rs.eof(); rs.moveNext()) {
        list.push_back({rs.field(0).toInt(), rs.text(1), rs.text(damage), rs.text(wounds),
                        rs.text(4), rs.text(5), rs.text(6), rs.text(7), rs.text(speed),
                        rs.text(hit)});
    }
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return list;
}

} // namespace weaponCatalogue

namespace {

QString weaponCell(const Weapon& w, int column) {
    const QString* cells[] = {&w.name,  &w.damage, &w.wounds, &w.critical, &w.balance,
                              &w.range, &w.taikyu, &w.speed,  &w.hit};
    return column < 9 ? *cells[column] : QString();
}

} // namespace

WeaponListModel::WeaponListModel(QObject* parent)
    : ValueListModel(reportColumns({{u"武器名"_s, 1800},
                                    {u"ダメージ"_s, 900},
                                    {u"負傷率"_s, 900},
                                    {u"クリティカル"_s, 1100},
                                    {u"バランス"_s, 900},
                                    {u"射程"_s, 600},
                                    {u"耐久"_s, 600},
                                    {u"攻撃速度"_s, 1000},
                                    {u"HIT数"_s, 700}}),
                     weaponCell, parent) {}
