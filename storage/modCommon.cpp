#include "storage/modCommon.h"

namespace modCommon {

qint16 intMin(qint16 a, qint16 b) {
    return a <= b ? a : b;
}

QString strIfNonZero(QString& text, qint16 value) {
    if (value == 0)
        text.clear();
    return text;
}

qint16 intNotMinus(qint16 value) {
    return value < 0 ? qint16(0) : value;
}

double dblNotMinus(double value) {
    return value < 0 ? 0.0 : value;
}

QString strSigned(int value) {
    return value >= 0 ? u'+' + QString::number(value) : QString::number(value);
}

QString strFontColor(int value) {
    return value < 0 ? QStringLiteral("<Font Color=\"#885555\">")
                     : QStringLiteral("<Font Color=\"#555a88\">");
}

} // namespace modCommon
