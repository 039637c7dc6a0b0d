#include "simulator/KaizoText.h"

#include "storage/Database.h"
#include "storage/FigureColumns.h"
#include "storage/NumberText.h"
#include "storage/modCommon.h"

namespace kaizoText {

QString description(const Figures& figures, const QString& etc) {
    QString text;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        QString piece =
            figureColumns::Labels[i].toString() + modCommon::strSigned(figures[i]) + u'\u3000';
        text += modCommon::strIfNonZero(piece, figures[i]);
    }
    return text + etc;
}

QString description(const storage::Recordset& row) {
    Figures figures{};
    for (std::size_t i = 0; i < figures.size(); ++i)
        figures[i] = numberText::toInt16(row.field(figureColumns::Names[i]).toDouble());
    return description(figures, row.text(u"ETC"));
}

} // namespace kaizoText
