// The profile and bonus set editors driven by their controls, beside plain stand-ins for the
// catalogue window and the simulator that hold the side lists and record what the editors ask of
// the simulation. The bonus set editor: what a confirmed dialog writes into the list, the checks
// on OK, the Enter and focus behaviour of the fields. The profile editor on a copy of the sample
// master: the rank lists, what the catalogue modes write into the profile list, and the simulator
// mode end to end, with the stand-in and with the real simulator window, down to the bonus row
// it rebuilds.

#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "editors/frmEnchant.h"
#include "editors/frmProfile.h"
#include "simulator/SimulatorAccess.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// "a|b|c" as a list, for long rows of cells and inputs.
QStringList list(const QString& items) {
    return items.split(u'|');
}

ListRow listRow(const QString& text, const QStringList& cells, const QString& key = {}) {
    return {text, cells, {}, key};
}

class FakeCatalogue : public CatalogueAccess {
public:
    FakeCatalogue() {
        enchants.append(listRow(QStringLiteral("使用なし"), {}, QStringLiteral("消せません")));
    }

    qint16 selectedWeaponSeq() const override { return weaponSeq; }
    QString selectedWeaponName() const override { return {}; }
    RowListModel& profileList() override { return profiles; }
    int profileCurrentRow() const override { return profileCurrent; }
    bool profileCurrentSelected() const override { return profileCurrent >= 0; }
    RowListModel& enchantList() override { return enchants; }
    int enchantCurrentRow() const override { return enchantCurrent; }
    bool enchantCurrentSelected() const override { return enchantSelected; }
    void selectEnchantRow(int row) override {
        enchantCurrent = row;
        enchantSelected = true;
    }

    qint16 weaponSeq = 1;
    RowListModel profiles;
    RowListModel enchants;
    int profileCurrent = -1;
    int enchantCurrent = 0;
    bool enchantSelected = true;
};

class FakeSimulator : public SimulatorAccess {
public:
    explicit FakeSimulator(FakeCatalogue& catalogue)
        : m_catalogue(catalogue) {}

    QWidget* window() override { return nullptr; }
    CatalogueAccess& catalogue() override { return m_catalogue; }
    bool setChangeSpace(qint16) override { return true; }
    bool ResetState(bool) override { return true; }
    bool setStateRecovery(const QString&) override { return true; }
    // Records what the working copy, the rank and the bonus set in use are at this moment.
    bool insertStatus() override {
        const int temp = m_catalogue.profiles.findKey(QStringLiteral("TEMP"));
        calls.append(
            QStringLiteral("insertStatus %1 %2 %3")
                .arg(temp >= 0 ? m_catalogue.profiles.row(temp).subItems.join(u',') : QString(),
                     rank)
                .arg(m_catalogue.enchantSelected ? m_catalogue.enchantCurrent : -1));
        return insertStatusSucceeds;
    }
    bool setCombatStatus(qint16 kaisu) override {
        calls.append(QStringLiteral("setCombatStatus %1").arg(kaisu));
        return true;
    }
    QString combatTypeTag() const override {
        return attackWeapon ? QStringLiteral("1") : QStringLiteral("2");
    }
    QString combatTypeCaption() const override {
        return attackWeapon ? QStringLiteral("アタック") : QStringLiteral("レンジ");
    }
    QString attackRank() const override { return rank; }
    void setAttackRank(const QString& value) override { rank = value; }
    QString changeSpecTag() const override { return QStringLiteral("23"); }

    bool attackWeapon = true;
    QString rank = QStringLiteral("C");
    bool insertStatusSucceeds = true;
    QStringList calls;

private:
    FakeCatalogue& m_catalogue;
};

// Runs action on the modal dialog once it waits in exec(); a dialog the action leaves open is
// cancelled, so a failed check never hangs the test.
void operateDialog(std::function<void(QDialog*)> action) {
    testsupport::whenModal([action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "no modal dialog is open");
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        action(dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
}

// Sets opened when a modal dialog shows up on the next event-loop turn (and closes it).
void watchForDialog(bool& opened) {
    testsupport::whenModal([&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->done(QDialog::Rejected);
        }
    });
}

template <class T> T* child(QDialog* dialog, const QString& name) {
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// "txtStr=45" types into a field, "cmbAttack=A" chooses an item of a list.
void enter(QDialog* dialog, const QStringList& inputs) {
    for (const QString& input : inputs) {
        const QString name = input.section(u'=', 0, 0);
        const QString value = input.section(u'=', 1);
        if (name.startsWith(u"cmb")) {
            auto* list = child<QComboBox>(dialog, name);
            QVERIFY2(list->findText(value) >= 0, qPrintable(input));
            list->setCurrentIndex(list->findText(value));
        } else {
            child<QLineEdit>(dialog, name)->setText(value);
        }
    }
}

void press(QDialog* dialog, const QString& button) {
    QTest::mouseClick(child<QWidget>(dialog, button), Qt::LeftButton);
}

const QStringList kSaved = list(u"30|10|20|25|15|C|B"_s);

// A saved profile, its working copy keyed "TEMP", and two bonus sets after the fixed row, the
// first of them in use.
void fillLists(FakeCatalogue& catalogue) {
    catalogue.profiles.append(listRow(u"太郎"_s, kSaved));
    catalogue.profiles.append(listRow(u"太郎"_s, kSaved, u"TEMP"_s));
    catalogue.enchants.append(listRow(u"セットA"_s, {}));
    catalogue.enchants.append(listRow(u"セットB"_s, {}));
    catalogue.enchantCurrent = 1;
}

void sql(const char* statement) {
    testsupport::sqlExec(storage::cnDatabase().handle(), statement);
}

} // namespace

class TestEditors : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    void reopen(const QString& fileName) {
        storage::cnDatabase().close();
        const QString path = testsupport::copySampleDatabase(m_dir.path(), fileName);
        QVERIFY2(storage::cnDatabase().open(path), qPrintable(storage::cnDatabase().lastError()));
        // Two applied steps on top of the base row, a bonus row and a performance change row.
        sql("INSERT INTO WORK_BUKI_DATA (KAISU, SHURUI) VALUES (0,0), (1,0), (2,0), (0,1), (0,3)");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        reopen(u"vaelbuki.mdb"_s);
    }
    void cleanupTestCase() { storage::cnDatabase().close(); }

    void newProfileStoresZerosAndFirstRank() {
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
        QCOMPARE(catalogue.profiles.row(0).subItems, list(u"0|0|0|0|0|練習|練習"_s));
    }
    void editShowsAndStoresTheRow() {
        FakeCatalogue catalogue;
        catalogue.profiles.append(listRow(u"x"_s, {}));
        // A rank the table does not hold (renamed in the master since) falls back to the first.
        catalogue.profiles.append(listRow(u" 太郎 "_s, list(u"12.5|10|abc|-5|0|C|ZZ"_s)));
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
        QCOMPARE(catalogue.profiles.row(1).subItems, list(u"12.5|12|0|-5|0|C|練習"_s));

        operateDialog([](QDialog* d) {
            enter(d, {u"txtName=次郎"_s, u"cmbAttack=1"_s});
            QTest::keyClick(child<QWidget>(d, u"cmbAttack"_s), Qt::Key_Escape);
        });
        QCOMPARE(frmProfile::intFormStartMod(nullptr, catalogue), 1);
        QCOMPARE(catalogue.profiles.row(1).text, u" 太郎 "_s);
        QCOMPARE(catalogue.profiles.row(1).cell(6), u"C"_s);
    }
    void enterOrderSkipsDisabledLists_data() {
        QTest::addColumn<int>("mode"); // 0 catalogue, 1 simulator with an Attack weapon, 2 Range
        QTest::addColumn<QStringList>("order");
        QTest::newRow("catalogue") << 0 << list(u"cmbAttack|cmbRange|cmdOK"_s);
        QTest::newRow("Attack weapon") << 1 << list(u"cmbAttack|cmbEnchant|cmdOK"_s);
        QTest::newRow("Range weapon") << 2 << list(u"cmbRange|cmbEnchant|cmdOK"_s);
    }
    void enterOrderSkipsDisabledLists() {
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
    void simulatorMode_data() {
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
            << true << true << list(u"D|B|セットA"_s) << (QStringList(edits) << u"cmbAttack=A"_s)
            << u"cmdOK"_s << list(u"45|10|20|25|12|A|B"_s) << u"A"_s << 2;
        QTest::newRow("Attack weapon, Cancel")
            << true << true << list(u"D|B|セットA"_s) << (QStringList(edits) << u"cmbAttack=A"_s)
            << u"cmdCancel"_s << kSaved << u"D"_s << 1;
        QTest::newRow("Range weapon, no set")
            << false << true << list(u"C|D|セットA"_s)
            << QStringList{u"cmbRange=F"_s, u"cmbEnchant=使用なし"_s} << u"cmdOK"_s
            << list(u"30|10|20|25|15|C|F"_s) << u"F"_s << 0;
        // A current row that is not highlighted applies no set: the fixed row is what is offered.
        QTest::newRow("set not in use") << true << false << list(u"D|B|使用なし"_s) << QStringList{}
                                        << u"cmdCancel"_s << kSaved << u"D"_s << -1;
    }
    void simulatorMode() {
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
    void simulatorEdgeCases() {
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
    void realSimulatorRebuildsTheBonusRow() {
        sql("DELETE FROM WORK_BUKI_DATA");
        FakeCatalogue catalogue;
        catalogue.weaponSeq = 2; // an Attack weapon
        catalogue.profiles.append(listRow(u"勇者"_s, list(u"35|9|20|30|15|練習|F"_s)));
        catalogue.profileCurrent = 0;
        catalogue.enchants.append(
            listRow(u"指輪"_s, list(u"-20～3|0～0|0|0|-20|3|0|0|5|0|0|0|0"_s)));
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
        QCOMPARE(bonusRow(), list(u"0|22|2|2|2.5|3.5"_s));
        QCOMPARE(simulator.findChild<QLabel*>(u"lblAttack"_s)->text(), u"A"_s);
        QCOMPARE(simulator.findChild<QLabel*>(u"lblStr"_s)->text(), u"50"_s);
        QCOMPARE(catalogue.profiles.row(0).cell(1), u"35"_s);
    }
    void rankTableWithGapsKeepsRanks() {
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
    void emptyRankTableWritesNothing() {
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

    void newSetStoresTheRow_data() {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("unchanged")
            << QStringList{u"txtName=セット"_s} << list(u"0～0|0～0|0|0|0|0|0|0|0|0|0|0|0"_s);
        // Combat values as typed (no check across bounds), statistics as number text.
        QTest::newRow("typed") << list(u"txtName= 名 |txtMinDamage=12abc|txtMaxDamage=3|"
                                       "txtMaxWounds=+3|txtCritical=-20|txtBalance= 7|"
                                       "txtStr=12abc|txtLuck=12.50|txtWill="_s)
                               << list(u"12abc～3|0～+3|-20| 7|12abc|3|0|+3|12|0|0|0|12.5"_s);
    }
    void newSetStoresTheRow() {
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, cells);
        FakeCatalogue catalogue;
        operateDialog([&](QDialog* d) {
            QCOMPARE(d->windowTitle(), u"エンチャント＆タイトル補正"_s);
            enter(d, inputs);
            press(d, u"cmdOK"_s);
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 0);
        QCOMPARE(catalogue.enchants.count(), 2);
        QCOMPARE(catalogue.enchants.row(1).text, inputs[0].section(u'=', 1));
        QVERIFY(catalogue.enchants.row(1).key.isEmpty());
        QCOMPARE(catalogue.enchants.row(1).subItems, cells);
    }
    void editRewritesOnlyItsCells() {
        FakeCatalogue catalogue;
        ListRow set = listRow(u"旧"_s, {});
        for (int i = 1; i <= 15; ++i)
            set.setCell(i, QString::number(i));
        set.tag = u"tag"_s;
        catalogue.enchants.append(set);
        catalogue.enchantCurrent = 1;
        operateDialog([](QDialog* d) {
            QCOMPARE(child<QLineEdit>(d, u"txtCritical"_s)->text(), u"3"_s);
            QCOMPARE(child<QLineEdit>(d, u"txtMaxWounds"_s)->text(), u"8"_s);
            QCOMPARE(child<QLineEdit>(d, u"txtStr"_s)->text(), u"9"_s);
            enter(d, {u"txtName=新"_s, u"txtMinDamage=-2"_s});
            press(d, u"cmdOK"_s);
        });
        QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 0);
        const ListRow& row = catalogue.enchants.row(1);
        QCOMPARE(row.text, u"新"_s);
        QCOMPARE(row.tag, u"tag"_s);
        QCOMPARE(row.subItems, list(u"-2～6|7～8|3|4|-2|6|7|8|9|10|11|12|13|14|15"_s));

        // The fixed first row is never edited.
        catalogue.enchantCurrent = 0;
        bool opened = false;
        watchForDialog(opened);
        QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 1);
        QCoreApplication::processEvents();
        QVERIFY(!opened);
    }
    void refusedOnOk_data() {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        const QString blank = u"名前が入力されていません。"_s;
        const QString limit = u"入力制限を超過しています。-999～999の間で値を入力してください。"_s;
        const QString unsavable = u"保存できない文字が含まれています。"_s;
        QTest::newRow("blank name first")
            << list(u"txtName=  |txtStr=5000"_s) << blank << u"txtName"_s;
        QTest::newRow("first of two out of range")
            << list(u"txtName=a|txtBalance=-1e3|txtInt=1000"_s) << limit << u"txtInt"_s;
        QTest::newRow("overflowing bonus")
            << list(u"txtName=a|txtMaxDamage=1e400"_s) << limit << u"txtMaxDamage"_s;
        // é and 丂 have no Shift_JIS code, so the settings file would lose them.
        QTest::newRow("unsavable name") << list(u"txtName=Café"_s) << unsavable << u"txtName"_s;
        QTest::newRow("unsavable bonus")
            << list(u"txtName=a|txtCritical=5丂"_s) << unsavable << u"txtCritical"_s;
    }
    void refusedOnOk() {
        QFETCH(QStringList, inputs);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        FakeCatalogue catalogue;
        testsupport::RecordingMessageBoxes boxes;
        operateDialog([&](QDialog* d) {
            enter(d, inputs);
            press(d, u"cmdOK"_s);
            QCOMPARE(boxes.texts(), QStringList{message});
            QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Exclamation);
            auto* field = child<QLineEdit>(d, focused);
            QCOMPARE(d->focusWidget(), field);
            if (focused != u"txtName"_s)
                QCOMPARE(field->selectedText(), field->text());
            QVERIFY(d->isVisible());
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 1);
        QCOMPARE(catalogue.enchants.count(), 1);
    }
    void enterMovesOnAndFocusSelects() {
        FakeCatalogue catalogue;
        operateDialog([](QDialog* d) {
            const QStringList order = list(u"txtStr|txtInt|txtDex|txtWill|txtLuck|txtMinDamage|"
                                           "txtMaxDamage|txtMinWounds|txtMaxWounds|txtCritical|"
                                           "txtBalance|cmdOK"_s);
            enter(d, {u"txtName=セット"_s, u"txtDex=12345"_s});
            child<QLineEdit>(d, u"txtName"_s)->setFocus();
            for (const QString& next : order) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QCOMPARE(QApplication::focusWidget()->objectName(), next);
            }
            QVERIFY(d->isVisible());
            for (auto* button : d->findChildren<QPushButton*>())
                QVERIFY(!button->isDefault() && !button->autoDefault());

            // Selected from the caret to the end; typing replaces the selection, nothing is
            // filtered.
            auto* dex = child<QLineEdit>(d, u"txtDex"_s);
            dex->setCursorPosition(0);
            dex->setFocus(Qt::TabFocusReason);
            QCOMPARE(dex->selectedText(), u"12345"_s);
            dex->setCursorPosition(2);
            child<QWidget>(d, u"cmdOK"_s)->setFocus();
            dex->setFocus(Qt::MouseFocusReason);
            QCOMPARE(dex->selectedText(), u"345"_s);
            QTest::keyClicks(dex, u"x"_s);
            QCOMPARE(dex->text(), u"12x"_s);

            // On a button, Enter presses that button.
            child<QWidget>(d, u"cmdOK"_s)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 0);
        QCOMPARE(catalogue.enchants.row(1).cell(11), u"12"_s);
    }
    void cancelLeavesTheRow_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape") << 1;
    }
    void cancelLeavesTheRow() {
        QFETCH(int, how);
        FakeCatalogue catalogue;
        const ListRow set = listRow(u"旧"_s, {u"1～2"_s, u"0～0"_s, u"-20"_s});
        catalogue.enchants.append(set);
        catalogue.enchantCurrent = 1;
        operateDialog([how](QDialog* d) {
            enter(d, {u"txtName=新"_s, u"txtCritical=5"_s});
            if (how == 0)
                press(d, u"cmdCancel"_s);
            if (how == 1)
                QTest::keyClick(child<QWidget>(d, u"txtCritical"_s), Qt::Key_Escape);
        });
        QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 1);
        QCOMPARE(catalogue.enchants.row(1).text, set.text);
        QCOMPARE(catalogue.enchants.row(1).subItems, set.subItems);
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
