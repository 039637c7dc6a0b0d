#pragma once
// A catalogue without a window: the two side-list models with a current row each, and the weapon
// the simulator is started for. Window tests of the simulator and its dialogs run on it.

#include "catalogue/CatalogueAccess.h"
#include "catalogue/SideListModels.h"

namespace testsupport {

class FakeCatalogue : public CatalogueAccess {
public:
    FakeCatalogue();

    std::optional<Weapon> selectedWeapon() const override { return weapon; }
    std::optional<Profile> profileInUse() const override;
    BonusChoice bonusChoice() const override;
    QStringList bonusSetNames() const override;
    int bonusSetRowInUse() const override { return bonusSetRow; }
    void selectBonusSet(int row) override { bonusSetRow = row; }
    void showWorkingCopy(const std::optional<Profile>& copy) override;

    std::optional<Weapon> weapon =
        Weapon{1, QStringLiteral("ロングソード"), {}, {}, {}, {}, {}, {}, {}, {}};
    ProfileListModel profiles;
    int profileRow = -1; // the profile in use, -1 for none
    BonusSetListModel bonusSets;
    int bonusSetRow = 0; // the current bonus set row; the fixed row to begin with
};

} // namespace testsupport
