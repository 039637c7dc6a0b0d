// The program's SQL texts: their exact wording, and what they return from a small master.

#include "MasterFixture.h"
#include "storage/Database.h"
#include "storage/modDBAccess.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace modDBAccess;

namespace {

const char kMasterRows[] = R"(
INSERT INTO SHURUI_MASTER VALUES (1, '剣', 2, 10), (2, '弓', 1, 20);
INSERT INTO BUKI_MASTER VALUES
    (1, 'ソード', 1, 10, 20, 5, 10, 3, 50, 1, 15, '普通', 1, 1, 1),
    (2, '隠し剣', 1, 1, 2, 0, 0, 0, 0, 0, 1, NULL, NULL, 0, 0),
    (3, 'ボウ', 2, 5, 30, 0, 0, 0, 0, 0, 1, NULL, NULL, 1, 1),
    (4, 'ロング', 1, 12, 25, 0, 0, 0, 0, 0, 1, '遅い', 2, 1, 1),
    (5, 'ダガー', 1, 1, 3, 0, 0, 0, 0, 0, 1, NULL, NULL, 1, 0);
INSERT INTO KAIZO_MASTER VALUES
    (11, 'a', 1, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL),
    (12, 'b', 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL),
    (13, 'c', 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL),
    (21, 'up', 1, 0, 9, 3, 2, 3, 0, 0, 0, 0, 0, -20, 100, 1000, NULL),
    (22, 'mend', 1, 0, 9, 4, 0, 0, 0, 0, 0, 0, 0, 5, 100, 1000, NULL),
    (23, 'same', 1, 0, 9, 5, 2, 28, 5, 10, 2, 50, 1, 5, 200, 2000, NULL);
INSERT INTO LANK_INDEX VALUES ('練習', 0), ('F', 1), ('A', 2), ('B''s', 3);
INSERT INTO SKILL_MASTER VALUES (100, 10), (200, 20);
INSERT INTO LANK_MASTER VALUES ('A', 100, 3, 5, 2), ('A', 200, 7, 9, 4), ('B''s', 100, 1, 1, 1);
INSERT INTO CHANGE_SPEC_MASTER VALUES
    (1, '鋭い', '鍛冶', 10.0, 20.0, 1, 0, -5, 1, 5),
    (2, '重い', 'ドロップ', 2, 3.5, 0, 0, 0, 1, 1),
    (3, '隠れ', '鍛冶', 1, 1, 0, 0, 0, 0, 0),
    (4, '軽い', 'ドロップ', 1, 2, 0, 0, 0, 1, 9);
)";

const QString kList10 =
    u"MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU,EXP,COST"_s;

} // namespace

class TestDbAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void texts_data();
    void texts();
    void lookups_data();
    void lookups();
    void workTable();

private:
    // Every row, fields as shown (text()) joined by "," and rows by "|".
    QString rows(const QString& statement);

    QTemporaryDir m_dir;
};

void TestDbAccess::initTestCase() {
    const QString path = fixture::createMaster(m_dir.filePath(u"master.db"_s), kMasterRows);
    QVERIFY2(storage::cnDatabase().open(path), qPrintable(storage::cnDatabase().lastError()));
}

QString TestDbAccess::rows(const QString& statement) {
    storage::Recordset& rs = storage::rsShared();
    if (!rs.open(statement))
        return u"error: "_s + rs.lastError();
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << rs.text(i);
        out << fields.join(u',');
    }
    rs.close();
    return out.join(u'|');
}

void TestDbAccess::texts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QString& text, const char* expected) {
        QTest::newRow(name) << text << QString::fromUtf8(expected);
    };
    const char* const weaponList =
        "SELECT SEQ, BUKI_NAME, CSTR(MIN_DAMAGE) + \"～\" + CSTR(MAX_DAMAGE) AS DAMAGE, "
        "CSTR(MIN_WOUNDS) + \"～\" + CSTR(MAX_WOUNDS) AS WOUNDS, CRITICAL, BLANCE, RANGE, TAIKYU, "
        "SPEED, HIT FROM BUKI_MASTER WHERE HYOUJI = 1";
    row("types", strGetShuruiList(), "SELECT SEQ,SHURUI_NAME FROM SHURUI_MASTER ORDER BY SORT_NO;");
    row("weapons of every type", strGetBukiList(0),
        (weaponList + " ORDER BY SHURUI,SORT_NO,MAX_DAMAGE"_ba).constData());
    row("weapons of type 3", strGetBukiList(3),
        (weaponList + " AND SHURUI=3 ORDER BY SORT_NO,MAX_DAMAGE"_ba).constData());
    row("weapons of type -2", strGetBukiList(-2),
        (weaponList + " AND SHURUI=-2 ORDER BY SORT_NO,MAX_DAMAGE"_ba).constData());
    row("modifications at a step", strGetKaizoList(12, 3),
        "SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = 12 AND KAISU_S <= 3 AND KAISU_E >= 3 "
        "ORDER BY SORT_NO");
    row("modification", strGetKaizo(-7), "SELECT * FROM KAIZO_MASTER WHERE SEQ = -7");
    row("all modifications", strGetKaizoListAll(32767),
        "SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = 32767 ORDER BY SORT_NO");
    row("last step", strGetMaxKaisu(4),
        "SELECT MAX(KAISU_E) AS MAX_KAISU FROM KAIZO_MASTER WHERE BUKI_SEQ = 4");
    row("ranks", strGetLankList(), "SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO;");
    row("rank position", strGetLankSortNo(u"練習"_s),
        "SELECT SORT_NO FROM LANK_INDEX WHERE LANK = '練習'");
    row("rank with a quote", strGetLankSortNo(u"B's"_s),
        "SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'B''s'");
    row("skill", strGetSkillId(2), "SELECT ID FROM SKILL_MASTER WHERE COMBAT_TYPE = 2");
    row("rank bonus", strGetLankBonus(u"A"_s, 2),
        "SELECT MIN_DAMAGE,MAX_DAMAGE,BALANCE FROM LANK_MASTER WHERE LANK = 'A' AND SKILL_ID = "
        "(SELECT ID FROM SKILL_MASTER WHERE COMBAT_TYPE = 2)");
    row("weapon type", strGetBukiShurui(8), "SELECT SHURUI FROM BUKI_MASTER WHERE SEQ = 8");
    row("combat type", strGetCombatType(8),
        "SELECT COMBAT_TYPE FROM SHURUI_MASTER WHERE SEQ = (SELECT SHURUI FROM BUKI_MASTER WHERE "
        "SEQ = 8)");
    row("change groups", strGetChangeSpecShuruiList(),
        "SELECT SHURUI FROM CHANGE_SPEC_MASTER GROUP BY SHURUI ORDER BY MIN(SORT_NO)");
    row("changes of a group", strGetChangeSpecList(u"鍛冶"_s),
        "SELECT SEQ,NAME,CSTR(MIN_DAMAGE) + '～' + CSTR(MAX_DAMAGE) AS DAMAGE,CRITICAL,BLANCE,"
        "TAIKYU FROM CHANGE_SPEC_MASTER WHERE SHURUI = '鍛冶' AND HYOUJI = 1 ORDER BY SORT_NO");
    row("change", strGetChangeSpec(5),
        "SELECT SEQ,NAME,MIN_DAMAGE,MAX_DAMAGE,CRITICAL,BLANCE,TAIKYU,SHURUI FROM "
        "CHANGE_SPEC_MASTER WHERE SEQ = 5");
    row("step count", strGetKaizoCount(),
        "SELECT COUNT(KAISU) AS KAIZO_COUNT FROM WORK_BUKI_DATA WHERE SHURUI = 0 AND KAISU >= 1");
    row("delete all", strDeleteWork({}), "DELETE FROM WORK_BUKI_DATA ");
    row("delete a step", strDeleteWork(u"WHERE KAISU = 3"_s),
        "DELETE FROM WORK_BUKI_DATA WHERE KAISU = 3");
    row("step row", strGetWorkStep(2),
        "SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU,EXP,COST "
        "FROM WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0");
    row("combat sums", strGetWorkSum(2),
        "SELECT SUM(MIN_DAMAGE) AS MIN_DAMAGE,SUM(MAX_DAMAGE) AS MAX_DAMAGE,SUM(MIN_WOUNDS) AS "
        "MIN_WOUNDS,SUM(MAX_WOUNDS) AS MAX_WOUNDS,SUM(CRITICAL) AS CRITICAL,SUM(BLANCE) AS BLANCE "
        "FROM WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0 OR NOT SHURUI IN (0 ,3)");
    row("base row", strInsertWorkBase(7),
        "INSERT INTO WORK_BUKI_DATA (MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,"
        "RANGE,TAIKYU) select IIF(SUM(MIN_DAMAGE) < 0, 0, SUM(MIN_DAMAGE)),IIF(SUM(MAX_DAMAGE) < "
        "0, "
        "0, SUM(MAX_DAMAGE)),IIF(SUM(MIN_WOUNDS) < 0, 0, SUM(MIN_WOUNDS)),IIF(SUM(MAX_WOUNDS) < 0, "
        "0, SUM(MAX_WOUNDS)),IIF(SUM(CRITICAL) < 0, 0, SUM(CRITICAL)),IIF(SUM(BLANCE) < 0, 0, "
        "SUM(BLANCE)),IIF(SUM(RANGE) < 0, 0, SUM(RANGE)),IIF(SUM(TAIKYU) < 0, 0, SUM(TAIKYU)) FROM "
        "(SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU FROM "
        "WORK_BUKI_DATA WHERE SHURUI = 3 UNION ALL SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,"
        "MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU FROM BUKI_MASTER WHERE SEQ = 7)");
    row("step insert", strInsertWorkStep(2, 45),
        "INSERT INTO WORK_BUKI_DATA (MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,"
        "RANGE,TAIKYU,EXP,COST,KAISU) select IIF(SUM(MIN_DAMAGE) < 0, 0, SUM(MIN_DAMAGE)),"
        "IIF(SUM(MAX_DAMAGE) < 0, 0, SUM(MAX_DAMAGE)),IIF(SUM(MIN_WOUNDS) < 0, 0, SUM(MIN_WOUNDS)),"
        "IIF(SUM(MAX_WOUNDS) < 0, 0, SUM(MAX_WOUNDS)),IIF(SUM(CRITICAL) < 0, 0, SUM(CRITICAL)),"
        "IIF(SUM(BLANCE) < 0, 0, SUM(BLANCE)),IIF(SUM(RANGE) < 0, 0, SUM(RANGE)),IIF(SUM(TAIKYU) < "
        "0, 0, SUM(TAIKYU)),IIF(SUM(EXP) < 0, 0, SUM(EXP)),IIF(SUM(COST) < 0, 0, SUM(COST)),3 AS "
        "KAISU FROM (SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,"
        "TAIKYU,EXP,COST FROM WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0 UNION ALL SELECT "
        "MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU,EXP,COST FROM "
        "KAIZO_MASTER WHERE SEQ = 45)");
    row("value row", strInsertWorkValues(u"1.5,2,0,0,0.25,3,0"_s, 1),
        "INSERT INTO WORK_BUKI_DATA (MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,"
        "TAIKYU,SHURUI) VALUES (1.5,2,0,0,0.25,3,0,1)");
}

void TestDbAccess::texts() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestDbAccess::lookups_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("result");
    auto row = [](const char* name, const QString& statement, const char* result) {
        QTest::newRow(name) << statement << QString::fromUtf8(result);
    };
    row("types by sort", strGetShuruiList(), "2,弓|1,剣");
    row("shown weapons by type, sort, damage", strGetBukiList(0),
        "5,ダガー,1～3,0～0,0,0,0,1,,|1,ソード,10～20,5～10,3,50,1,15,普通,1|"
        "4,ロング,12～25,0～0,0,0,0,1,遅い,2|3,ボウ,5～30,0～0,0,0,0,1,,");
    row("shown weapons of one type", strGetBukiList(2), "3,ボウ,5～30,0～0,0,0,0,1,,");
    row("modifications at step 1", strGetKaizoList(1, 1).replace(u"*"_s, u"SEQ"_s),
        "12|11|21|22|23");
    row("modifications at step 0", strGetKaizoList(1, 0).replace(u"*"_s, u"SEQ"_s), "11|21|22|23");
    row("all columns of a modification", strGetKaizo(12), "12,b,1,1,1,1,0,0,0,0,0,0,0,0,0,0,");
    row("last step", strGetMaxKaisu(1), "9");
    row("last step without modifications", strGetMaxKaisu(5), "");
    row("ranks in order", strGetLankList(), "練習|F|A|B's");
    row("rank with a quote", strGetLankSortNo(u"B's"_s), "3");
    row("rank bonus ignoring case", strGetLankBonus(u"a"_s, 20), "7,9,4");
    row("rank bonus with a quote", strGetLankBonus(u"B's"_s, 10), "1,1,1");
    row("combat type", strGetCombatType(3), "20");
    row("change groups by smallest sort", strGetChangeSpecShuruiList(), "鍛冶|ドロップ");
    row("shown changes of a group", strGetChangeSpecList(u"鍛冶"_s), "1,鋭い,10～20,1,0,-5");
    row("fractional change damage", strGetChangeSpecList(u"ドロップ"_s),
        "2,重い,2～3.5,0,0,0|4,軽い,1～2,0,0,0");
    row("change", strGetChangeSpec(1), "1,鋭い,10,20,1,0,-5,鍛冶");
}

void TestDbAccess::lookups() {
    QFETCH(QString, statement);
    QFETCH(QString, result);
    QCOMPARE(rows(statement), result);
}

// One simulation: performance change, bonus row, base row, three steps, undo, reset.
void TestDbAccess::workTable() {
    const QString count = strGetKaizoCount();
    const QString kinds =
        u"SELECT SHURUI, COUNT(*) FROM WORK_BUKI_DATA GROUP BY SHURUI ORDER BY SHURUI"_s;
    QCOMPARE(rows(strDeleteWork({})), QString());
    QCOMPARE(rows(strInsertWorkValues(u"-12,5,0,0,-1,0,0"_s, 3)), QString());
    QCOMPARE(rows(strInsertWorkValues(u"1.5,2.25,0,0,0.5,3,0"_s, 1)), QString());
    QCOMPARE(rows(strInsertWorkBase(1)), QString());
    QCOMPARE(rows(count), u"0"_s);
    // Damage 10 - 12 clamps to 0; the change row is folded in and not summed again.
    QCOMPARE(rows(strGetWorkStep(0)), u"0,25,5,10,2,50,1,15,0,0"_s);
    QCOMPARE(rows(strGetWorkSum(0)), u"1.5,27.25,5,10,2.5,53"_s);

    QCOMPARE(rows(strInsertWorkStep(0, 21)), QString());
    QCOMPARE(rows(strGetWorkStep(1)), u"2,28,5,10,2,50,1,0,100,1000"_s);
    QCOMPARE(rows(strInsertWorkStep(1, 22)), QString());
    QCOMPARE(rows(strGetWorkStep(2)), u"2,28,5,10,2,50,1,5,200,2000"_s);
    // A modification equal to the current totals still counts.
    QCOMPARE(rows(strInsertWorkStep(2, 23)), QString());
    QCOMPARE(rows(strGetWorkStep(3)), u"4,56,10,20,4,100,2,10,400,4000"_s);
    QCOMPARE(rows(count), u"3"_s);
    // Only step 2 and the bonus row: neither the change row nor the other steps.
    QCOMPARE(rows(strGetWorkSum(2)), u"3.5,30.25,5,10,2.5,53"_s);

    QCOMPARE(rows(strDeleteWork(u"WHERE KAISU = 3"_s)), QString());
    QCOMPARE(rows(count), u"2"_s);
    QCOMPARE(rows(kinds), u"0,3|1,1|3,1"_s);
    QCOMPARE(rows(strDeleteWork(u"WHERE SHURUI = 1"_s)), QString());
    QCOMPARE(rows(strGetWorkSum(2)), u"2,28,5,10,2,50"_s);

    QCOMPARE(rows(strDeleteWork(u"WHERE SHURUI = 0"_s)), QString());
    QCOMPARE(rows(count), u"0"_s);
    QCOMPARE(rows(strGetWorkStep(0)), QString());
    QCOMPARE(rows(kinds), u"3,1"_s);
    QCOMPARE(rows(u"SELECT "_s + kList10 + u" FROM WORK_BUKI_DATA"_s), u"-12,5,0,0,-1,0,0,0,0,0"_s);
}

QTEST_GUILESS_MAIN(TestDbAccess)
#include "test_db_access.moc"
