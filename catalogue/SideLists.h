#pragma once
// The catalogue window's two side lists, the character profiles and the bonus sets, as data: their
// columns, the fixed first bonus row, loading both from the settings file at start-up and writing
// the changed ones back at shutdown. The window owns the models and only wires them to its views.
//
// Profile row: text = name, 1-5 = Str, Int, Dex, Will, Luck, 6 = アタック rank, 7 = レンジ rank.
// Bonus set row: text = name, 1 and 2 = damage and wound rate shown as lower～upper, 3 = critical,
// 4 = balance, 5-8 = lower/upper damage and lower/upper wound rate (hidden columns), 9-13 = Str,
// Int, Dex, Will, Luck, 14 and 15 = "Attack" and "Range" read from hand-edited files, never saved.

#include "app/RowListModel.h"
#include "storage/SettingsFile.h"

#include <vector>

namespace sideLists {

inline const QString FixedEnchantText = QStringLiteral("使用なし");
inline const QString FixedEnchantKey = QStringLiteral("消せません");
// The simulator's working copy of a profile, appended to the list while a simulation uses it.
inline const QString WorkingCopyKey = QStringLiteral("TEMP");

std::vector<ColumnSpec> profileColumns();
std::vector<ColumnSpec> enchantColumns();

// The bonus set list's first row, which stands for "no bonus set".
ListRow fixedEnchantRow();

// Refills both lists from the settings file: the profiles, then the fixed row followed by the
// saved bonus sets. Counts are clamped to 0..32767; sections missing below the count give rows of
// empty cells.
void setProfileList(RowListModel& profiles, RowListModel& enchants);

// Writes each changed list, its count and one section per row, in a single replacement of the
// settings file, the profiles first. The fixed bonus row and the working copy are never written
// nor counted. Sections numbered above the new count stay in the file and are not read again.
// Nothing is written when neither list changed.
storage::SaveOutcome saveLists(const RowListModel& profiles, bool profilesChanged,
                               const RowListModel& enchants, bool enchantsChanged);

} // namespace sideLists
