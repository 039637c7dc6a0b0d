#pragma once
// What the simulator and the editors read from the catalogue window: the selected weapon row and
// the two side lists with their current rows. The catalogue window implements it; tests can give
// a plain implementation without any window.

#include <QString>

class RowListModel;

class CatalogueAccess {
public:
    virtual ~CatalogueAccess() = default;

    // Tag (SEQ) and text (name) of the selected weapon row.
    virtual qint16 selectedWeaponSeq() const = 0;
    virtual QString selectedWeaponName() const = 0;

    // The profile list; its current row (-1 for none) and whether that row is highlighted.
    virtual RowListModel& profileList() = 0;
    virtual int profileCurrentRow() const = 0;
    virtual bool profileCurrentSelected() const = 0;

    // The bonus set list (row 0 is the fixed row keyed "消せません"), likewise.
    virtual RowListModel& enchantList() = 0;
    virtual int enchantCurrentRow() const = 0;
    virtual bool enchantCurrentSelected() const = 0;
    // Makes the row current and highlighted.
    virtual void selectEnchantRow(int row) = 0;
};
