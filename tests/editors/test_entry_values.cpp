// Profiles and bonus sets as values: the side lists kept in the settings file, the rank an editor
// selects for a stored rank name, and the rules for what may be typed into the editors.

#include "catalogue/SideListModels.h"
#include "catalogue/SideListStore.h"
#include "editors/RankTable.h"
#include "editors/mdlCalculation.h"
#include "storage/Cp932.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestEntryValues : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // A save writes each count, then one section per saved row in list order with its keys in a
    // fixed order; the fixed bonus set row and the simulator's working copy are never saved, and
    // keys the lists do not write stay as they were.
    void sideListsInTheSettingsFile() {
        const QString path = m_dir.filePath(u"zelnoa.ini"_s);
        const QString before = u"[SYSTEM]\r\nCount=3\r\nEnchantCount=1\r\n[PROFILE3]\r\nName=P3\r\n"
                               u"[ENCHANT1]\r\nName=E1\r\nAttack=A\r\nRange=R\r\n"_s;
        testsupport::writeBytes(path, storage::cp932Encode(before));
        storage::SettingsFile settings(path);
        ProfileListModel profiles;
        BonusSetListModel sets;
        profiles.assignProfiles(sideListStore::loadProfiles(settings));
        sets.assignSets(sideListStore::loadBonusSets(settings));
        QCOMPARE(profiles.row(0).profile, Profile()); // a section missing below the count
        QCOMPARE(profiles.row(2).profile.name, u"P3"_s);
        QStringList cells;
        for (int column = 0; column < 16; ++column)
            cells << sets.index(0, column).data().toString() + u'/' +
                         sets.index(1, column).data().toString();
        QCOMPARE(cells.join(u' '),
                 u"使用なし/E1 0～0/～ 0～0/～ 0/ 0/ 0/ 0/ 0/ 0/ / / / / / /A /R"_s);
        QCOMPARE(sets.index(0, 0).data(ListModel::ColourRole).toInt(), int(RowColour::DarkGrey));

        profiles.remove(0);
        profiles.setWorkingCopy(Profile{u"作業"_s, {}, {}, {}, {}, {}, {}, {}});
        BonusSet edited = *sets.row(1).set;
        edited.name = u"E1改"_s;
        edited.attack = u"X"_s;
        sets.replace(1, {edited});
        const std::vector<Profile> saved = profiles.savedProfiles();
        const std::vector<BonusSet> savedSets = sets.savedSets();
        QVERIFY(sideListStore::save(settings, &saved, &savedSets).saved);
        const QString profile =
            u"Str=\r\nInt=\r\nDex=\r\nWill=\r\nLuck=\r\nAttack=\r\nRange=\r\n"_s;
        QCOMPARE(storage::cp932Decode(testsupport::readBytes(path)),
                 u"[SYSTEM]\r\nCount=2\r\nEnchantCount=1\r\n[PROFILE3]\r\nName=P3\r\n"
                 u"[ENCHANT1]\r\nName=E1改\r\nAttack=A\r\nRange=R\r\nMinDamage=\r\nMaxDamage=\r\n"
                 u"MinWounds=\r\nMaxWounds=\r\nCritical=\r\nBalance=\r\nStr=\r\nInt=\r\nDex=\r\n"
                 u"Will=\r\nLuck=\r\n[PROFILE1]\r\nName=\r\n"_s +
                     profile + u"[PROFILE2]\r\nName=P3\r\n"_s + profile);
        // An unchanged list is not written at all.
        QVERIFY(sideListStore::save(settings, nullptr, nullptr).saved);
        QCOMPARE(sideListStore::loadProfiles(settings).size(), std::size_t(2));
    }

    void rankPosition_data() {
        QTest::addColumn<QString>("sortNo");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("position"); // in 練習, F, 1
        QTest::newRow("by its sort number") << u"1"_s << u"F"_s << 1;
        QTest::newRow("a gap: by its name") << u"7"_s << u"1"_s << 2;
        QTest::newRow("counted from 1: by its name") << u"2"_s << u"F"_s << 1;
        QTest::newRow("a rank the table lacks: the first") << u"0"_s << u"ZZ"_s << 0;
        QTest::newRow("nothing fits: the first") << u"9"_s << QString() << 0;
    }
    void rankPosition() {
        QFETCH(QString, sortNo);
        QFETCH(QString, name);
        QFETCH(int, position);
        QCOMPARE(rankTable::position({u"練習"_s, u"F"_s, u"1"_s}, sortNo, name), position);
    }

    void inputRules_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* rule, const QString& text, const char* expected) {
            QTest::addRow("%s \"%s\"", rule, qPrintable(text.left(12)))
                << QString::fromLatin1(rule) << text << QString::fromUtf8(expected);
        };
        for (const QString& text : {u"999"_s, u"-999"_s, u"999.0"_s, u""_s, u"12abc"_s, u"1,000"_s})
            row("range", text, "in");
        for (const QString& text :
             {u"1000"_s, u"-1000"_s, u"999.5"_s, u"1e3"_s, u"1e400"_s, u"&H3E8"_s})
            row("range", text, "out");
        row("stat", u"12abc"_s, "12");
        row("stat", u"-0"_s, "0");
        row("stat", u"+999.0"_s, "999");
        // The full-width space counts as a blank; blanks inside the name stay.
        row("name", u"   "_s, "");
        row("name", u"\u3000 \u3000"_s, "");
        row("name", u" \u3000山田 太郎\u3000 "_s, "山田 太郎");
        // What the settings file cannot hold, or not give back whole.
        for (const QString& text :
             {u"太郎\r\n次郎"_s, u"a\tb"_s, QString(QChar(0)), u"a\u007F\u0085"_s})
            row("stored", text, "control");
        row("stored", u"Café"_s, "not Shift_JIS");
        const QString kana(127, QChar(0x3042)); // two bytes each in Shift_JIS
        row("stored", kana, "fits");
        row("stored", u'a' + kana, "too long");
        row("stored", QString(252, u'a') + u'あ', "fits");
        row("stored", QString(253, u'a') + u'あ', "too long");
        row("stored", u"〜−∥—¢£¬"_s, "fits"); // input-method forms of Shift_JIS characters
    }
    void inputRules() {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        using namespace mdlCalculation;
        const char* verdicts[] = {"fits", "control", "not Shift_JIS", "too long"};
        const QString result =
            rule == u"range"  ? QString::fromLatin1(blnInRange(text) ? "in" : "out")
            : rule == u"stat" ? strStatText(text)
            : rule == u"name" ? strTrimName(text)
                              : QString::fromLatin1(verdicts[int(checkStoredText(text))]);
        QCOMPARE(result, expected);
        if (rule == u"name")
            QCOMPARE(blnIsBlankName(text), expected.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEntryValues)
#include "test_entry_values.moc"
