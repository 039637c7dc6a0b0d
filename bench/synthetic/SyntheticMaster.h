#pragma once
// A large made-up master database for load tests and benchmarks.
//
// The file gets the real master schema (data/schema.sql) and regular, reproducible content:
// weapons spread over eight weapon types, a fixed number of modifications per weapon with
// overlapping step ranges and negative deltas, the sixteen skill ranks with bonuses for both
// skills, and performance changes in four groups with SEQ 23 as the ordinary entry. Only sqlite3
// is needed, so tests and tools can use it without Qt.

#include <string>

namespace synthetic {

struct Size {
    int weapons = 20000;
    int modsPerWeapon = 20;
};

// Weapon types 1..8; types 1..6 are melee (combat type 1), 7 and 8 ranged (combat type 2).
constexpr int kTypeCount = 8;
// The performance change that stands for "no change".
constexpr int kOrdinaryChangeSeq = 23;

// Writes a fresh master to path, replacing any file there, through a temporary file so that a
// failure leaves an earlier file untouched. weapons must lie in 1..32767 and modsPerWeapon in
// 0..1000. On failure returns false and says why in error.
bool writeMaster(const std::string& path, const Size& size, std::string& error);

// Weapon w (SEQ 1..weapons) has type (w - 1) % 8 + 1, is hidden (HYOUJI 0) when w % 50 == 0, and
// offers 5 steps, or 7 when w % 10 == 7.
constexpr int typeOf(int bukiSeq) {
    return (bukiSeq - 1) % kTypeCount + 1;
}
constexpr bool isShown(int bukiSeq) {
    return bukiSeq % 50 != 0;
}
constexpr int stepCount(int bukiSeq) {
    return bukiSeq % 10 == 7 ? 7 : 5;
}

// SEQ of the index-th (0-based) modification of a weapon. The program holds modification SEQs in
// 16 bits, so only those up to 32767 can be applied by it; with 20 per weapon these are the
// modifications of weapons 1..1638.
constexpr int kaizoSeq(int bukiSeq, int index, int modsPerWeapon) {
    return (bukiSeq - 1) * modsPerWeapon + index + 1;
}

} // namespace synthetic
