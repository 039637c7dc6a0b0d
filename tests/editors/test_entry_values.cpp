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

namespace {

// Data rows of one string each, their columns separated by "|", named by the whole row.
void rows(std::initializer_list<QString> table) {
    QTest::addColumn<QStringList>("row");
    for (const QString& row : table)
        QTest::newRow(qPrintable(row.left(40))) << row.split(u'|');
}

} // namespace

class TestEntryValues : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // A save writes each count, then one section per saved row in list order with its keys in a
    // fixed order; the fixed bonus set row and the simulator's working copy are never saved, and
    // keys the lists do not write stay as they were.
    void sideListsInTheSettingsFile() {
        const QString path = m_dir.filePath(u"zelnoa.ini"_s);
        testsupport::writeBytes(path,
                                "[SYSTEM]\r\nCount=3\r\nEnchantCount=1\r\n[PROFILE3]\r\nName=P3\r\n"
                                "[ENCHANT1]\r\nName=E1\r\nAttack=A\r\nRange=R\r\n");
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
    }

    // A rank's sort number and name, and where it stands in 練習, F, 1: by the number while that
    // names the rank, else by the name, else the first.
    void rankPosition_data() { rows({u"1|F|1"_s, u"7|1|2"_s, u"2|F|1"_s, u"0|ZZ|0"_s, u"9||0"_s}); }
    void rankPosition() {
        QFETCH(QStringList, row);
        QCOMPARE(rankTable::position({u"練習"_s, u"F"_s, u"1"_s}, row[0], row[1]), row[2].toInt());
    }

    // A rule, the text typed and the verdict.
    void inputRules_data() {
        const QString kana(127, QChar(0x3042)); // two bytes each in Shift_JIS
        rows({u"range|999|in"_s, u"range|-999|in"_s, u"range|999.0|in"_s, u"range||in"_s,
              u"range|12abc|in"_s, u"range|1,000|in"_s, u"range|1000|out"_s, u"range|-1000|out"_s,
              u"range|999.5|out"_s, u"range|1e3|out"_s, u"range|1e400|out"_s, u"range|&H3E8|out"_s,
              u"stat|12abc|12"_s, u"stat|-0|0"_s, u"stat|+999.0|999"_s,
              // The full-width space counts as a blank; blanks inside the name stay.
              u"name|   |"_s, u"name|\u3000 \u3000|"_s, u"name| \u3000山田 太郎\u3000 |山田 太郎"_s,
              // What the settings file cannot hold, or not give back whole.
              u"stored|太郎\r\n次郎|control"_s, u"stored|a\tb|control"_s,
              u"stored|"_s + QChar(0) + u"|control"_s, u"stored|a\u007F\u0085|control"_s,
              u"stored|Café|not Shift_JIS"_s, u"stored|"_s + kana + u"|fits"_s,
              u"stored|a"_s + kana + u"|too long"_s,
              u"stored|"_s + QString(252, u'a') + u"あ|fits"_s,
              u"stored|"_s + QString(253, u'a') + u"あ|too long"_s,
              u"stored|〜−∥—¢£¬|fits"_s}); // input-method forms of Shift_JIS characters
    }
    void inputRules() {
        QFETCH(QStringList, row);
        using namespace mdlCalculation;
        const char* verdicts[] = {"fits", "control", "not Shift_JIS", "too long"};
        const QString& text = row[1];
        const QString result =
            row[0] == u"range"  ? QString::fromLatin1(blnInRange(text) ? "in" : "out")
            : row[0] == u"stat" ? strStatText(text)
            : row[0] == u"name" ? strTrimName(text)
                                : QString::fromLatin1(verdicts[int(checkStoredText(text))]);
        QCOMPARE(result, row[2]);
        QVERIFY(row[0] != u"name" || blnIsBlankName(text) == row[2].isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEntryValues)
#include "test_entry_values.moc"
