// The private-profile document and its Shift_JIS (code page 932) text: how files written on
// Windows read, and that a write changes only the one line it must.

#include "storage/Cp932.h"
#include "storage/PrivateProfile.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using storage::PrivateProfile;

namespace {

QByteArray sjis(const QString& text) {
    return storage::cp932Encode(text);
}

} // namespace

class TestPrivateProfile : public QObject {
    Q_OBJECT

private slots:
    void cp932RoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("full-width tilde") << u"～"_s << QByteArray("\x81\x60");
        QTest::newRow("second byte is ]") << u"ゾ"_s << QByteArray("\x83\x5D");
        QTest::newRow("second byte is [")
            << u"ゼルノア"_s << QByteArray("\x83\x5B\x83\x8B\x83\x6D\x83\x41");
        QTest::newRow("second byte is backslash") << u"表"_s << QByteArray("\x95\x5C");
        QTest::newRow("half-width kana") << u"ｱ"_s << QByteArray("\xB1");
        QTest::newRow("ascii") << u"a=b\\~"_s << QByteArray("a=b\\~");
    }
    void cp932RoundTrip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(storage::cp932Encode(text), bytes);
        QCOMPARE(storage::cp932Decode(bytes), text);
        QVERIFY(storage::cp932CanEncode(text));
    }

    void cp932Refuses() {
        QVERIFY(!storage::cp932CanEncode(u"😀"_s));
        QVERIFY(!storage::cp932CanEncode(u"한"_s));
        // The wave dash would come back as the full-width tilde.
        QVERIFY(!storage::cp932CanEncode(u"〜"_s));
        QCOMPARE(storage::cp932Encode(u"a😀b"_s), QByteArray("a?b"));
    }

    void cp932DecodesBadBytes() {
        const QString replaced(QChar::ReplacementCharacter);
        QCOMPARE(storage::cp932Decode("\x81"), replaced);
        QCOMPARE(storage::cp932Decode("\x80z"), replaced + u"z"_s);
        QCOMPARE(storage::cp932Decode("\xFF\x81\x60"), replaced + u"～"_s);
    }

    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("case ignored") << QByteArray("[system]\r\ndataBase=a.mdb\r\n") << u"SYSTEM"_s
                                      << u"Database"_s << u"a.mdb"_s;
        const QByteArray twice("[S]\r\nA=1\r\na=2\r\n[T]\r\nA=3\r\n[s]\r\nA=4\r\nB=5\r\n");
        QTest::newRow("first key wins") << twice << u"S"_s << u"A"_s << u"1"_s;
        QTest::newRow("only first section searched") << twice << u"S"_s << u"B"_s << QString();
        QTest::newRow("blanks around names and value")
            << QByteArray(" \t[ S\v]\r\n \vA \t=  x y \t\r\n") << u"S"_s << u"A"_s << u"x y"_s;
        QTest::newRow("no equals is no key")
            << QByteArray("[S]\r\nA\r\n") << u"S"_s << u"A"_s << QString();
        QTest::newRow("equals inside value")
            << QByteArray("[S]\r\nA=b=c\r\n") << u"S"_s << u"A"_s << u"b=c"_s;
        QTest::newRow("quotes kept")
            << QByteArray("[S]\r\nA=\"q\"\r\n") << u"S"_s << u"A"_s << u"\"q\""_s;
        QTest::newRow("rest of header ignored")
            << QByteArray("[S] x]\r\nA=1") << u"S"_s << u"A"_s << u"1"_s;
        QTest::newRow("header without bracket")
            << QByteArray("[T]\r\n[S\r\nA=1") << u"S"_s << u"A"_s << QString();
        QTest::newRow("lines before header")
            << QByteArray("A=1\r\n[S]\r\nB=2") << QString() << u"A"_s << QString();
        QTest::newRow("LF and CR endings")
            << QByteArray("[S]\nA=1\rB=2\r\nC=3") << u"S"_s << u"B"_s << u"2"_s;
        QTest::newRow("utf-8 mark glued to line 1")
            << QByteArray("\xEF\xBB\xBF[S]\r\nA=1\r\n") << u"S"_s << u"A"_s << QString();
        QTest::newRow("] as second byte")
            << sjis(u"[ゾ] x\r\nA=1\r\n"_s) << u"ゾ"_s << u"A"_s << u"1"_s;
        QTest::newRow("[ as second byte")
            << sjis(u"[ゼルノア]\r\nゼ=～\r\n"_s) << u"ゼルノア"_s << u"ゼ"_s << u"～"_s;
        // ヂ is 0x83 0x61, ア 0x83 0x41: folding case byte by byte would make them equal.
        QTest::newRow("second byte never folded")
            << sjis(u"[ア]\r\nA=1\r\n"_s) << u"ヂ"_s << u"A"_s << QString();
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const PrivateProfile profile(file);
        QCOMPARE(storage::cp932Decode(profile.value(sjis(section), sjis(key))), expected);
        QCOMPARE(profile.bytes(), file);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replace keeps spelling")
            << QByteArray("; top\n[System]\n  dataBASE = old \r\n\r\n[X]\rK=v") << u"SYSTEM"_s
            << u"Database"_s << u"new"_s
            << QByteArray("; top\n[System]\ndataBASE=new\r\n\r\n[X]\rK=v");
        QTest::newRow("replace in first section only")
            << QByteArray("[S]\r\nA=1\r\n[S]\r\nA=2\r\n") << u"s"_s << u"a"_s << u"3"_s
            << QByteArray("[S]\r\nA=3\r\n[S]\r\nA=2\r\n");
        QTest::newRow("new key after last key line")
            << QByteArray("[S]\r\nA=1\r\nnote\r\nB=2\r\n\r\n; c\r\n[T]\r\nX=1\r\n") << u"S"_s
            << u"C"_s << u"3"_s
            << QByteArray("[S]\r\nA=1\r\nnote\r\nB=2\r\nC=3\r\n\r\n; c\r\n[T]\r\nX=1\r\n");
        QTest::newRow("new key in keyless section")
            << QByteArray("[S]\n\n[T]\n") << u"S"_s << u"C"_s << u"3"_s
            << QByteArray("[S]\nC=3\r\n\n[T]\n");
        QTest::newRow("new key at unterminated end")
            << QByteArray("[S]\r\nA=1") << u"S"_s << u"B"_s << u"2"_s
            << QByteArray("[S]\r\nA=1\r\nB=2\r\n");
        QTest::newRow("new section") << QByteArray("[S]\r\nA=1\r\n") << u"T"_s << u"K"_s << u"v"_s
                                     << QByteArray("[S]\r\nA=1\r\n[T]\r\nK=v\r\n");
        QTest::newRow("new section after LF") << QByteArray("[S]\nA=1\n") << u"T"_s << u"K"_s
                                              << u"v"_s << QByteArray("[S]\nA=1\n[T]\r\nK=v\r\n");
        QTest::newRow("new section at unterminated end")
            << QByteArray("[S]\r\nA=1") << u"T"_s << u"K"_s << u"v"_s
            << QByteArray("[S]\r\nA=1\r\n[T]\r\nK=v\r\n");
        QTest::newRow("new section in empty file")
            << QByteArray() << u"PROFILE1"_s << u"Name"_s << u"ゾ"_s
            << QByteArray("[PROFILE1]\r\nName=\x83\x5D\r\n");
        QTest::newRow("value exactly as given")
            << QByteArray("[S]\r\n") << u"S"_s << u"K"_s << u" a;b \"c\" "_s
            << QByteArray("[S]\r\nK= a;b \"c\" \r\n");
        QTest::newRow("section whose name holds ]")
            << sjis(u"[ゾ]\r\nA=1\r\n"_s) << u"ゾ"_s << u"A"_s << u"～"_s
            << QByteArray("[\x83\x5D]\r\nA=\x81\x60\r\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        PrivateProfile profile(before);
        QVERIFY(profile.setValue(sjis(section), sjis(key), sjis(value)));
        QCOMPARE(profile.bytes(), after);
        QCOMPARE(PrivateProfile(after).value(sjis(section), sjis(key)), sjis(value).trimmed());
    }

    void writeRefusesBrokenStructure_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break in value") << u"S"_s << u"K"_s << u"a\r\n[SYSTEM]"_s;
        QTest::newRow("NUL in value") << u"S"_s << u"K"_s << u"a\0b"_s;
        QTest::newRow("] in section") << u"S]"_s << u"K"_s << u"v"_s;
        QTest::newRow("= in key") << u"S"_s << u"K=x"_s << u"v"_s;
        QTest::newRow("key like a header") << u"S"_s << u"[T]"_s << u"v"_s;
        QTest::newRow("empty key") << u"S"_s << u" "_s << u"v"_s;
        QTest::newRow("empty section") << QString() << u"K"_s << u"v"_s;
    }
    void writeRefusesBrokenStructure() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[S]\r\nK=old\r\n");
        PrivateProfile profile(before);
        QVERIFY(!profile.setValue(sjis(section), sjis(key), sjis(value)));
        QCOMPARE(profile.bytes(), before);
    }

    // A file as Windows leaves it after years of use: comments, blank lines, odd spacing, a
    // hand-edited line with LF only, one with CR only, Japanese names.
    void windowsFileRewrittenOneLineAtATime() {
        const QByteArray original = sjis(u"; ゼルノア\r\n"
                                         "[SYSTEM]\r\n"
                                         "Database = vaelbuki.mdb\r\n"
                                         "Count=2\n"
                                         "EnchantCount=0\r"
                                         "\r\n"
                                         "[PROFILE1]\r\n"
                                         "Name=ゾロ表～\r\n"
                                         "  Str\t= 12.5 \r\n"
                                         "\r\n"
                                         "[ENCHANT1]\r\n"
                                         "Name=ダメージ\r\n"
                                         "Attack=ランク9\r\n"_s);
        PrivateProfile profile(original);
        QCOMPARE(profile.value("system", "count"), QByteArray("2"));
        QCOMPARE(profile.value("SYSTEM", "EnchantCount"), QByteArray("0"));
        QCOMPARE(storage::cp932Decode(profile.value("PROFILE1", "Name")), u"ゾロ表～"_s);
        QCOMPARE(profile.value("PROFILE1", "Str"), QByteArray("12.5"));
        QCOMPARE(profile.bytes(), original);

        QVERIFY(profile.setValue("SYSTEM", "Count", "3"));
        QVERIFY(profile.setValue("PROFILE1", "Str", "13"));
        QVERIFY(profile.setValue("PROFILE1", "Int", "4"));
        QVERIFY(profile.setValue("PROFILE2", "Name", sjis(u"新しい"_s)));
        const QByteArray expected = sjis(u"; ゼルノア\r\n"
                                         "[SYSTEM]\r\n"
                                         "Database = vaelbuki.mdb\r\n"
                                         "Count=3\r\n"
                                         "EnchantCount=0\r"
                                         "\r\n"
                                         "[PROFILE1]\r\n"
                                         "Name=ゾロ表～\r\n"
                                         "Str=13\r\n"
                                         "Int=4\r\n"
                                         "\r\n"
                                         "[ENCHANT1]\r\n"
                                         "Name=ダメージ\r\n"
                                         "Attack=ランク9\r\n"
                                         "[PROFILE2]\r\n"
                                         "Name=新しい\r\n"_s);
        QCOMPARE(profile.bytes(), expected);
    }

    void cutValue() {
        QCOMPARE(storage::cutValue(QByteArray(300, 'a'), 254), QByteArray(254, 'a'));
        const QByteArray kana = sjis(QString(127, u'ゾ'));
        QCOMPARE(storage::cutValue(kana, 254), kana);
        const QByteArray shifted = 'a' + kana;
        QCOMPARE(storage::cutValue(shifted, 254), shifted.first(253));
        // A lone lead byte counts as one character of its own.
        QCOMPARE(storage::cutValue(QByteArray(253, 'a') + "\x83", 254),
                 QByteArray(253, 'a') + "\x83");
    }
};

QTEST_GUILESS_MAIN(TestPrivateProfile)
#include "test_private_profile.moc"
