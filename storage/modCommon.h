#pragma once
// Settings access and the small numeric and text routines the windows share.
//
// strGetIni / setIni read and write the program's settings file (see SettingsFile.h): reads come
// from a parsed copy kept in memory, writes replace the file atomically. A logical save that writes
// many keys opens an IniBatch so the whole save is one file replacement and reports one outcome.

#include "storage/SettingsFile.h"

#include <QString>

namespace modCommon {

// The value of a key, or empty text when the file, the section or the key is missing. A value
// longer than 254 bytes (in the file's Shift_JIS) comes back cut to 254 bytes without splitting
// a double-byte character.
QString strGetIni(const QString& section, const QString& key);

// Writes one value, creating the file, the section and the key as needed. Inside an IniBatch the
// write is deferred to IniBatch::commit(); otherwise the file is replaced at once. Returns false
// when the value cannot be written (it is then left out) or the file could not be replaced (the
// file is then left as it was).
bool setIni(const QString& section, const QString& key, const QString& value);

// Groups the setIni calls made during its lifetime into one atomic replacement of the file.
// Without commit() the grouped writes are dropped and the file stays as it was.
class IniBatch {
public:
    IniBatch();
    ~IniBatch();
    IniBatch(const IniBatch&) = delete;
    IniBatch& operator=(const IniBatch&) = delete;
    // Writes everything set since construction; see SaveOutcome for what it reports. Without a
    // settings file installed nothing is saved, and the values go to a rescue copy.
    storage::SaveOutcome commit();

private:
    storage::SettingsFile& m_file;
    bool m_done = false;
};

qint16 intMin(qint16 a, qint16 b);
// Empties text (the caller's variable) and returns empty text when value is 0; otherwise
// returns text unchanged.
QString strIfNonZero(QString& text, qint16 value);
qint16 intNotMinus(qint16 value);
double dblNotMinus(double value);
// "+7", "+0", "-3".
QString strSigned(int value);
// The opening colour tag of the list export: red-brown for negatives, blue-grey otherwise.
QString strFontColor(int value);

} // namespace modCommon
