#include "simulator/PlanStore.h"

#include "storage/NumberText.h"
#include "storage/SettingsKeys.h"
#include "storage/modCommon.h"

using namespace Qt::StringLiterals;

namespace planStore {

namespace {

class LocalClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

void writePlan(const QString& section, int number, const Plan& plan) {
    const QString n = QString::number(number);
    modCommon::setIni(section, settingsKeys::PlanName + n, plan.name);
    modCommon::setIni(section, settingsKeys::PlanSpec + n, plan.spec);
    modCommon::setIni(section, settingsKeys::PlanDate + n, plan.date);
    modCommon::setIni(section, settingsKeys::PlanData + n, plan.data);
}

} // namespace

QString section(qint16 bukiSeq) {
    return settingsKeys::WeaponPrefix + QString::number(bukiSeq);
}

std::vector<Plan> read(qint16 bukiSeq) {
    const QString s = section(bukiSeq);
    const int count = numberText::readCount(modCommon::strGetIni(s, settingsKeys::PlanCount));
    std::vector<Plan> plans;
    plans.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(i);
        plans.push_back({modCommon::strGetIni(s, settingsKeys::PlanName + n),
                         modCommon::strGetIni(s, settingsKeys::PlanSpec + n),
                         modCommon::strGetIni(s, settingsKeys::PlanDate + n),
                         modCommon::strGetIni(s, settingsKeys::PlanData + n)});
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

storage::SaveOutcome write(qint16 bukiSeq, const std::vector<Plan>& rows, const Plan* added) {
    const QString s = section(bukiSeq);
    modCommon::IniBatch batch;
    int number = 0;
    for (const Plan& plan : rows)
        writePlan(s, ++number, plan);
    if (!added) {
        modCommon::setIni(s, settingsKeys::PlanCount, QString::number(number));
    } else {
        const QString n = QString::number(++number);
        modCommon::setIni(s, settingsKeys::PlanCount, n);
        modCommon::setIni(s, settingsKeys::PlanName + n, added->name);
        modCommon::setIni(s, settingsKeys::PlanData + n, added->data);
        modCommon::setIni(s, settingsKeys::PlanSpec + n, added->spec);
        modCommon::setIni(s, settingsKeys::PlanDate + n, added->date);
    }
    return batch.commit();
}

QString record(const QString& changeTag, const QString& plan) {
    return changeTag + u' ' + plan;
}

ParsedRecord parseRecord(QStringView data) {
    ParsedRecord parsed;
    const qsizetype space = data.indexOf(u' ');
    if (space < 0)
        return parsed;
    bool ok = false;
    const QStringView seq = data.first(space);
    parsed.changeSeq = seq.toShort(&ok);
    // toShort() would let blanks around the digits pass; a record never has them.
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
