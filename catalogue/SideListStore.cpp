#include "catalogue/SideListStore.h"

#include "storage/NumberText.h"
#include "storage/SettingsKeys.h"

using namespace Qt::StringLiterals;

namespace sideListStore {
namespace {

template <class Value> struct Key {
    QString name;
    QString Value::*member;
};

// Keys in the order they are written.
const std::vector<Key<Profile>>& profileKeys() {
    static const std::vector<Key<Profile>> keys = {
        {u"Name"_s, &Profile::name},     {u"Str"_s, &Profile::str},    {u"Int"_s, &Profile::intl},
        {u"Dex"_s, &Profile::dex},       {u"Will"_s, &Profile::will},  {u"Luck"_s, &Profile::luck},
        {u"Attack"_s, &Profile::attack}, {u"Range"_s, &Profile::range}};
    return keys;
}

const std::vector<Key<BonusSet>>& bonusSetKeys() {
    static const std::vector<Key<BonusSet>> keys = {{u"Name"_s, &BonusSet::name},
                                                    {u"MinDamage"_s, &BonusSet::minDamage},
                                                    {u"MaxDamage"_s, &BonusSet::maxDamage},
                                                    {u"MinWounds"_s, &BonusSet::minWounds},
                                                    {u"MaxWounds"_s, &BonusSet::maxWounds},
                                                    {u"Critical"_s, &BonusSet::critical},
                                                    {u"Balance"_s, &BonusSet::balance},
                                                    {u"Str"_s, &BonusSet::str},
                                                    {u"Int"_s, &BonusSet::intl},
                                                    {u"Dex"_s, &BonusSet::dex},
                                                    {u"Will"_s, &BonusSet::will},
                                                    {u"Luck"_s, &BonusSet::luck}};
    return keys;
}

// Only ever read: no editor sets them.
const std::vector<Key<BonusSet>>& readOnlyBonusSetKeys() {
    static const std::vector<Key<BonusSet>> keys = {{u"Attack"_s, &BonusSet::attack},
                                                    {u"Range"_s, &BonusSet::range}};
    return keys;
}

template <class Value>
std::vector<Value> load(storage::SettingsFile& settings, const QString& countKey,
                        const QString& prefix,
                        std::initializer_list<const std::vector<Key<Value>>*> keySets) {
    const int count = numberText::readCount(settings.value(settingsKeys::System, countKey));
    std::vector<Value> entries(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        const QString section = prefix + QString::number(n);
        for (const std::vector<Key<Value>>* keys : keySets) {
            for (const Key<Value>& key : *keys)
                entries[static_cast<std::size_t>(n - 1)].*key.member =
                    settings.value(section, key.name);
        }
    }
    return entries;
}

template <class Value>
void write(storage::SettingsFile& settings, const std::vector<Value>& entries,
           const QString& countKey, const QString& prefix, const std::vector<Key<Value>>& keys) {
    settings.setValue(settingsKeys::System, countKey, QString::number(entries.size()));
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const QString section = prefix + QString::number(n + 1);
        for (const Key<Value>& key : keys)
            settings.setValue(section, key.name, entries[n].*key.member);
    }
}

} // namespace

std::vector<Profile> loadProfiles(storage::SettingsFile& settings) {
    return load<Profile>(settings, settingsKeys::ProfileCount, settingsKeys::ProfilePrefix,
                         {&profileKeys()});
}

std::vector<BonusSet> loadBonusSets(storage::SettingsFile& settings) {
    return load<BonusSet>(settings, settingsKeys::EnchantCount, settingsKeys::EnchantPrefix,
                          {&bonusSetKeys(), &readOnlyBonusSetKeys()});
}

storage::SaveOutcome save(storage::SettingsFile& settings, const std::vector<Profile>* profiles,
                          const std::vector<BonusSet>* bonusSets) {
    storage::SettingsBatch batch(settings);
    if (profiles)
        write(settings, *profiles, settingsKeys::ProfileCount, settingsKeys::ProfilePrefix,
              profileKeys());
    if (bonusSets)
        write(settings, *bonusSets, settingsKeys::EnchantCount, settingsKeys::EnchantPrefix,
              bonusSetKeys());
    return batch.commit();
}

} // namespace sideListStore
