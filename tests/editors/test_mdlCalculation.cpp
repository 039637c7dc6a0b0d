// The editors' input rules without any window: the range check on the lenient reading, the text
// a statistic is stored as and the blank-name rule.

#include "editors/mdlCalculation.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMdlCalculation : public QObject {
    Q_OBJECT
private slots:
    void rangeCheck_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passes");
        for (const QString& text :
             {u"999"_s, u"-999"_s, u"999.0"_s, QString(), u"12abc"_s, u"1,000"_s})
            QTest::newRow(qPrintable(text)) << text << true;
        for (const QString& text :
             {u"1000"_s, u"-1000"_s, u"999.5"_s, u"1e3"_s, u"1e400"_s, u"&H3E8"_s})
            QTest::newRow(qPrintable(text)) << text << false;
    }
    void rangeCheck() {
        QFETCH(QString, text);
        QFETCH(bool, passes);
        QCOMPARE(mdlCalculation::blnInRange(text), passes);
    }
    void statText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("letters after the number") << u"12abc"_s << u"12"_s;
        QTest::newRow("negative zero") << u"-0"_s << u"0"_s;
        QTest::newRow("sign and zeros") << u"+999.0"_s << u"999"_s;
    }
    void statText() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(mdlCalculation::strStatText(typed), stored);
    }
    void nameTrim_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("trimmed"); // empty: the name is blank
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("spaces") << u"   "_s << QString();
        QTest::newRow("full-width spaces") << u"\u3000 \u3000"_s << QString();
        QTest::newRow("inner blanks kept") << u" \u3000山田 太郎\u3000 "_s << u"山田 太郎"_s;
    }
    void nameTrim() {
        QFETCH(QString, name);
        QFETCH(QString, trimmed);
        QCOMPARE(mdlCalculation::strTrimName(name), trimmed);
        QCOMPARE(mdlCalculation::blnIsBlankName(name), trimmed.isEmpty());
    }
    void storedText_data() {
        using mdlCalculation::StoredText;
        QTest::addColumn<QString>("text");
        QTest::addColumn<StoredText>("verdict");
        const QString kana(127, QChar(0x3042)); // あ: two bytes each in Shift_JIS
        QTest::newRow("line break") << u"太郎\r\n次郎"_s << StoredText::ControlCharacter;
        QTest::newRow("tab") << u"a\tb"_s << StoredText::ControlCharacter;
        QTest::newRow("NUL") << QString(QChar(0)) << StoredText::ControlCharacter;
        QTest::newRow("DEL and C1") << u"a\u007F\u0085"_s << StoredText::ControlCharacter;
        QTest::newRow("no Shift_JIS") << u"Café"_s << StoredText::NotShiftJis;
        QTest::newRow("254 bytes of kana") << kana << StoredText::Fits;
        QTest::newRow("255 bytes, kana last") << u'a' + kana << StoredText::TooLong;
        QTest::newRow("254 bytes, mixed") << QString(252, u'a') + u'あ' << StoredText::Fits;
        QTest::newRow("255 bytes, mixed") << QString(253, u'a') + u'あ' << StoredText::TooLong;
        QTest::newRow("input-method forms") << u"〜−∥—¢£¬"_s << StoredText::Fits;
    }
    void storedText() {
        QFETCH(QString, text);
        QFETCH(mdlCalculation::StoredText, verdict);
        QCOMPARE(mdlCalculation::checkStoredText(text), verdict);
    }
};

QTEST_GUILESS_MAIN(TestMdlCalculation)
#include "test_mdlCalculation.moc"
