// Lenient number reading, number text, rounding and the list formats.

#include "storage/NumberText.h"

#include <QtTest>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
const double inf = std::numeric_limits<double>::infinity();
}

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void readLenient_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const std::pair<const char*, double> rows[] = {
            {"+999", 999}, {"25E-1", 2.5},        {"7e+", 7},    {"12abc", 12},
            {" 1 2", 12},  {"\t\n- 3\t.5", -3.5}, {"\r5", 0},    {"&hff", 255},
            {"&O17", 15},  {"& H10", 0},          {"1,000", 1},  {"1.5.5", 1.5},
            {".25", 0.25}, {"0.1", 0.1},          {"", 0},       {"-", 0},
            {"１２", 0},   {"1e-400", 0},         {"1e400", inf}};
        for (const auto& [text, expected] : rows)
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << expected;
        QTest::newRow("overflow by digits") << u"1"_s + QString(400, u'0') << inf;
        QTest::newRow("endless exponent") << u"5e99999999999999999999999"_s << inf;
    }
    void readLenient() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(numberText::readLenient(text), expected);
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        const std::pair<double, const char*> rows[] = {
            {-5, "-5"},     {12.5, "12.5"},      {0, "0"},
            {-0.0, "0"},    {0.1 + 0.2, "0.3"},  {-0.0000001, "-0.0000001"},
            {1000, "1000"}, {1.5e20, "1.5E+20"}, {2e-30, "2E-30"}};
        for (const auto& [value, expected] : rows)
            QTest::addRow("%.17g", value) << value << QString::fromLatin1(expected);
        QTest::newRow("fifteen digits") << 1.0 / 3.0 << u"0.333333333333333"_s;
        QTest::newRow("largest plain") << 1e15 << u"1000000000000000"_s;
        QTest::newRow("rounding carries") << 999999999999999.9 << u"1000000000000000"_s;
    }
    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(numberText::numberText(value), expected);
        QCOMPARE(numberText::readLenient(expected), std::stod(expected.toStdString()));
    }

    void toInt16_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        const std::pair<double, int> rows[] = {
            {2.5, 2},           {3.5, 4},         {-2.5, -2},
            {-2.5001, -3},      {32767.5, 32767}, {1e9, 32767},
            {-40000.0, -32768}, {inf, 32767},     {std::numeric_limits<double>::quiet_NaN(), 0}};
        for (const auto& [value, expected] : rows)
            QTest::addRow("%g", value) << value << expected;
    }
    void toInt16() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(numberText::toInt16(value)), expected);
    }

    void readCount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        const std::pair<const char*, int> rows[] = {
            {" 3 ", 3}, {"", 0}, {"99999", 32767}, {"-5", 0}, {"2.5", 2}};
        for (const auto& [text, expected] : rows)
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << expected;
    }
    void readCount() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(int(numberText::readCount(text)), expected);
    }

    void formatThousands_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("expected");
        const std::pair<qint64, const char*> rows[] = {
            {0, ""},           {999, "999"},
            {1000, "1,000"},   {1234567, "1,234,567"},
            {-4500, "-4,500"}, {std::numeric_limits<qint64>::min(), "-9,223,372,036,854,775,808"}};
        for (const auto& [value, expected] : rows)
            QTest::addRow("%lld", value) << value << QString::fromLatin1(expected);
    }
    void formatThousands() {
        QFETCH(qint64, value);
        QFETCH(QString, expected);
        QCOMPARE(numberText::formatThousands(value), expected);
    }

    // Padding shows in the clipboard text tests; a text wider than the field is never cut.
    void formatRightAligned() { QCOMPARE(numberText::formatRightAligned(u"1234"_s, 3), u"1234"_s); }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_number_text.moc"
