#include "storage/modCommon.h"

namespace modCommon {

QString strIfNonZero(QString& text, qint16 value) {
    if (value == 0)
        text.clear();
    return text;
}

QString strSigned(int value) {
    return value >= 0 ? u'+' + QString::number(value) : QString::number(value);
}

QString strFontColor(int value) {
    return value < 0 ? QStringLiteral("<Font Color=\"#885555\">")
                     : QStringLiteral("<Font Color=\"#555a88\">");
}

} // namespace modCommon
