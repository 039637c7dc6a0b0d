#include "storage/modCommon.h"

namespace modCommon {

namespace {

storage::SettingsFile& settingsFile() {
    static storage::SettingsFile none{QString()};
    storage::SettingsFile* file = storage::currentSettingsFile();
    return file ? *file : none;
}

} // namespace

QString strGetIni(const QString& section, const QString& key) {
    return settingsFile().value(section, key);
}

bool setIni(const QString& section, const QString& key, const QString& value) {
    return settingsFile().setValue(section, key, value);
}

IniBatch::IniBatch()
    : m_file(settingsFile()) {
    m_file.beginBatch();
}

IniBatch::~IniBatch() {
    if (!m_done)
        m_file.discardBatch();
}

storage::SaveOutcome IniBatch::commit() {
    if (m_done)
        return {false, {}, {}};
    m_done = true;
    return m_file.commitBatch();
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
