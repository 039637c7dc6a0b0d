#pragma once
// The small numeric and text routines the simulator's texts share.

#include <QString>

namespace modCommon {

// Empties text (the caller's variable) and returns empty text when value is 0; otherwise
// returns text unchanged.
QString strIfNonZero(QString& text, qint16 value);
// "+7", "+0", "-3".
QString strSigned(int value);
// The opening colour tag of the list export: red-brown for negatives, blue-grey otherwise.
QString strFontColor(int value);

} // namespace modCommon
