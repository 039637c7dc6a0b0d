// Lenient number reading, number text, rounding and the list formats.

#include "storage/NumberText.h"

#include <QtTest>
#include <limits>

using namespace Qt::StringLiterals;

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void readLenient_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("whole") << u"999"_s << 999.0;
        QTest::newRow("minus") << u"-999"_s << -999.0;
        QTest::newRow("plus") << u"+999"_s << 999.0;
        QTest::newRow("point zero") << u"999.0"_s << 999.0;
        QTest::newRow("fraction") << u"999.5"_s << 999.5;
        QTest::newRow("exponent") << u"1e3"_s << 1000.0;
        QTest::newRow("exponent upper, signed") << u"25E-1"_s << 2.5;
        QTest::newRow("exponent without digits") << u"7e+"_s << 7.0;
        QTest::newRow("trailing letters") << u"12abc"_s << 12.0;
        QTest::newRow("blanks inside") << u" 1 2"_s << 12.0;
        QTest::newRow("tab and line feed") << u"\t\n- 3\t.5"_s << -3.5;
        QTest::newRow("carriage return is no blank") << u"\r5"_s << 0.0;
        QTest::newRow("hexadecimal") << u"&H10"_s << 16.0;
        QTest::newRow("hexadecimal lower case") << u"&hff"_s << 255.0;
        QTest::newRow("octal") << u"&O17"_s << 15.0;
        QTest::newRow("ampersand apart from H") << u"& H10"_s << 0.0;
        QTest::newRow("comma ends") << u"1,000"_s << 1.0;
        QTest::newRow("second point ends") << u"1.5.5"_s << 1.5;
        QTest::newRow("leading point") << u".25"_s << 0.25;
        QTest::newRow("tenth is exact") << u"0.1"_s << 0.1;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("letters") << u"abc"_s << 0.0;
        QTest::newRow("lone minus") << u"-"_s << 0.0;
        QTest::newRow("lone point") << u"."_s << 0.0;
        QTest::newRow("full-width digits") << u"１２"_s << 0.0;
        QTest::newRow("underflow") << u"1e-400"_s << 0.0;
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("overflow") << u"1e400"_s << inf;
        QTest::newRow("negative overflow") << u"-1e400"_s << -inf;
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
        QTest::newRow("whole") << 12.0 << u"12"_s;
        QTest::newRow("negative") << -5.0 << u"-5"_s;
        QTest::newRow("half") << 12.5 << u"12.5"_s;
        QTest::newRow("zero") << 0.0 << u"0"_s;
        QTest::newRow("negative zero") << -0.0 << u"0"_s;
        QTest::newRow("quarters") << 11.75 << u"11.75"_s;
        QTest::newRow("binary noise") << 0.1 + 0.2 << u"0.3"_s;
        QTest::newRow("fifteen digits") << 1.0 / 3.0 << u"0.333333333333333"_s;
        QTest::newRow("small") << -0.0000001 << u"-0.0000001"_s;
        QTest::newRow("tens") << 1000.0 << u"1000"_s;
        QTest::newRow("largest plain") << 1e15 << u"1000000000000000"_s;
        QTest::newRow("rounding carries") << 999999999999999.9 << u"1000000000000000"_s;
        QTest::newRow("huge") << 1.5e20 << u"1.5E+20"_s;
        QTest::newRow("tiny") << 2e-30 << u"2E-30"_s;
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
        QTest::newRow("2.5 to even") << 2.5 << 2;
        QTest::newRow("3.5 to even") << 3.5 << 4;
        QTest::newRow("-2.5 to even") << -2.5 << -2;
        QTest::newRow("-3.5 to even") << -3.5 << -4;
        QTest::newRow("0.5 to even") << 0.5 << 0;
        QTest::newRow("below half") << 2.4999 << 2;
        QTest::newRow("above half") << -2.5001 << -3;
        QTest::newRow("top") << 32767.0 << 32767;
        QTest::newRow("tie above top") << 32767.5 << 32767;
        QTest::newRow("above top") << 1e9 << 32767;
        QTest::newRow("below bottom") << -40000.0 << -32768;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 32767;
        QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity() << -32768;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void toInt16() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(numberText::toInt16(value)), expected);
    }

    void readCount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << u"7"_s << 7;
        QTest::newRow("spaced") << u" 3 "_s << 3;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("letters") << u"abc"_s << 0;
        QTest::newRow("too large") << u"99999"_s << 32767;
        QTest::newRow("exponent") << u"1e9"_s << 32767;
        QTest::newRow("negative") << u"-5"_s << 0;
        QTest::newRow("half rounds to even") << u"2.5"_s << 2;
    }
    void readCount() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(int(numberText::readCount(text)), expected);
    }

    void formatThousands_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << QString();
        QTest::newRow("three digits") << qint64(999) << u"999"_s;
        QTest::newRow("four digits") << qint64(1000) << u"1,000"_s;
        QTest::newRow("five digits") << qint64(12500) << u"12,500"_s;
        QTest::newRow("seven digits") << qint64(1234567) << u"1,234,567"_s;
        QTest::newRow("negative") << qint64(-4500) << u"-4,500"_s;
        QTest::newRow("lowest") << std::numeric_limits<qint64>::min()
                                << u"-9,223,372,036,854,775,808"_s;
    }
    void formatThousands() {
        QFETCH(qint64, value);
        QFETCH(QString, expected);
        QCOMPARE(numberText::formatThousands(value), expected);
    }

    void formatRightAligned() {
        QCOMPARE(numberText::formatRightAligned(u"7"_s, 3), u"  7"_s);
        QCOMPARE(numberText::formatRightAligned(QString(), 3), u"   "_s);
        QCOMPARE(numberText::formatRightAligned(u"1234"_s, 3), u"1234"_s);
        QCOMPARE(numberText::formatRightAligned(numberText::formatThousands(12500), 7),
                 u" 12,500"_s);
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_number_text.moc"
