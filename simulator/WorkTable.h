#pragma once
// Typed access to the scratch table WORK_BUKI_DATA, which carries the whole simulation: one row
// per weapon state (step 0 the base, step k after k modifications), the bonus row of the
// character and bonus set, and the initial performance change row. Each call runs one statement
// of modDBAccess and hands back a value or success; a statement the database refuses comes back
// as nullopt / false, and the caller decides what to tell the user.

#include <QString>
#include <optional>

namespace storage {
class Connection;
class Recordset;
} // namespace storage

namespace workTable {

// Kinds of rows (column SHURUI).
enum class RowKind : qint16 { Weapon = 0, Bonus = 1, ChangeSpec = 3 };

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

    bool operator==(const StepFigures&) const = default;
};

// The six combat sums of one step (weapon state plus bonus row); they may carry fractions.
struct CombatSums {
    double minDamage = 0;
    double maxDamage = 0;
    double minWounds = 0;
    double maxWounds = 0;
    double critical = 0;
    double balance = 0;

    bool operator==(const CombatSums&) const = default;
};

// The seven values of the performance change row for the current row of its master lookup (both
// wound rates 0), or seven zeros when the lookup found no row.
QString changeSpecValues(const storage::Recordset& lookup);

class WorkTable {
public:
    explicit WorkTable(storage::Connection& connection)
        : m_db(connection) {}

    // The number of applied steps.
    std::optional<qint16> kaizoCount() const;
    // The weapon state row of a step; nullopt also when the step has no row.
    std::optional<StepFigures> step(qint16 kaisu) const;
    // The combat sums of a step; a missing row counts as 0.
    std::optional<CombatSums> sums(qint16 kaisu) const;

    bool clear();
    bool insertBase(qint32 bukiSeq);
    // Writes step kaisu + 1 from step kaisu and the modification's deltas.
    bool insertStep(qint16 kaisu, qint32 kaizoSeq);
    // values: seven comma-separated numbers in the order of the seven-figure column list.
    bool insertValues(const QString& values, RowKind kind);
    bool deleteKind(RowKind kind);
    bool deleteStep(qint16 kaisu);

private:
    bool run(const QString& statement);

    storage::Connection& m_db;
};

} // namespace workTable
