#pragma once
// What the simulator window uses of the catalogue window: the weapon, profile and bonus set
// chosen there, the bonus set list the status dialog offers and may choose from, and the profile
// list, which shows the simulation's working copy while it runs. The catalogue window implements
// it; tests give a plain implementation without any window.

#include "catalogue/SideListValues.h"
#include "catalogue/WeaponCatalogue.h"

#include <QStringList>
#include <optional>

class CatalogueAccess {
public:
    virtual ~CatalogueAccess() = default;

    // The weapon row the simulator runs for.
    virtual std::optional<Weapon> selectedWeapon() const = 0;
    // The profile in use: the current row of the profile list while it is highlighted.
    virtual std::optional<Profile> profileInUse() const = 0;
    // The bonus set in use: the current row's name, and its values while it is highlighted and
    // not the fixed row.
    virtual BonusChoice bonusChoice() const = 0;
    // The names of the bonus set list's rows, and the row in use (the fixed row when none is).
    virtual QStringList bonusSetNames() const = 0;
    virtual int bonusSetRowInUse() const = 0;
    // Makes the row current and highlighted.
    virtual void selectBonusSet(int row) = 0;
    // Shows the simulation's working copy as the profile list's last row, or removes it.
    virtual void showWorkingCopy(const std::optional<Profile>& copy) = 0;
};
