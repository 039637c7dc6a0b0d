#pragma once
// The master's weapon types and weapons as the catalogue lists them. Each lookup runs its one
// statement and hands back values, or nothing when the database refused it.

#include "ui/ListModel.h"

#include <QString>
#include <map>
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

// The master is only read, so a type's list is read once and kept: a later visit of its tab
// costs no query.
class WeaponCatalogue {
public:
    explicit WeaponCatalogue(storage::Connection& db)
        : m_db(db) {}

    // The weapon types in their display order.
    std::optional<std::vector<WeaponType>> weaponTypes() const;
    // The shown weapons of a type (type 0 lists every type), or nullptr when the database refused
    // the query.
    const std::vector<Weapon>* weapons(qint32 type);

private:
    storage::Connection& m_db;
    std::map<qint32, std::vector<Weapon>> m_lists;
};

class WeaponListModel : public ValueListModel<Weapon> {
public:
    explicit WeaponListModel(QObject* parent = nullptr);
};
