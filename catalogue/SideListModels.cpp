#include "catalogue/SideListModels.h"

using namespace Qt::StringLiterals;

namespace {

QString profileCell(const ProfileRow& row, int column) {
    const Profile& p = row.profile;
    const QString* cells[] = {&p.name, &p.str,  &p.intl,   &p.dex,
                              &p.will, &p.luck, &p.attack, &p.range};
    return column < 8 ? *cells[column] : QString();
}

QString range(const QString& low, const QString& high) {
    return low + u'～' + high;
}

QString bonusSetCell(const BonusSetRow& row, int column) {
    if (!row.set) {
        // The fixed row: no bonus at all.
        if (column == 0)
            return BonusSetListModel::FixedRowName;
        if (column <= 2)
            return range(u"0"_s, u"0"_s);
        return column <= 8 ? u"0"_s : QString();
    }
    const BonusSet& s = *row.set;
    switch (column) {
    case 1:
        return range(s.minDamage, s.maxDamage);
    case 2:
        return range(s.minWounds, s.maxWounds);
    default:
        break;
    }
    const QString* cells[] = {&s.name,      nullptr,      nullptr,      &s.critical,
                              &s.balance,   &s.minDamage, &s.maxDamage, &s.minWounds,
                              &s.maxWounds, &s.str,       &s.intl,      &s.dex,
                              &s.will,      &s.luck,      &s.attack,    &s.range};
    return column < 16 ? *cells[column] : QString();
}

} // namespace

ProfileListModel::ProfileListModel(QObject* parent)
    : ValueListModel(reportColumns({{u"名前"_s, 1800},
                                    {u"Str"_s, 600},
                                    {u"Int"_s, 600},
                                    {u"Dex"_s, 600},
                                    {u"Will"_s, 600},
                                    {u"Luck"_s, 600},
                                    {u"アタック"_s, 800},
                                    {u"レンジ"_s, 800}}),
                     profileCell, parent) {}

void ProfileListModel::assignProfiles(const std::vector<Profile>& profiles) {
    std::vector<ProfileRow> rows;
    rows.reserve(profiles.size());
    for (const Profile& profile : profiles)
        rows.push_back({profile, false});
    assign(std::move(rows));
}

std::vector<Profile> ProfileListModel::savedProfiles() const {
    std::vector<Profile> profiles;
    for (const ProfileRow& row : rows()) {
        if (!row.workingCopy)
            profiles.push_back(row.profile);
    }
    return profiles;
}

void ProfileListModel::setWorkingCopy(const std::optional<Profile>& copy) {
    const int row = workingCopyRow();
    if (copy && row >= 0)
        replace(row, {*copy, true});
    else if (copy)
        append({*copy, true});
    else
        remove(row);
}

int ProfileListModel::workingCopyRow() const {
    for (int i = 0; i < count(); ++i) {
        if (row(i).workingCopy)
            return i;
    }
    return -1;
}

const QString BonusSetListModel::FixedRowName = u"使用なし"_s;

BonusSetListModel::BonusSetListModel(QObject* parent)
    : ValueListModel(reportColumns({{u"名前"_s, 1800},
                                    {u"ダメージ"_s, 900},
                                    {u"負傷率"_s, 900},
                                    {u"クリティカル"_s, 1100},
                                    {u"バランス"_s, 900},
                                    {u"最小ダメージ"_s, 0},
                                    {u"最大ダメージ"_s, 0},
                                    {u"最小負傷率"_s, 0},
                                    {u"最大負傷率"_s, 0},
                                    {u"Str"_s, 600},
                                    {u"Int"_s, 600},
                                    {u"Dex"_s, 600},
                                    {u"Will"_s, 600},
                                    {u"Luck"_s, 600},
                                    {u"アタック"_s, 800},
                                    {u"レンジ"_s, 800}}),
                     bonusSetCell, parent) {}

void BonusSetListModel::assignSets(const std::vector<BonusSet>& sets) {
    std::vector<BonusSetRow> rows{{std::nullopt}};
    for (const BonusSet& set : sets)
        rows.push_back({set});
    assign(std::move(rows));
}

std::vector<BonusSet> BonusSetListModel::savedSets() const {
    std::vector<BonusSet> sets;
    for (const BonusSetRow& row : rows()) {
        if (row.set)
            sets.push_back(*row.set);
    }
    return sets;
}

bool BonusSetListModel::isFixedRow(int row) const {
    return row >= 0 && row < count() && !this->row(row).set;
}

QString BonusSetListModel::rowName(int row) const {
    return row >= 0 && row < count() ? cellText(row, 0) : QString();
}

RowColour BonusSetListModel::rowColour(int row) const {
    return isFixedRow(row) ? RowColour::DarkGrey : RowColour::Normal;
}
