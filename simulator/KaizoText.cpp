#include "simulator/KaizoText.h"

#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modCommon.h"

namespace kaizoText {

namespace {

constexpr std::array<QStringView, 8> kColumns = {u"MIN_DAMAGE", u"MAX_DAMAGE", u"MIN_WOUNDS",
                                                 u"MAX_WOUNDS", u"CRITICAL",   u"BLANCE",
                                                 u"RANGE",      u"TAIKYU"};
constexpr std::array<QStringView, 8> kLabels = {u"最小ダメージ", u"最大ダメージ", u"最小負傷率",
                                                u"最大負傷率",   u"クリティカル", u"バランス",
                                                u"射程",         u"耐久"};

} // namespace

QString description(const Figures& figures, const QString& etc) {
    QString text;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        QString piece = kLabels[i].toString() + modCommon::strSigned(figures[i]) + u'\u3000';
        text += modCommon::strIfNonZero(piece, figures[i]);
    }
    return text + etc;
}

QString description(const storage::Recordset& row) {
    Figures figures{};
    for (std::size_t i = 0; i < figures.size(); ++i)
        figures[i] = numberText::toInt16(row.field(kColumns[i]).toDouble());
    return description(figures, row.text(u"ETC"));
}

} // namespace kaizoText
