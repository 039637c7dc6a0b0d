#pragma once
// The side lists in the settings file: "SYSTEM" / "Count" profiles in sections "PROFILE1" …, and
// "SYSTEM" / "EnchantCount" bonus sets in sections "ENCHANT1" …; the one place where a profile or
// a bonus set turns into keys and back.
//
// Counts are read leniently and clamped to 0..32767; a section missing below the count gives an
// entry of empty texts. Sections numbered above a new count stay in the file and are never read.

#include "catalogue/SideListValues.h"
#include "storage/SettingsFile.h"

#include <vector>

namespace sideListStore {

std::vector<Profile> loadProfiles(storage::SettingsFile& settings);
std::vector<BonusSet> loadBonusSets(storage::SettingsFile& settings);

// Writes the lists given (nullptr: unchanged, not written) in one replacement of the file: each
// list's count, then one section per entry in list order. A value the file cannot hold is left
// out and named in the outcome; the rest is written.
storage::SaveOutcome save(storage::SettingsFile& settings, const std::vector<Profile>* profiles,
                          const std::vector<BonusSet>* bonusSets);

} // namespace sideListStore
