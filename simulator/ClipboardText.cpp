#include "simulator/ClipboardText.h"

#include "simulator/Simulation.h"
#include "storage/Database.h"
#include "storage/FigureColumns.h"
#include "storage/NumberText.h"
#include "storage/modCommon.h"
#include "storage/modDBAccess.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace clipboardText {

namespace {

const QString kCrLf = u"\r\n"_s;

QString joinedSteps(const ShownFigures& shown) {
    return stepNames(shown).join(u'→');
}

// Damage with "-" for "～", then critical, balance and durability.
QString figures(const ShownFigures& shown) {
    QString damage = shown.damage;
    damage.replace(u'～', u'-');
    return u"ダメージ"_s + damage + u"　クリティカル"_s + shown.critical + u"　バランス"_s +
           shown.balance + u"　耐久"_s + shown.taikyu;
}

} // namespace

QStringList stepNames(const ShownFigures& shown) {
    QStringList names{shown.steps.value(0)};
    const int last = qMin<int>(shown.maxKaisu - 1, Simulation::MaxSteps - 1);
    for (int i = 1; i <= last && !shown.steps.value(i).isEmpty(); ++i)
        names.append(shown.steps.value(i));
    return names;
}

QString changePrefix(const ShownFigures& shown) {
    return shown.changeSeq == Simulation::DefaultChangeSpec ? QString() : shown.changeCaption;
}

QString planSteps(const ShownFigures& shown) {
    return shown.jukuren + u'式' + shown.bukiName + u' ' + joinedSteps(shown);
}

QString weaponFigures(const ShownFigures& shown) {
    return changePrefix(shown) + shown.jukuren + u'式' + shown.bukiName + u'　' + figures(shown);
}

QString weaponSummary(const ShownFigures& shown) {
    QString dex = shown.balanceTassei;
    dex.remove(u'(').remove(u')');
    return u"○費用"_s + shown.cost + kCrLf + u'○' + joinedSteps(shown) + kCrLf + u'○' +
           figures(shown) + kCrLf + u"○バランス80％達成DEX "_s + dex;
}

QString listLine(const KaizoLine& line) {
    QString text = line.name + u"  "_s + line.kaisuS + u'-' + line.kaisuE + u"  "_s +
                   numberText::formatRightAligned(line.exp, 3) + u"  "_s +
                   numberText::formatRightAligned(numberText::formatThousands(line.cost), 7);
    for (std::size_t i = 0; i < line.figures.size(); ++i) {
        const int value = line.figures[i];
        if (value != 0) {
            text += modCommon::strFontColor(value) + u"  "_s + figureColumns::Labels[i].toString() +
                    modCommon::strSigned(value) + u"</font>"_s;
        }
    }
    return text + u"  "_s + line.etc + kCrLf;
}

std::optional<QString> modificationList(storage::Connection& db, qint32 bukiSeq) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetKaizoListAll(bukiSeq)))
        return std::nullopt;
    QString text;
    for (; !rs.eof(); rs.moveNext()) {
        KaizoLine line;
        line.name = rs.text(1);
        line.kaisuS = rs.text(u"KAISU_S");
        line.kaisuE = rs.text(u"KAISU_E");
        line.exp = rs.text(u"EXP");
        line.cost = std::llround(rs.field(u"COST").toDouble());
        for (std::size_t i = 0; i < line.figures.size(); ++i)
            line.figures[i] = numberText::toInt16(rs.field(figureColumns::Names[i]).toDouble());
        line.etc = rs.text(u"ETC");
        text += listLine(line);
    }
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return text;
}

} // namespace clipboardText
