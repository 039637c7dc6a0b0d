#include "simulator/PlanStore.h"

#include "simulator/ClipboardText.h"
#include "storage/NumberText.h"
#include "storage/SettingsKeys.h"

using namespace Qt::StringLiterals;

namespace planStore {

namespace {

class LocalClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// Name, Spec, Date, Data: the order a rewritten plan's keys are written in.
void writePlan(storage::SettingsFile& settings, const QString& section, int number,
               const Plan& plan) {
    const QString n = QString::number(number);
    settings.setValue(section, settingsKeys::PlanName + n, plan.name);
    settings.setValue(section, settingsKeys::PlanSpec + n, plan.spec);
    settings.setValue(section, settingsKeys::PlanDate + n, plan.date);
    settings.setValue(section, settingsKeys::PlanData + n, plan.data);
}

} // namespace

QString section(qint32 bukiSeq) {
    return settingsKeys::WeaponPrefix + QString::number(bukiSeq);
}

std::vector<Plan> read(storage::SettingsFile& settings, qint32 bukiSeq) {
    const QString s = section(bukiSeq);
    const int count = numberText::readCount(settings.value(s, settingsKeys::PlanCount));
    std::vector<Plan> plans;
    plans.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(i);
        plans.push_back({settings.value(s, settingsKeys::PlanName + n),
                         settings.value(s, settingsKeys::PlanSpec + n),
                         settings.value(s, settingsKeys::PlanDate + n),
                         settings.value(s, settingsKeys::PlanData + n)});
    }
    return plans;
}

WriteBack writeBack(Mode mode, Outcome outcome, bool deleted) {
    if (outcome == Outcome::Closed)
        return WriteBack::Nothing;
    if (mode == Mode::Save && outcome == Outcome::Confirmed)
        return WriteBack::RowsAndNewPlan;
    return deleted ? WriteBack::Rows : WriteBack::Nothing;
}

storage::SaveOutcome write(storage::SettingsFile& settings, qint32 bukiSeq,
                           const std::vector<Plan>& rows, const Plan* added) {
    const QString s = section(bukiSeq);
    storage::SettingsBatch batch(settings);
    int number = 0;
    for (const Plan& plan : rows)
        writePlan(settings, s, ++number, plan);
    if (!added) {
        settings.setValue(s, settingsKeys::PlanCount, QString::number(number));
        return batch.commit();
    }
    // The new plan: Count first, then Name, Data, Spec, Date.
    const QString n = QString::number(++number);
    settings.setValue(s, settingsKeys::PlanCount, n);
    settings.setValue(s, settingsKeys::PlanName + n, added->name);
    settings.setValue(s, settingsKeys::PlanData + n, added->data);
    settings.setValue(s, settingsKeys::PlanSpec + n, added->spec);
    settings.setValue(s, settingsKeys::PlanDate + n, added->date);
    return batch.commit();
}

QString record(qint32 changeSeq, const QString& plan) {
    return QString::number(changeSeq) + u' ' + plan;
}

ParsedRecord parseRecord(QStringView data) {
    ParsedRecord parsed;
    const qsizetype space = data.indexOf(u' ');
    if (space < 0)
        return parsed;
    bool ok = false;
    const QStringView seq = data.first(space);
    parsed.changeSeq = seq.toInt(&ok);
    // toInt() would let blanks around the digits pass; a record never has them.
    if (!ok || seq.trimmed().size() != seq.size()) {
        parsed.status = ParsedRecord::Broken;
        return parsed;
    }
    parsed.status = ParsedRecord::Ok;
    parsed.plan = data.sliced(space + 1).toString();
    return parsed;
}

QString specText(const ShownFigures& shown) {
    return shown.damage + u" クリティカル"_s + shown.critical + u" バランス"_s + shown.balance +
           u" 耐久"_s + shown.taikyu;
}

QString jukurenText(const ShownFigures& shown) {
    return clipboardText::changePrefix(shown) + shown.jukuren;
}

const Clock& systemClock() {
    static const LocalClock clock;
    return clock;
}

QString dateText(const QDateTime& when) {
    return when.toString(u"yyyy/MM/dd H:mm:ss"_s);
}

} // namespace planStore
