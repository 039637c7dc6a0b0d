#pragma once
// The catalogue's two side lists as models of values.
//
// The profile list holds the saved profiles and, while a simulation runs, its working copy of the
// profile in use as one more row at the end; only the saved profiles are ever written back. The
// bonus set list always begins with the fixed row "使用なし", which stands for no bonus set: it
// cannot be edited, deleted or saved.

#include "catalogue/SideListValues.h"
#include "ui/ListModel.h"

#include <optional>

struct ProfileRow {
    Profile profile;
    bool workingCopy = false;
};

class ProfileListModel : public ValueListModel<ProfileRow> {
public:
    explicit ProfileListModel(QObject* parent = nullptr);

    void assignProfiles(const std::vector<Profile>& profiles);
    std::vector<Profile> savedProfiles() const;

    // Shows the working copy as the last row (replacing an older one), or removes it.
    void setWorkingCopy(const std::optional<Profile>& copy);
    int workingCopyRow() const;
};

// A row of the bonus set list: the fixed first row has no set.
struct BonusSetRow {
    std::optional<BonusSet> set;
};

class BonusSetListModel : public ValueListModel<BonusSetRow> {
public:
    static const QString FixedRowName; // "使用なし"

    explicit BonusSetListModel(QObject* parent = nullptr);

    // The fixed row, then the sets.
    void assignSets(const std::vector<BonusSet>& sets);
    std::vector<BonusSet> savedSets() const;
    bool isFixedRow(int row) const;
    // The text a row shows first: the set's name, or "使用なし".
    QString rowName(int row) const;

protected:
    RowColour rowColour(int row) const override;
};
