#pragma once
// Saved modification plans: one "WEAPON" + SEQ section of the settings file per weapon, holding
// the plans numbered 1 … Count, and the rule that decides what the save and load dialog writes
// back when it closes.
//
// frmSaveDialog reads the plans into its list, lets the user delete and overwrite rows there,
// and hands the list back here; every write-back is one atomic replacement of the file, so a
// "Count" never disagrees with the keys written beside it.

#include "simulator/ClipboardText.h"
#include "storage/SettingsFile.h"

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <vector>

namespace planStore {

struct Plan {
    QString name;
    QString spec; // the weapon figures after the plan
    QString date; // when it was saved; only shown
    QString data; // the plan record
};

QString section(qint16 bukiSeq);

// Plans 1 … Count of the weapon; a missing key gives empty text, a "Count" that is not a number
// gives no plans.
std::vector<Plan> read(qint16 bukiSeq);

enum class Mode { Save, Load };
// Closed: the window's close box, which neither confirms nor cancels.
enum class Outcome { Confirmed, Cancelled, Closed };
enum class WriteBack { Nothing, Rows, RowsAndNewPlan };

WriteBack writeBack(Mode mode, Outcome outcome, bool deleted);

// Rewrites plans 1 … n from rows and sets "Count" to n, or appends added as plan n + 1, in one
// replacement of the settings file. Keys numbered above the new Count are left alone. A value
// that cannot be written is left out and listed as refused; the others are still written.
storage::SaveOutcome write(qint16 bukiSeq, const std::vector<Plan>& rows,
                           const Plan* added = nullptr);

// The plan record: the performance change's SEQ, one space, the plan string.
QString record(const QString& changeTag, const QString& plan);

struct ParsedRecord {
    enum Status { Ok, NoSpace, Broken };
    Status status = NoSpace;
    qint16 changeSeq = 0;
    QString plan;
};
// A record without a space holds nothing to load; one whose SEQ part is not a 16-bit whole number
// is broken.
ParsedRecord parseRecord(QStringView data);

// "12～25 クリティカル18 バランス45 耐久15"
QString specText(const ShownFigures& shown);
// The proficiency, after the performance change's caption when that is not the ordinary one.
QString jukurenText(const ShownFigures& shown);

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
// The local date and time.
const Clock& systemClock();

// "2024/03/05 9:07:03", the general date-time form of the Japanese systems the files come from.
QString dateText(const QDateTime& when);

} // namespace planStore
