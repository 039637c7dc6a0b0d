#pragma once
// The texts the simulator's clipboard buttons copy: the plan steps, the weapon figures (one line,
// or a four-line summary) and the weapon's whole modification list with colour mark-up.
//
// The first three are built from the texts the simulator window shows (FigureTexts.h), so what is
// pasted reads exactly like the window; the list comes from the modification master. Placing the
// text on the clipboard is Clipboard.h's job; the plan save (PlanStore.h) reads the same texts.

#include "simulator/Figures.h"
#include "simulator/KaizoText.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace storage {
class Connection;
}

namespace clipboardText {

// The names of the applied steps: slot 0, then the following slots while they are filled, never
// past the weapon's last step or the fifth slot.
QStringList stepNames(const ShownFigures& shown);

// The performance change's caption when it is not the ordinary one, else empty.
QString changePrefix(const ShownFigures& shown);

// "45式ロングソード 攻撃強化→耐久強化"
QString planSteps(const ShownFigures& shown);
// "45式ロングソード　ダメージ12-25　クリティカル18　バランス45　耐久15"
QString weaponFigures(const ShownFigures& shown);
// Four lines: cost, steps, figures, the Dex for 80% balance.
QString weaponSummary(const ShownFigures& shown);

// One row of the modification master as the list export needs it.
struct KaizoLine {
    QString name;
    QString kaisuS; // as stored
    QString kaisuE;
    QString exp;
    qint64 cost = 0;
    kaizoText::Figures figures{};
    QString etc;
};

// The row's line, CRLF included.
QString listLine(const KaizoLine& line);

// Every modification of the weapon in SORT_NO order, one line each; nullopt when the database
// refused the query.
std::optional<QString> modificationList(storage::Connection& db, qint32 bukiSeq);

} // namespace clipboardText
