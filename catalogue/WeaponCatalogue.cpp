#include "catalogue/WeaponCatalogue.h"

#include "storage/Database.h"
#include "storage/modDBAccess.h"

using namespace Qt::StringLiterals;

std::optional<std::vector<WeaponType>> WeaponCatalogue::weaponTypes() const {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetShuruiList()))
        return std::nullopt;
    std::vector<WeaponType> types;
    for (; !rs.eof(); rs.moveNext())
        types.push_back({rs.field(0).toInt(), rs.text(1)});
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return types;
}

const std::vector<Weapon>* WeaponCatalogue::weapons(qint32 type) {
    if (const auto kept = m_lists.find(type); kept != m_lists.end())
        return &kept->second;
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetBukiList(type)))
        return nullptr;
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
        return nullptr;
    return &m_lists.emplace(type, std::move(list)).first->second;
}

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
