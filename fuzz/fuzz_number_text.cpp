// Number reading and number text. Any text reads without crashing to a number that is never NaN;
// a finite number of at most 15 significant digits comes back from its own text exactly; the
// whole-number conversions stay in range; thousands grouping only inserts separators.

#include "fuzz/FuzzCheck.h"
#include "storage/NumberText.h"

#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// x cut to 15 significant digits, the precision the program writes numbers with.
double fifteenDigits(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", x);
    return std::strtod(text, nullptr);
}

void checkText(const QString& text) {
    const double value = numberText::readLenient(text);
    FUZZ_CHECK(!std::isnan(value));
    const qint16 whole = numberText::toInt16(value);
    FUZZ_CHECK(std::isinf(value) || std::abs(value) > 32767 || std::abs(whole - value) <= 0.5);
    FUZZ_CHECK(numberText::readCount(text) >= 0);
}

void checkRoundTrip(double x) {
    if (!std::isfinite(x))
        return;
    const double exact = fifteenDigits(x);
    if (!std::isfinite(exact))
        return;
    const QString text = numberText::numberText(exact);
    FUZZ_CHECK(numberText::readLenient(text) == exact);
    FUZZ_CHECK(!text.endsWith(u'.') &&
               !(text.contains(u'.') && !text.contains(u'E') && text.endsWith(u'0')));
    // Significant digits: those of the mantissa without sign, point and the zeros at either end.
    QString mantissa = text.section(u'E', 0, 0);
    mantissa.remove(u'-').remove(u'.');
    while (mantissa.startsWith(u'0'))
        mantissa.remove(0, 1);
    while (mantissa.endsWith(u'0'))
        mantissa.chop(1);
    FUZZ_CHECK(mantissa.size() <= 15);
}

void checkThousands(qint64 value) {
    const QString grouped = numberText::formatThousands(value);
    if (value == 0) {
        FUZZ_CHECK(grouped.isEmpty());
        return;
    }
    FUZZ_CHECK(QString(grouped).remove(u',') == QString::number(value));
    const QStringList groups = QString(grouped).remove(u'-').split(u',');
    for (qsizetype i = 1; i < groups.size(); ++i)
        FUZZ_CHECK(groups[i].size() == 3);
    FUZZ_CHECK(groups[0].size() >= 1 && groups[0].size() <= 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    checkText(QString::fromUtf8(bytes, qsizetype(size)));
    checkText(QString::fromLatin1(bytes, qsizetype(size)));

    FuzzedDataProvider input(data, size);
    checkRoundTrip(input.ConsumeFloatingPoint<double>());
    double raw = 0;
    const std::vector<uint8_t> rawBytes = input.ConsumeBytes<uint8_t>(sizeof raw);
    if (rawBytes.size() == sizeof raw) {
        std::memcpy(&raw, rawBytes.data(), sizeof raw);
        checkRoundTrip(raw);
    }
    checkThousands(input.ConsumeIntegral<qint64>());
    return 0;
}
