#include "storage/modCommon.h"

#include "storage/SettingsFile.h"

namespace modCommon {

QString strGetIni(const QString& section, const QString& key) {
    storage::SettingsFile* file = storage::currentSettingsFile();
    return file ? file->value(section, key) : QString();
}

bool setIni(const QString& section, const QString& key, const QString& value) {
    storage::SettingsFile* file = storage::currentSettingsFile();
    return file && file->setValue(section, key, value);
}

IniBatch::IniBatch() {
    if (storage::SettingsFile* file = storage::currentSettingsFile())
        file->beginBatch();
}

IniBatch::~IniBatch() {
    if (m_done)
        return;
    if (storage::SettingsFile* file = storage::currentSettingsFile())
        file->discardBatch();
}

bool IniBatch::commit() {
    if (m_done)
        return false;
    m_done = true;
    storage::SettingsFile* file = storage::currentSettingsFile();
    return file && file->commitBatch();
}

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
