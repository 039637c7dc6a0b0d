// The profile editor on a copy of the sample master: the rank lists, what the catalogue modes
// write into the profile list, and the simulator mode end to end, with a stand-in simulator and
// with the real simulator window, down to the bonus row it rebuilds.

#include "EditorFakes.h"
#include "editors/frmProfile.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList kSaved = {u"30"_s, u"10"_s, u"20"_s, u"25"_s, u"15"_s, u"C"_s, u"B"_s};

// A saved profile, its working copy keyed "TEMP", and two bonus sets after the fixed row, the
// first of them in use.
void fillLists(FakeCatalogue& catalogue, const QString& copyName = u"太郎"_s) {
    catalogue.profiles.append(listRow(u"太郎"_s, kSaved));
    catalogue.profiles.append(listRow(copyName, kSaved, u"TEMP"_s));
    catalogue.enchants.append(listRow(u"セットA"_s, {}));
    catalogue.enchants.append(listRow(u"セットB"_s, {}));
    catalogue.enchantCurrent = 1;
}

void sql(const char* statement) {
    if (sqlite3_exec(storage::cnDatabase().handle(), statement, nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        qFatal("%s failed", statement);
}

} // namespace

class TestFrmProfile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { storage::cnDatabase().close(); }

    void newProfileStoresZerosAndFirstRank();
    void editShowsAndStoresTheRow();
    void enterOrderSkipsDisabledLists_data();
    void enterOrderSkipsDisabledLists();
    void simulatorMode_data();
    void simulatorMode();
    void simulatorEdgeCases();
    void realSimulatorRebuildsTheBonusRow();
    void rankTableWithGapsKeepsRanks();
    void emptyRankTableWritesNothing();

private:
    void reopen(const QString& fileName);
    QTemporaryDir m_dir;
};

void TestFrmProfile::initTestCase() {
    QVERIFY(m_dir.isValid());
    reopen(u"vaelbuki.mdb"_s);
}

void TestFrmProfile::reopen(const QString& fileName) {
    storage::cnDatabase().close();
    const QString path = testsupport::copySampleDatabase(m_dir.path(), fileName);
    QVERIFY2(storage::cnDatabase().open(path), qPrintable(storage::cnDatabase().lastError()));
    // Two applied steps on top of the base row, a bonus row and a performance change row.
    sql("INSERT INTO WORK_BUKI_DATA (KAISU, SHURUI) VALUES (0, 0), (1, 0), (2, 0), (0, 1), (0, 3)");
}

void TestFrmProfile::newProfileStoresZerosAndFirstRank() {
    FakeCatalogue catalogue;
    operateDialog([](QDialog* d) {
        QCOMPARE(d->windowTitle(), u"キャラクター情報"_s);
        QVERIFY(!child<QGroupBox>(d, u"frmEnchant"_s)->isVisible());
        QCOMPARE(child<QComboBox>(d, u"cmbAttack"_s)->count(), 16);
        enter(d, {u"txtName=花子"_s});
        press(d, u"cmdOK"_s);
    });
    QCOMPARE(frmProfile::intFormStartReg(nullptr, catalogue), 0);
    QCOMPARE(catalogue.profiles.count(), 1);
    QCOMPARE(catalogue.profiles.row(0).text, u"花子"_s);
    QCOMPARE(catalogue.profiles.row(0).subItems,
             QStringList({u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"練習"_s, u"練習"_s}));
}

void TestFrmProfile::editShowsAndStoresTheRow() {
    FakeCatalogue catalogue;
    catalogue.profiles.append(listRow(u"x"_s, {}));
    // A rank the table does not hold (renamed in the master since) falls back to the first.
    catalogue.profiles.append(
        listRow(u" 太郎 "_s, {u"12.5"_s, u"10"_s, u"abc"_s, u"-5"_s, u"0"_s, u"C"_s, u"ZZ"_s}));
    catalogue.profileCurrent = 1;
    operateDialog([](QDialog* d) {
        QCOMPARE(child<QLineEdit>(d, u"txtStr"_s)->text(), u"12.5"_s);
        QCOMPARE(child<QComboBox>(d, u"cmbAttack"_s)->currentText(), u"C"_s);
        QCOMPARE(child<QComboBox>(d, u"cmbRange"_s)->currentText(), u"練習"_s);
        enter(d, {u"txtInt=12abc"_s});
        press(d, u"cmdOK"_s);
    });
    QCOMPARE(frmProfile::intFormStartMod(nullptr, catalogue), 0);
    QCOMPARE(catalogue.profiles.row(1).text, u" 太郎 "_s);
    QCOMPARE(catalogue.profiles.row(1).subItems,
             QStringList({u"12.5"_s, u"12"_s, u"0"_s, u"-5"_s, u"0"_s, u"C"_s, u"練習"_s}));

    operateDialog([](QDialog* d) {
        enter(d, {u"txtName=次郎"_s, u"cmbAttack=1"_s});
        QTest::keyClick(child<QWidget>(d, u"cmbAttack"_s), Qt::Key_Escape);
    });
    QCOMPARE(frmProfile::intFormStartMod(nullptr, catalogue), 1);
    QCOMPARE(catalogue.profiles.row(1).text, u" 太郎 "_s);
    QCOMPARE(catalogue.profiles.row(1).cell(6), u"C"_s);
}

void TestFrmProfile::enterOrderSkipsDisabledLists_data() {
    QTest::addColumn<int>("mode"); // 0 catalogue, 1 simulator with an Attack weapon, 2 Range
    QTest::addColumn<QStringList>("order");
    QTest::newRow("catalogue") << 0 << QStringList{u"cmbAttack"_s, u"cmbRange"_s, u"cmdOK"_s};
    QTest::newRow("Attack weapon") << 1 << QStringList{u"cmbAttack"_s, u"cmbEnchant"_s, u"cmdOK"_s};
    QTest::newRow("Range weapon") << 2 << QStringList{u"cmbRange"_s, u"cmbEnchant"_s, u"cmdOK"_s};
}

void TestFrmProfile::enterOrderSkipsDisabledLists() {
    QFETCH(int, mode);
    QFETCH(QStringList, order);
    FakeCatalogue catalogue;
    fillLists(catalogue);
    FakeSimulator simulator(catalogue);
    simulator.attackWeapon = mode == 1;
    bool stayedOpen = false;
    operateDialog([&](QDialog* d) {
        child<QWidget>(d, u"txtLuck"_s)->setFocus();
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        stayedOpen = d->isVisible();
    });
    QCOMPARE(mode == 0 ? frmProfile::intFormStartReg(nullptr, catalogue)
                       : frmProfile::intFormStartChange(simulator),
             1);
    QVERIFY(stayedOpen);
}

void TestFrmProfile::simulatorMode_data() {
    QTest::addColumn<bool>("attackWeapon");
    QTest::addColumn<bool>("setInUse");     // the current bonus set row is highlighted
    QTest::addColumn<QStringList>("shown"); // Attack rank, Range rank, bonus set
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("copy");
    QTest::addColumn<QString>("rank");
    QTest::addColumn<int>("set"); // -1: none in use
    const QStringList edits = {u"txtStr=45"_s, u"txtLuck=12abc"_s, u"cmbEnchant=セットB"_s};
    QTest::newRow("Attack weapon, OK")
        << true << true << QStringList{u"D"_s, u"B"_s, u"セットA"_s}
        << (QStringList(edits) << u"cmbAttack=A"_s) << u"cmdOK"_s
        << QStringList{u"45"_s, u"10"_s, u"20"_s, u"25"_s, u"12"_s, u"A"_s, u"B"_s} << u"A"_s << 2;
    QTest::newRow("Attack weapon, Cancel")
        << true << true << QStringList{u"D"_s, u"B"_s, u"セットA"_s}
        << (QStringList(edits) << u"cmbAttack=A"_s) << u"cmdCancel"_s << kSaved << u"D"_s << 1;
    QTest::newRow("Range weapon, no set")
        << false << true << QStringList{u"C"_s, u"D"_s, u"セットA"_s}
        << QStringList{u"cmbRange=F"_s, u"cmbEnchant=使用なし"_s} << u"cmdOK"_s
        << QStringList{u"30"_s, u"10"_s, u"20"_s, u"25"_s, u"15"_s, u"C"_s, u"F"_s} << u"F"_s << 0;
    // A current row that is not highlighted applies no set: the fixed row is what is offered.
    QTest::newRow("set not in use") << true << false << QStringList{u"D"_s, u"B"_s, u"使用なし"_s}
                                    << QStringList{} << u"cmdCancel"_s << kSaved << u"D"_s << -1;
}

void TestFrmProfile::simulatorMode() {
    QFETCH(bool, attackWeapon);
    QFETCH(bool, setInUse);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, inputs);
    QFETCH(QString, button);
    QFETCH(QStringList, copy);
    QFETCH(QString, rank);
    QFETCH(int, set);
    FakeCatalogue catalogue;
    fillLists(catalogue);
    catalogue.enchantSelected = setInUse;
    FakeSimulator simulator(catalogue);
    simulator.attackWeapon = attackWeapon;
    simulator.rank = u"D"_s; // the rank in force, which differs from the copy's column
    operateDialog([&](QDialog* d) {
        QVERIFY(child<QGroupBox>(d, u"frmEnchant"_s)->isVisible());
        QCOMPARE(child<QLineEdit>(d, u"txtName"_s)->text(), u"太郎"_s);
        QVERIFY(!child<QLineEdit>(d, u"txtName"_s)->isEnabled());
        QCOMPARE(child<QComboBox>(d, u"cmbAttack"_s)->isEnabled(), attackWeapon);
        QCOMPARE(child<QComboBox>(d, u"cmbRange"_s)->isEnabled(), !attackWeapon);
        QCOMPARE(QStringList({child<QComboBox>(d, u"cmbAttack"_s)->currentText(),
                              child<QComboBox>(d, u"cmbRange"_s)->currentText(),
                              child<QComboBox>(d, u"cmbEnchant"_s)->currentText()}),
                 shown);
        QCOMPARE(child<QComboBox>(d, u"cmbEnchant"_s)->count(), 3);
        enter(d, inputs);
        press(d, button);
    });
    QCOMPARE(frmProfile::intFormStartChange(simulator), button == u"cmdOK"_s ? 0 : 1);
    QCOMPARE(catalogue.profiles.row(1).text, u"太郎"_s);
    QCOMPARE(catalogue.profiles.row(1).subItems, copy);
    QCOMPARE(catalogue.profiles.row(0).subItems, kSaved);
    QCOMPARE(simulator.rank, rank);
    QCOMPARE(catalogue.enchantSelected ? catalogue.enchantCurrent : -1, set);
    // Recomputed after the copy and the set are in place, for the current step, in any case.
    QCOMPARE(simulator.calls,
             QStringList({u"insertStatus %1 %2 %3"_s.arg(copy.join(u','), rank).arg(set),
                          u"setCombatStatus 2"_s}));
}

void TestFrmProfile::simulatorEdgeCases() {
    FakeCatalogue catalogue;
    FakeSimulator simulator(catalogue);
    testsupport::RecordingMessageBoxes boxes;
    // No working copy (no profile selected): nothing to edit, nothing recomputed.
    catalogue.profiles.append(listRow(u"太郎"_s, kSaved));
    bool opened = false;
    watchForDialog(opened);
    QCOMPARE(frmProfile::intFormStartChange(simulator), 1);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QVERIFY(simulator.calls.isEmpty());

    // A copy without a name: the name is never written back, so OK is not refused for it.
    catalogue.profiles.append(listRow(QString(), kSaved, u"TEMP"_s));
    operateDialog([](QDialog* d) {
        enter(d, {u"txtWill=-999"_s});
        press(d, u"cmdOK"_s);
    });
    QCOMPARE(frmProfile::intFormStartChange(simulator), 0);
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(catalogue.profiles.row(1).cell(4), u"-999"_s);

    // A failed bonus row is reported, and no combat figures are drawn from it.
    simulator.calls.clear();
    simulator.insertStatusSucceeds = false;
    operateDialog([](QDialog* d) { press(d, u"cmdCancel"_s); });
    QCOMPARE(frmProfile::intFormStartChange(simulator), 1);
    QCOMPARE(simulator.calls.size(), 1);
    QCOMPARE(boxes.texts(), QStringList{u"ステータスを再計算できませんでした。"_s});
    QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Critical);
}

void TestFrmProfile::realSimulatorRebuildsTheBonusRow() {
    sql("DELETE FROM WORK_BUKI_DATA");
    FakeCatalogue catalogue;
    catalogue.weaponSeq = 2; // an Attack weapon
    catalogue.profiles.append(
        listRow(u"勇者"_s, {u"35"_s, u"9"_s, u"20"_s, u"30"_s, u"15"_s, u"練習"_s, u"F"_s}));
    catalogue.profileCurrent = 0;
    catalogue.enchants.append(
        listRow(u"指輪"_s, {u"-20～3"_s, u"0～0"_s, u"0"_s, u"0"_s, u"-20"_s, u"3"_s, u"0"_s,
                            u"0"_s, u"5"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    frmKaizo simulator(catalogue, nullptr); // its status button opens this editor
    QVERIFY(simulator.prepare());
    simulator.show();
    const auto bonusRow = [] {
        storage::Recordset rs;
        rs.open(u"SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE FROM "
                u"WORK_BUKI_DATA WHERE SHURUI = 1"_s);
        QStringList values;
        for (int i = 0; !rs.eof() && i < rs.fieldCount(); ++i)
            values.append(rs.text(i));
        return values;
    };
    const QStringList before = {u"7.5"_s, u"10"_s, u"2"_s, u"2"_s, u"2.5"_s, u"2.5"_s};
    QCOMPARE(bonusRow(), before);
    auto* cmdMod = simulator.findChild<QPushButton*>(u"cmdMod"_s);

    operateDialog([](QDialog* d) {
        enter(d, {u"txtStr=99"_s, u"cmbAttack=A"_s});
        press(d, u"cmdCancel"_s);
    });
    cmdMod->click();
    QCOMPARE(bonusRow(), before);

    operateDialog([](QDialog* d) {
        enter(d, {u"txtStr=45"_s, u"cmbAttack=A"_s, u"cmbEnchant=指輪"_s});
        press(d, u"cmdOK"_s);
    });
    cmdMod->click();
    // Str 45 + 5 with rank A (+2, +3, balance +1); minimum damage 14 - 20 stops at 0.
    QCOMPARE(bonusRow(), QStringList({u"0"_s, u"22"_s, u"2"_s, u"2"_s, u"2.5"_s, u"3.5"_s}));
    QCOMPARE(simulator.findChild<QLabel*>(u"lblAttack"_s)->text(), u"A"_s);
    QCOMPARE(simulator.findChild<QLabel*>(u"lblStr"_s)->text(), u"50"_s);
    QCOMPARE(catalogue.profiles.row(0).cell(1), u"35"_s);
}

void TestFrmProfile::rankTableWithGapsKeepsRanks() {
    reopen(u"gaps.mdb"_s);
    sql("UPDATE LANK_INDEX SET SORT_NO = SORT_NO * 2 + 100");
    FakeCatalogue catalogue;
    catalogue.profiles.append(listRow(u"太郎"_s, kSaved));
    catalogue.profileCurrent = 0;
    operateDialog([](QDialog* d) { press(d, u"cmdOK"_s); });
    QCOMPARE(frmProfile::intFormStartMod(nullptr, catalogue), 0);
    QCOMPARE(catalogue.profiles.row(0).subItems, kSaved);
    reopen(u"vaelbuki.mdb"_s);
}

void TestFrmProfile::emptyRankTableWritesNothing() {
    reopen(u"empty.mdb"_s);
    sql("DELETE FROM LANK_MASTER; DELETE FROM LANK_INDEX");
    FakeCatalogue catalogue;
    fillLists(catalogue);
    catalogue.profileCurrent = 0;
    FakeSimulator simulator(catalogue);
    testsupport::RecordingMessageBoxes boxes;
    bool opened = false;
    watchForDialog(opened);
    QCOMPARE(frmProfile::intFormStartReg(nullptr, catalogue), 1);
    QCOMPARE(frmProfile::intFormStartMod(nullptr, catalogue), 1);
    QCOMPARE(frmProfile::intFormStartChange(simulator), 1);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QCOMPARE(catalogue.profiles.count(), 2);
    QCOMPARE(catalogue.profiles.row(0).subItems, kSaved);
    QCOMPARE(catalogue.profiles.row(1).subItems, kSaved);
    QVERIFY(simulator.calls.isEmpty());
    QCOMPARE(boxes.texts(), QStringList(3, u"スキルランクが登録されていません。"_s));
    QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Critical);
    reopen(u"vaelbuki.mdb"_s);
}

QTEST_MAIN(TestFrmProfile)
#include "test_frmProfile.moc"
