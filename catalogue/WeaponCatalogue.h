#pragma once
// The master's weapon types and weapons as the catalogue lists them. Each lookup runs its one
// statement and hands back values, or nothing when the database refused it.

#include "ui/ListModel.h"

#include <QString>
#include <optional>
#include <vector>

namespace storage {
class Connection;
}

struct WeaponType {
    qint32 seq = 0;
    QString name;
};

// A weapon as the list shows it: every figure as the text the master query gives.
struct Weapon {
    qint32 seq = 0;
    QString name;
    QString damage, wounds, critical, balance, range, taikyu, speed, hit;
};

namespace weaponCatalogue {

// The weapon types in their display order.
std::optional<std::vector<WeaponType>> weaponTypes(storage::Connection& db);

// The shown weapons of a type; type 0 lists every type.
std::optional<std::vector<Weapon>> weapons(storage::Connection& db, qint32 type);

} // namespace weaponCatalogue

class WeaponListModel : public ValueListModel<Weapon> {
public:
    explicit WeaponListModel(QObject* parent = nullptr);
};
