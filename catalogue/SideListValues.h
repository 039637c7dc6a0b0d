#pragma once
// The two kinds of entries the user keeps in the catalogue's side lists, as plain values: a
// character profile and an enchant and title bonus set. Everything is text, as the settings file
// holds it: the editors store the statistics as number text and a bonus set's combat bonuses
// exactly as typed; a hand-edited file may hold anything, which the calculations read leniently.

#include <QString>
#include <optional>

struct Profile {
    QString name;
    QString str, intl, dex, will, luck;
    QString attack; // skill rank of アタック
    QString range;  // skill rank of レンジ

    bool operator==(const Profile&) const = default;
};

struct BonusSet {
    QString name;
    QString minDamage, maxDamage, minWounds, maxWounds, critical, balance;
    QString str, intl, dex, will, luck;
    // Read from a hand-edited file when present and shown, but no editor sets them and they are
    // never written.
    QString attack, range;

    bool operator==(const BonusSet&) const = default;
};

// The bonus set row chosen in the catalogue: its name (the fixed row "使用なし" has one too) and
// the set's values when a set applies.
struct BonusChoice {
    QString name;
    std::optional<BonusSet> set;
};
