// Lenient number reading, number text, rounding and the list formats.

#include "storage/NumberText.h"

#include <QtTest>
#include <cstdlib>

using namespace Qt::StringLiterals;

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    // Numbers go in and come out as C literals ("inf", "nan", "-0", 17 digits where it matters);
    // each text lists input|expected pairs.
    void conversions_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto rows = [](const char* function, const QString& pairs) {
            const QStringList parts = pairs.split(u'|');
            for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
                QTest::addRow("%s '%s'", function, qPrintable(parts[i]))
                    << QString::fromLatin1(function) << parts[i] << parts[i + 1];
        };
        rows("readLenient", u"+999|999|25E-1|2.5|7e+|7|12abc|12| 1 2|12|\t\n- 3\t.5|-3.5|\r5|0|"
                            "&hff|255|&O17|15|& H10|0|1,000|1|1.5.5|1.5|.25|0.25|0.1|0.1||0|-|0|"
                            "１２|0|1e-400|0|1e400|inf|5e99999999999999999999|inf"_s);
        rows("numberText", u"-5|-5|12.5|12.5|0|0|-0|0|0.30000000000000004|0.3|-0.0000001|"
                           "-0.0000001|1000|1000|1.5e20|1.5E+20|1e-25|0.0000000000000000000000001|"
                           "0.33333333333333331|"
                           "0.333333333333333|1e15|1000000000000000|999999999999999.9|"
                           "1000000000000000"_s);
        rows("toInt16", u"2.5|2|3.5|4|-2.5|-2|-2.5001|-3|32767.5|32767|1e9|32767|-40000|-32768|"
                        "inf|32767|nan|0"_s);
        rows("readCount", u" 3 |3||0|99999|32767|-5|0|2.5|2"_s);
        rows("formatThousands", u"0||999|999|1000|1,000|1234567|1,234,567|-4500|-4,500|"
                                "-9223372036854775808|-9,223,372,036,854,775,808"_s);
    }
    void conversions() {
        QFETCH(QString, function);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const double number = std::strtod(input.toLatin1().constData(), nullptr);
        const double expectedNumber = std::strtod(expected.toLatin1().constData(), nullptr);
        if (function == u"readLenient") {
            QCOMPARE(numberText::readLenient(input), expectedNumber);
        } else if (function == u"numberText") {
            QCOMPARE(numberText::numberText(number), expected);
            QCOMPARE(numberText::readLenient(expected), expectedNumber);
        } else if (function == u"toInt16") {
            QCOMPARE(int(numberText::toInt16(number)), expected.toInt());
        } else if (function == u"readCount") {
            QCOMPARE(int(numberText::readCount(input)), expected.toInt());
        } else {
            QCOMPARE(numberText::formatThousands(input.toLongLong()), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_number_text.moc"
