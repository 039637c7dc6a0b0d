#pragma once
// The plan string: one item per applied step, the decimal SEQ of the modification followed by
// ".", e.g. "12.57.3.". Saved plans hold it as typed or stored long ago, so reading is defensive.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace planString {

// The texts before each "."; whatever follows the last "." is not an item.
QStringList items(QStringView plan);

// The first count items, each with its ".".
QString cut(QStringView plan, int count);

QString appended(const QString& plan, qint32 seq);

// The SEQs to replay: at most maxSteps items are taken; an item that is not a whole number in
// the 32-bit range ends the list there (invalid is then true).
struct Parsed {
    QList<qint32> seqs;
    bool invalid = false;
    bool truncated = false;
};
Parsed parse(QStringView plan, int maxSteps);

} // namespace planString
