#pragma once
// The editors' input rules that need no window: the range every numeric field must keep, the
// blank-name rule and the text a statistic is stored as. The dialogs (and the plan save dialog,
// for the name) call these; EntryFields.h adds the message boxes and the focus handling.

#include <QString>
#include <QStringView>
#include <optional>

namespace mdlCalculation {

// True when the field's number (the lenient reading of its text) lies within -999..999, both
// bounds included. A number too large to represent (1e400) is out of range.
bool blnInRange(QStringView text);

// The name with leading and trailing blanks removed; both the ordinary space and the full-width
// space U+3000 count as blanks, because a Japanese keyboard types the latter in names.
QString strTrimName(QStringView name);
bool blnIsBlankName(QStringView name);

// The text a statistic is stored as: its lenient reading written as number text ("12abc" -> "12").
QString strStatText(QStringView text);

// Why a text kept as typed (a name, a bonus stored as typed) could not go into the settings file
// and come back whole: a control character (line break, tab, NUL …) the file cannot hold in a
// value, a character its Shift_JIS cannot hold, or more bytes than a value is read back with.
enum class StoredText { Fits, ControlCharacter, NotShiftJis, TooLong };
StoredText checkStoredText(const QString& text);

// A condition of the plan search: blank (blanks only) means no limit; otherwise the lenient
// reading, which must be a whole number from 0 to ConditionMax.
constexpr double ConditionMax = 99999999;
struct Condition {
    bool valid = true;
    std::optional<double> limit;
};
Condition readCondition(QStringView text);

} // namespace mdlCalculation
