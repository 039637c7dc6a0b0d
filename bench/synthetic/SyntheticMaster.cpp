#include "bench/synthetic/SyntheticMaster.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <string>

namespace synthetic {

extern const char* const schemaSql;

namespace {

// Reproducible pseudo-random values: the same size always gives the same file content.
std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A value in lo..hi drawn for (key, column).
int pick(std::uint64_t key, int column, int lo, int hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(hi - lo + 1);
    return lo + static_cast<int>(mix(key * 64 + static_cast<std::uint64_t>(column)) % span);
}

constexpr std::array<const char*, kTypeCount> kTypeNames = {"片手剣", "両手剣", "斧", "鈍器",
                                                            "槍",     "格闘",   "弓", "石弓"};
constexpr std::array<const char*, 5> kSpeeds = {"とても速い", "速い", "普通", "遅い", "とても遅い"};
constexpr std::array<const char*, 8> kKaizoNames = {
    "刃の研磨", "重量増加", "軽量化", "刃先強化", "柄の交換", "鍛え直し", "手入れ", "名工の仕上げ"};
constexpr std::array<const char*, 16> kRanks = {"練習", "F", "E", "D", "C", "B", "A", "9",
                                                "8",    "7", "6", "5", "4", "3", "2", "1"};

struct ChangeSpec {
    int seq;
    const char* name;
    const char* group;
    int minDamage, maxDamage, critical, balance, taikyu, hyouji, sortNo;
};
constexpr std::array<ChangeSpec, 12> kChangeSpecs = {{
    {kOrdinaryChangeSeq, "一般品", "一般品", 0, 0, 0, 0, 0, 1, 1},
    {1, "攻撃特化", "鍛冶品", 1, 2, 0, -3, -2, 1, 10},
    {2, "バランス型", "鍛冶品", 0, 0, 0, 4, 0, 1, 11},
    {3, "耐久重視", "鍛冶品", 0, -1, 0, 0, 4, 1, 12},
    {4, "粗悪品", "鍛冶品", -2, -3, -2, -5, -5, 0, 13},
    {30, "上質な", "ドロップ品", 1, 1, 0, 0, 0, 1, 20},
    {31, "鋭い", "ドロップ品", 0, 0, 2, 0, 0, 1, 21},
    {32, "錆びた", "ドロップ品", -1, -2, 0, -3, -20, 1, 22},
    {33, "呪われた", "ドロップ品", 5, 5, 5, -30, -10, 0, 23},
    {40, "祝福された", "クエスト報酬", 0, 1, 1, 1, 1, 1, 30},
    {41, "記念品", "クエスト報酬", 0, 0, 0, 0, 0, 0, 2},
    {42, "勲章付き", "クエスト報酬", 1, 1, 1, 1, 1, 1, 31},
}};

class Writer {
public:
    explicit Writer(std::string& error)
        : m_error(error) {}
    ~Writer() {
        sqlite3_finalize(m_stmt);
        sqlite3_close(m_db);
    }

    bool open(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            return fail("cannot create " + path);
        // The file is built under a temporary name and renamed when complete, so crash safety
        // of the journal buys nothing here.
        return exec("PRAGMA journal_mode = OFF") && exec("PRAGMA synchronous = OFF");
    }

    bool exec(const char* sql) {
        return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail(sql);
    }

    bool prepare(const char* sql) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) == SQLITE_OK || fail(sql);
    }

    // Binds the values in order and runs the prepared insert once.
    template <typename... Values> bool insert(const Values&... values) {
        int index = 0;
        (bind(++index, values), ...);
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        return rc == SQLITE_DONE || fail("insert");
    }

    bool close() {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        const bool ok = sqlite3_close(m_db) == SQLITE_OK;
        m_db = nullptr;
        return ok || fail("close");
    }

private:
    void bind(int index, int value) { sqlite3_bind_int(m_stmt, index, value); }
    void bind(int index, const char* value) {
        if (value)
            sqlite3_bind_text(m_stmt, index, value, -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(m_stmt, index);
    }
    void bind(int index, const std::string& value) {
        sqlite3_bind_text(m_stmt, index, value.c_str(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }

    bool fail(const std::string& what) {
        m_error = what + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
        return false;
    }

    std::string& m_error;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

bool writeTypes(Writer& db) {
    if (!db.prepare("INSERT INTO SHURUI_MASTER (SEQ, SHURUI_NAME, SORT_NO, COMBAT_TYPE) "
                    "VALUES (?, ?, ?, ?)"))
        return false;
    for (int t = 1; t <= kTypeCount; ++t) {
        // Tab order differs from SEQ order, as in real data.
        if (!db.insert(t, kTypeNames[t - 1], (kTypeCount - t) * 10, t <= 6 ? 1 : 2))
            return false;
    }
    return true;
}

bool writeWeapons(Writer& db, int weapons) {
    if (!db.prepare("INSERT INTO BUKI_MASTER (SEQ, BUKI_NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, "
                    "MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE, RANGE, TAIKYU, SPEED, HIT, HYOUJI, "
                    "SORT_NO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        return false;
    char name[64];
    for (int w = 1; w <= weapons; ++w) {
        const int type = typeOf(w);
        const bool ranged = type > 6;
        const int minDamage = pick(w, 0, 3, 30);
        const int minWounds = pick(w, 2, 0, 20);
        std::snprintf(name, sizeof name, "試験用%s%05d", kTypeNames[type - 1], w);
        if (!db.insert(w, std::string(name), type, minDamage, minDamage + pick(w, 1, 6, 20),
                       minWounds, minWounds + pick(w, 3, 10, 25), pick(w, 4, 5, 25),
                       pick(w, 5, 20, 60), ranged ? pick(w, 6, 1000, 1700) : 0, pick(w, 7, 8, 30),
                       kSpeeds[pick(w, 8, 0, 4)], w % 9 == 0 ? "2" : "1", isShown(w) ? 1 : 0,
                       pick(w, 9, 0, 999)))
            return false;
    }
    return true;
}

bool writeModifications(Writer& db, int weapons, int perWeapon) {
    if (!db.prepare("INSERT INTO KAIZO_MASTER (SEQ, KAIZO_NAME, BUKI_SEQ, KAISU_S, KAISU_E, "
                    "SORT_NO, MIN_DAMAGE, MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE, "
                    "RANGE, TAIKYU, EXP, COST, ETC) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        return false;
    std::string name;
    for (int w = 1; w <= weapons; ++w) {
        const int steps = stepCount(w);
        const bool ranged = typeOf(w) > 6;
        for (int j = 0; j < perWeapon; ++j) {
            const int seq = kaizoSeq(w, j, perWeapon);
            // Starts spread over all steps and ranges of one to three steps, so ranges overlap
            // and every step offers several modifications.
            const int first = (j * 3) % steps;
            const int last = std::min(steps - 1, first + j % 3);
            name = kKaizoNames[j % kKaizoNames.size()];
            if (j >= static_cast<int>(kKaizoNames.size()))
                name += std::to_string(j / kKaizoNames.size() + 1);
            const char* etc = nullptr;
            switch (j % 4) {
            case 1:
                etc = "";
                break;
            case 2:
                etc = "成功率 低";
                break;
            case 3:
                etc = "素材: 鉄鉱石×5";
                break;
            }
            const int cost = j % 7 == 0 ? 0 : pick(seq, 10, 1, 60) * 500;
            if (!db.insert(seq, name, w, first, last, (j + 1) * 10, pick(seq, 0, -1, 3),
                           pick(seq, 1, -1, 3), pick(seq, 2, -2, 3), pick(seq, 3, -2, 3),
                           pick(seq, 4, -1, 2), pick(seq, 5, -5, 5),
                           ranged ? pick(seq, 6, -50, 150) : 0, pick(seq, 7, -3, 2),
                           pick(seq, 8, 5, 200), cost, etc))
                return false;
        }
    }
    return true;
}

bool writeSkills(Writer& db) {
    if (!db.prepare("INSERT INTO LANK_INDEX (LANK, SORT_NO) VALUES (?, ?)"))
        return false;
    for (int i = 0; i < static_cast<int>(kRanks.size()); ++i)
        if (!db.insert(kRanks[i], i))
            return false;
    if (!db.prepare("INSERT INTO SKILL_MASTER (ID, SKILL_NAME, COMBAT_TYPE) VALUES (?, ?, ?)") ||
        !db.insert(101, "アタック", 1) || !db.insert(102, "レンジ", 2))
        return false;
    if (!db.prepare("INSERT INTO LANK_MASTER (LANK, SKILL_ID, MIN_DAMAGE, MAX_DAMAGE, BALANCE) "
                    "VALUES (?, ?, ?, ?, ?)"))
        return false;
    // The practice rank (index 0) has no bonus row, as in the sample.
    for (int i = 1; i < static_cast<int>(kRanks.size()); ++i) {
        if (!db.insert(kRanks[i], 101, i / 2, (i * 2) / 3, i / 3) ||
            !db.insert(kRanks[i], 102, i / 3, i / 2, (i * 2) / 3))
            return false;
    }
    return true;
}

bool writeChangeSpecs(Writer& db) {
    if (!db.prepare("INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, "
                    "CRITICAL, BLANCE, TAIKYU, HYOUJI, SORT_NO) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        return false;
    for (const ChangeSpec& c : kChangeSpecs)
        if (!db.insert(c.seq, c.name, c.group, c.minDamage, c.maxDamage, c.critical, c.balance,
                       c.taikyu, c.hyouji, c.sortNo))
            return false;
    return true;
}

bool writeAll(const std::string& path, const Size& size, std::string& error) {
    Writer db(error);
    return db.open(path) && db.exec(schemaSql) && db.exec("BEGIN") && writeTypes(db) &&
           writeWeapons(db, size.weapons) &&
           writeModifications(db, size.weapons, size.modsPerWeapon) && writeSkills(db) &&
           writeChangeSpecs(db) && db.exec("COMMIT") && db.close();
}

} // namespace

bool writeMaster(const std::string& path, const Size& size, std::string& error) {
    if (size.weapons < 1 || size.weapons > 32767) {
        error = "the number of weapons must lie in 1..32767";
        return false;
    }
    if (size.modsPerWeapon < 0 || size.modsPerWeapon > 1000) {
        error = "the number of modifications per weapon must lie in 0..1000";
        return false;
    }
    const std::string tmp = path + ".tmp";
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
    if (!writeAll(tmp, size, error)) {
        std::filesystem::remove(tmp, ignored);
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(tmp, path, renameError);
    if (renameError) {
        error = "cannot replace " + path + ": " + renameError.message();
        std::filesystem::remove(tmp, ignored);
        return false;
    }
    return true;
}

} // namespace synthetic
