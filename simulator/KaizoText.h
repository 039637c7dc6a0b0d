#pragma once
// The description of a modification as the simulator shows it: each non-zero figure as its label,
// the signed value and one full-width blank, then the remarks. The modification list and the
// replay of a saved plan both build it here, so a replayed step reads exactly like an applied one.

#include <QString>
#include <array>

namespace storage {
class Recordset;
}

namespace kaizoText {

// The figures in the order MIN_DAMAGE, MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE,
// RANGE, TAIKYU.
using Figures = std::array<qint16, 8>;

QString description(const Figures& figures, const QString& etc);

// The same for the current row of a KAIZO_MASTER query.
QString description(const storage::Recordset& row);

} // namespace kaizoText
