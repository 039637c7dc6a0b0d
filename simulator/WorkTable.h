#pragma once
// Typed access to the scratch table WORK_BUKI_DATA, which carries the whole simulation: one row
// per weapon state (step 0 the base, step k after k modifications), the bonus row of the
// character and bonus set, and the initial performance change row. Each function runs one
// statement of modDBAccess through a recordset (the shared one unless a test passes its own) and
// hands back a value or success; a statement the database refuses comes back as nullopt / false,
// and the caller decides what to tell the user.

#include "storage/Database.h"

#include <QString>
#include <optional>

namespace workTable {

// Kinds of rows (SHURUI).
constexpr qint16 WeaponRow = 0;
constexpr qint16 BonusRow = 1;
constexpr qint16 ChangeSpecRow = 3;

// The weapon state of one step: eight weapon figures, proficiency and cost. Whole numbers,
// held as double so that any master value fits.
struct StepFigures {
    double minDamage = 0;
    double maxDamage = 0;
    double minWounds = 0;
    double maxWounds = 0;
    double critical = 0;
    double balance = 0;
    double range = 0;
    double taikyu = 0;
    double exp = 0;
    double cost = 0;
};

// The six combat sums of one step (weapon state plus bonus row); they may carry fractions.
struct CombatSums {
    double minDamage = 0;
    double maxDamage = 0;
    double minWounds = 0;
    double maxWounds = 0;
    double critical = 0;
    double balance = 0;
};

// The number of applied steps.
std::optional<qint16> kaizoCount(storage::Recordset& rs = storage::rsShared());

// The weapon state row of a step; nullopt also when the step has no row.
std::optional<StepFigures> step(qint16 kaisu, storage::Recordset& rs = storage::rsShared());

// The combat sums of a step; a missing row counts as 0.
std::optional<CombatSums> sums(qint16 kaisu, storage::Recordset& rs = storage::rsShared());

bool insertBase(qint16 bukiSeq, storage::Recordset& rs = storage::rsShared());
// Writes step kaisu + 1 from step kaisu and the modification's deltas.
bool insertStep(qint16 kaisu, qint16 kaizoSeq, storage::Recordset& rs = storage::rsShared());
// values: seven comma-separated numbers in the order of the seven-figure column list.
bool insertValues(const QString& values, qint16 shurui,
                  storage::Recordset& rs = storage::rsShared());
bool deleteWork(const QString& clause, storage::Recordset& rs = storage::rsShared());

// The values of the performance change row for the current row of a CHANGE_SPEC_MASTER lookup
// (both wound rates 0), or for no entry when lookup is at its end.
QString changeSpecValues(const storage::Recordset& lookup);

// Groups several statements so that they take effect together or not at all: without commit()
// everything since construction is undone. Nests.
class Savepoint {
public:
    explicit Savepoint(storage::Connection& connection);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    // True when the statements since construction now stand.
    bool commit();

private:
    storage::Connection& m_connection;
    bool m_active = false;
};

} // namespace workTable
