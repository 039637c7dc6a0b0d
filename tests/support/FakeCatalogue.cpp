#include "support/FakeCatalogue.h"

namespace testsupport {

FakeCatalogue::FakeCatalogue() {
    bonusSets.assignSets({});
}

std::optional<Profile> FakeCatalogue::profileInUse() const {
    if (profileRow < 0 || profileRow >= profiles.count())
        return std::nullopt;
    return profiles.row(profileRow).profile;
}

BonusChoice FakeCatalogue::bonusChoice() const {
    const bool inRange = bonusSetRow >= 0 && bonusSetRow < bonusSets.count();
    return {bonusSets.rowName(bonusSetRow),
            inRange ? bonusSets.row(bonusSetRow).set : std::nullopt};
}

QStringList FakeCatalogue::bonusSetNames() const {
    QStringList names;
    for (int row = 0; row < bonusSets.count(); ++row)
        names.append(bonusSets.rowName(row));
    return names;
}

void FakeCatalogue::showWorkingCopy(const std::optional<Profile>& copy) {
    profiles.setWorkingCopy(copy);
}

} // namespace testsupport
