#include "simulator/PlanString.h"

namespace planString {

QStringList items(QStringView plan) {
    QStringList result;
    qsizetype start = 0;
    for (qsizetype dot = plan.indexOf(u'.'); dot >= 0; dot = plan.indexOf(u'.', start)) {
        result.append(plan.mid(start, dot - start).toString());
        start = dot + 1;
    }
    return result;
}

QString cut(QStringView plan, int count) {
    QString result;
    const QStringList all = items(plan);
    for (int i = 0; i < count && i < all.size(); ++i)
        result += all.at(i) + u'.';
    return result;
}

QString appended(const QString& plan, qint32 seq) {
    return plan + QString::number(seq) + u'.';
}

Parsed parse(QStringView plan, int maxSteps) {
    Parsed parsed;
    const QStringList all = items(plan);
    for (const QString& item : all) {
        if (parsed.seqs.size() >= maxSteps) {
            parsed.truncated = true;
            break;
        }
        bool ok = false;
        const qint32 seq = item.toInt(&ok);
        if (!ok) {
            parsed.invalid = true;
            break;
        }
        parsed.seqs.append(seq);
    }
    return parsed;
}

} // namespace planString
