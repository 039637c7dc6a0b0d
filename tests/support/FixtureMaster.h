#pragma once
// The master database the simulator tests run on: the real schema with a few hand-made weapons
// whose figures the tests can work out by hand.
//
// Weapon 1 "ロングソード" (melee, 10～20, 5～15, crit 10, balance 50, durability 10) offers six
// steps (0/6) with modifications 101 (max damage +3, durability -2, EXP 10, cost 12500),
// 102 (durability -20), 103 (durability +5, ETC "特殊効果", cost 1000), 104 (no figures, ETC only)
// at every step and 105 (balance +5, crit +1) from step 1 on. Weapon 2 "短剣" offers five steps
// of 201 (min damage +1). Weapon 3 "飾り剣" has no modifications. Weapon 4 "長弓" is ranged.
// Weapon 9 has modification 900, whose deltas equal the weapon's own figures, and 902, which
// takes 99 from every figure. Performance changes: 23 the ordinary one, 30 "名匠の作" (+2/+4
// damage, crit +3, balance -60, durability -50). Ranks: "F" gives the range skill 1/2/3, "1" the
// attack skill 2/3/4.

#include <QString>

namespace storage {
class Connection;
}

namespace testsupport {

// Writes the fixture master to path (replacing any file there) and returns path.
QString writeFixtureMaster(const QString& path);
// Writes the fixture master to path and opens the connection on it.
void openFixtureMaster(storage::Connection& db, const QString& path);

// The program only reads its master, so a test changes it behind a closed connection: closed,
// changed by sql, opened again.
void changeFixtureMaster(storage::Connection& db, const QString& path, const char* sql);

} // namespace testsupport
