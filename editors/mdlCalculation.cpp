#include "editors/mdlCalculation.h"

#include "storage/Cp932.h"
#include "storage/NumberText.h"
#include "storage/SettingsFile.h"

#include <cmath>

namespace mdlCalculation {
namespace {

constexpr double kLimit = 999.0;

bool isNameBlank(QChar c) {
    return c == u' ' || c == QChar(0x3000);
}

} // namespace

bool blnInRange(QStringView text) {
    // Written so that NaN and infinity fail as well.
    return std::fabs(numberText::readLenient(text)) <= kLimit;
}

QString strTrimName(QStringView name) {
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isNameBlank(name[begin]))
        ++begin;
    while (end > begin && isNameBlank(name[end - 1]))
        --end;
    return name.sliced(begin, end - begin).toString();
}

bool blnIsBlankName(QStringView name) {
    return strTrimName(name).isEmpty();
}

QString strStatText(QStringView text) {
    return numberText::numberText(numberText::readLenient(text));
}

StoredText checkStoredText(const QString& text) {
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return StoredText::ControlCharacter;
    }
    if (!storage::cp932CanEncode(text))
        return StoredText::NotShiftJis;
    if (storage::cp932Encode(text).size() > storage::SettingsFile::MaxValueBytes)
        return StoredText::TooLong;
    return StoredText::Fits;
}

Condition readCondition(QStringView text) {
    if (text.trimmed().isEmpty())
        return {};
    const double value = numberText::readLenient(text);
    if (!(value >= 0 && value <= ConditionMax) || value != std::floor(value))
        return {false, std::nullopt};
    return {true, value};
}

} // namespace mdlCalculation
