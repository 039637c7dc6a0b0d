// The profile and bonus set editors driven by their controls, over a stand-in for the catalogue's
// side lists and the simulation, and once under the real simulator window.

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
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// "a|b|c" as a list, for long rows of cells and inputs.
QStringList list(const QString& items) {
    return items.split(u'|');
}

ListRow listRow(const QString& text, const QStringList& cells, const QString& key = {}) {
    return {text, cells, {}, key};
}

// The catalogue's side lists and the simulation in one: records what the editors ask of it.
class Fakes : public CatalogueAccess, public SimulatorAccess {
public:
    Fakes() { enchants.append(listRow(u"使用なし"_s, {}, u"消せません"_s)); }
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

    QWidget* window() override { return nullptr; }
    CatalogueAccess& catalogue() override { return *this; }
    bool setChangeSpace(qint16) override { return true; }
    bool ResetState(bool) override { return true; }
    bool setStateRecovery(const QString&) override { return true; }
    // Records the working copy, the rank and the bonus set in use at this moment.
    bool insertStatus() override {
        const int temp = profiles.findKey(u"TEMP"_s);
        calls.append(u"insertStatus %1 %2 %3"_s
                         .arg(temp >= 0 ? profiles.row(temp).subItems.join(u',') : QString(), rank)
                         .arg(enchantSelected ? enchantCurrent : -1));
        return insertStatusSucceeds;
    }
    bool setCombatStatus(qint16 kaisu) override {
        calls.append(u"setCombatStatus %1"_s.arg(kaisu));
        return true;
    }
    QString combatTypeTag() const override { return attackWeapon ? u"1"_s : u"2"_s; }
    QString combatTypeCaption() const override {
        return attackWeapon ? u"アタック"_s : u"レンジ"_s;
    }
    QString attackRank() const override { return rank; }
    void setAttackRank(const QString& value) override { rank = value; }
    QString changeSpecTag() const override { return u"23"_s; }

    qint16 weaponSeq = 1;
    RowListModel profiles, enchants;
    int profileCurrent = -1, enchantCurrent = 0;
    bool enchantSelected = true, attackWeapon = true, insertStatusSucceeds = true;
    QString rank = u"C"_s;
    QStringList calls;
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

// What start returns, or -1 when it opened a dialog (which is then closed).
int withoutDialog(const std::function<int()>& start) {
    auto opened = std::make_shared<bool>(false);
    testsupport::whenModal([opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            *opened = true;
            dialog->done(QDialog::Rejected);
        }
    });
    const int result = start();
    QCoreApplication::processEvents();
    return *opened ? -1 : result;
}

template <class T = QLineEdit> T* child(QDialog* dialog, const char* name) {
    T* found = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QComboBox* combo(QDialog* dialog, const char* name) {
    return child<QComboBox>(dialog, name);
}

// "txtStr=45|cmbAttack=A" types into a field and chooses an item of a list.
void enter(QDialog* dialog, const QString& inputs) {
    for (const QString& input : inputs.split(u'|', Qt::SkipEmptyParts)) {
        const QByteArray name = input.section(u'=', 0, 0).toLatin1();
        const QString value = input.section(u'=', 1);
        if (name.startsWith("cmb")) {
            QComboBox* list = combo(dialog, name.constData());
            QVERIFY2(list->findText(value) >= 0, qPrintable(input));
            list->setCurrentIndex(list->findText(value));
        } else {
            child(dialog, name.constData())->setText(value);
        }
    }
}

void press(QDialog* dialog, const char* button) {
    QTest::mouseClick(child<QWidget>(dialog, button), Qt::LeftButton);
}

void pressEnterThrough(const QStringList& order) {
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

const QStringList kSaved = list(u"30|10|20|25|15|C|B"_s);

// A saved profile, its working copy keyed "TEMP", and two bonus sets after the fixed row, the
// first of them in use.
void fillLists(Fakes& fakes) {
    fakes.profiles.append(listRow(u"太郎"_s, kSaved));
    fakes.profiles.append(listRow(u"太郎"_s, kSaved, u"TEMP"_s));
    fakes.enchants.append(listRow(u"セットA"_s, {}));
    fakes.enchants.append(listRow(u"セットB"_s, {}));
    fakes.enchantCurrent = 1;
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

    void profileInTheCatalogue() {
        Fakes fakes;
        operateDialog([](QDialog* d) {
            QVERIFY(!child<QGroupBox>(d, "frmEnchant")->isVisible());
            QCOMPARE(combo(d, "cmbAttack")->count(), 16);
            enter(d, u"txtName=花子"_s);
            press(d, "cmdOK");
        });
        QCOMPARE(frmProfile::intFormStartReg(nullptr, fakes), 0);
        QCOMPARE(fakes.profiles.count(), 1);
        QCOMPARE(fakes.profiles.row(0).text, u"花子"_s);
        QCOMPARE(fakes.profiles.row(0).subItems, list(u"0|0|0|0|0|練習|練習"_s));

        // A rank the table does not hold (renamed in the master since) falls back to the first.
        fakes.profiles.append(listRow(u" 太郎 "_s, list(u"12.5|10|abc|-5|0|C|ZZ"_s)));
        fakes.profileCurrent = 1;
        operateDialog([](QDialog* d) {
            QCOMPARE(child(d, "txtStr")->text(), u"12.5"_s);
            QCOMPARE(combo(d, "cmbAttack")->currentText(), u"C"_s);
            QCOMPARE(combo(d, "cmbRange")->currentText(), u"練習"_s);
            enter(d, u"txtInt=12abc"_s);
            press(d, "cmdOK");
        });
        QCOMPARE(frmProfile::intFormStartMod(nullptr, fakes), 0);
        QCOMPARE(fakes.profiles.row(1).text, u" 太郎 "_s);
        QCOMPARE(fakes.profiles.row(1).subItems, list(u"12.5|12|0|-5|0|C|練習"_s));

        operateDialog([](QDialog* d) {
            enter(d, u"txtName=次郎|cmbAttack=1"_s);
            QTest::keyClick(combo(d, "cmbAttack"), Qt::Key_Escape);
        });
        QCOMPARE(frmProfile::intFormStartMod(nullptr, fakes), 1);
        QCOMPARE(fakes.profiles.row(1).text, u" 太郎 "_s);
        QCOMPARE(fakes.profiles.row(1).cell(6), u"C"_s);
    }
    void enterOrderSkipsDisabledControls_data() {
        QTest::addColumn<int>("mode"); // 0 catalogue, 1 simulator (Attack), 2 (Range), 3 bonus set
        QTest::addColumn<QStringList>("order");
        QTest::newRow("catalogue") << 0 << list(u"cmbAttack|cmbRange|cmdOK"_s);
        QTest::newRow("Attack weapon") << 1 << list(u"cmbAttack|cmbEnchant|cmdOK"_s);
        QTest::newRow("Range weapon") << 2 << list(u"cmbRange|cmbEnchant|cmdOK"_s);
        QTest::newRow("bonus set") << 3
                                   << list(u"txtMinDamage|txtMaxDamage|txtMinWounds|txtMaxWounds|"
                                           "txtCritical|txtBalance|cmdOK"_s);
    }
    void enterOrderSkipsDisabledControls() {
        QFETCH(int, mode);
        QFETCH(QStringList, order);
        Fakes fakes;
        fillLists(fakes);
        fakes.attackWeapon = mode == 1;
        bool stayedOpen = false;
        operateDialog([&](QDialog* d) {
            child<QWidget>(d, "txtLuck")->setFocus();
            pressEnterThrough(order);
            stayedOpen = d->isVisible();
        });
        const int result = mode == 0   ? frmProfile::intFormStartReg(nullptr, fakes)
                           : mode == 3 ? frmEnchant::intFormStartReg(nullptr, fakes)
                                       : frmProfile::intFormStartChange(fakes);
        QCOMPARE(result, 1);
        QVERIFY(stayedOpen);
    }
    void simulatorMode_data() {
        QTest::addColumn<bool>("attackWeapon");
        QTest::addColumn<bool>("setInUse");     // the current bonus set row is highlighted
        QTest::addColumn<QStringList>("shown"); // Attack rank, Range rank, bonus set
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("copy");
        QTest::addColumn<QString>("rank");
        QTest::addColumn<int>("set"); // -1: none in use
        const QString edits = u"txtStr=45|txtLuck=12abc|cmbEnchant=セットB|cmbAttack=A"_s;
        QTest::newRow("Attack weapon, OK") << true << true << list(u"D|B|セットA"_s) << edits
                                           << true << list(u"45|10|20|25|12|A|B"_s) << u"A"_s << 2;
        QTest::newRow("Attack weapon, Cancel")
            << true << true << list(u"D|B|セットA"_s) << edits << false << kSaved << u"D"_s << 1;
        QTest::newRow("Range weapon, no set")
            << false << true << list(u"C|D|セットA"_s) << u"cmbRange=F|cmbEnchant=使用なし"_s
            << true << list(u"30|10|20|25|15|C|F"_s) << u"F"_s << 0;
        // A current row that is not highlighted applies no set: the fixed row is what is offered.
        QTest::newRow("set not in use") << true << false << list(u"D|B|使用なし"_s) << QString()
                                        << false << kSaved << u"D"_s << -1;
    }
    void simulatorMode() {
        QFETCH(bool, attackWeapon);
        QFETCH(bool, setInUse);
        QFETCH(QStringList, shown);
        QFETCH(QString, inputs);
        QFETCH(bool, ok);
        QFETCH(QStringList, copy);
        QFETCH(QString, rank);
        QFETCH(int, set);
        Fakes fakes;
        fillLists(fakes);
        fakes.enchantSelected = setInUse;
        fakes.attackWeapon = attackWeapon;
        fakes.rank = u"D"_s; // the rank in force, which differs from the copy's column
        operateDialog([&](QDialog* d) {
            QVERIFY(child<QGroupBox>(d, "frmEnchant")->isVisible());
            QCOMPARE(child(d, "txtName")->text(), u"太郎"_s);
            QVERIFY(!child(d, "txtName")->isEnabled());
            QCOMPARE(combo(d, "cmbAttack")->isEnabled(), attackWeapon);
            QCOMPARE(combo(d, "cmbRange")->isEnabled(), !attackWeapon);
            QCOMPARE(QStringList({combo(d, "cmbAttack")->currentText(),
                                  combo(d, "cmbRange")->currentText(),
                                  combo(d, "cmbEnchant")->currentText()}),
                     shown);
            QCOMPARE(combo(d, "cmbEnchant")->count(), 3);
            enter(d, inputs);
            press(d, ok ? "cmdOK" : "cmdCancel");
        });
        QCOMPARE(frmProfile::intFormStartChange(fakes), ok ? 0 : 1);
        QCOMPARE(fakes.profiles.row(1).text, u"太郎"_s);
        QCOMPARE(fakes.profiles.row(1).subItems, copy);
        QCOMPARE(fakes.profiles.row(0).subItems, kSaved);
        QCOMPARE(fakes.rank, rank);
        QCOMPARE(fakes.enchantSelected ? fakes.enchantCurrent : -1, set);
        // Recomputed after the copy and the set are in place, for the current step, in any case.
        QCOMPARE(fakes.calls,
                 QStringList({u"insertStatus %1 %2 %3"_s.arg(copy.join(u','), rank).arg(set),
                              u"setCombatStatus 2"_s}));
    }
    void simulatorEdgeCases() {
        Fakes fakes;
        testsupport::RecordingMessageBoxes boxes;
        // No working copy (no profile selected): nothing to edit, nothing recomputed.
        fakes.profiles.append(listRow(u"太郎"_s, kSaved));
        QCOMPARE(withoutDialog([&] { return frmProfile::intFormStartChange(fakes); }), 1);
        QVERIFY(fakes.calls.isEmpty());

        // A copy without a name: the name is never written back, so OK is not refused for it.
        fakes.profiles.append(listRow(QString(), kSaved, u"TEMP"_s));
        operateDialog([](QDialog* d) {
            enter(d, u"txtWill=-999"_s);
            press(d, "cmdOK");
        });
        QCOMPARE(frmProfile::intFormStartChange(fakes), 0);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(fakes.profiles.row(1).cell(4), u"-999"_s);

        // A failed bonus row is reported, and no combat figures are drawn from it.
        fakes.calls.clear();
        fakes.insertStatusSucceeds = false;
        operateDialog([](QDialog* d) { press(d, "cmdCancel"); });
        QCOMPARE(frmProfile::intFormStartChange(fakes), 1);
        QCOMPARE(fakes.calls.size(), 1);
        QCOMPARE(boxes.texts(), QStringList{u"ステータスを再計算できませんでした。"_s});
        QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Critical);
    }
    void realSimulatorRebuildsTheBonusRow() {
        sql("DELETE FROM WORK_BUKI_DATA");
        Fakes fakes;
        fakes.weaponSeq = 2; // an Attack weapon
        fakes.profiles.append(listRow(u"勇者"_s, list(u"35|9|20|30|15|練習|F"_s)));
        fakes.profileCurrent = 0;
        fakes.enchants.append(listRow(u"指輪"_s, list(u"-20～3|0～0|0|0|-20|3|0|0|5|0|0|0|0"_s)));
        frmKaizo simulator(fakes, nullptr); // its status button opens this editor
        QVERIFY(simulator.prepare());
        simulator.show();
        const auto bonusRow = [] {
            return testsupport::sqlRows(storage::cnDatabase().handle(),
                                        u"SELECT MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,"
                                        u"CRITICAL,BLANCE FROM WORK_BUKI_DATA WHERE SHURUI = 1"_s);
        };
        QCOMPARE(bonusRow(), QStringList{u"7.5|10|2|2|2.5|2.5"_s});
        auto* cmdMod = simulator.findChild<QPushButton*>(u"cmdMod"_s);

        operateDialog([](QDialog* d) {
            enter(d, u"txtStr=45|cmbAttack=A|cmbEnchant=指輪"_s);
            press(d, "cmdOK");
        });
        cmdMod->click();
        // Str 45 + 5 with rank A (+2, +3, balance +1); minimum damage 14 - 20 stops at 0.
        QCOMPARE(bonusRow(), QStringList{u"0|22|2|2|2.5|3.5"_s});
        QCOMPARE(simulator.findChild<QLabel*>(u"lblAttack"_s)->text(), u"A"_s);
        QCOMPARE(simulator.findChild<QLabel*>(u"lblStr"_s)->text(), u"50"_s);
        QCOMPARE(fakes.profiles.row(0).cell(1), u"35"_s);
    }
    void rankTableWithGapsKeepsRanks() {
        reopen(u"gaps.mdb"_s);
        sql("UPDATE LANK_INDEX SET SORT_NO = SORT_NO * 2 + 100");
        Fakes fakes;
        fakes.profiles.append(listRow(u"太郎"_s, kSaved));
        fakes.profileCurrent = 0;
        operateDialog([](QDialog* d) { press(d, "cmdOK"); });
        QCOMPARE(frmProfile::intFormStartMod(nullptr, fakes), 0);
        QCOMPARE(fakes.profiles.row(0).subItems, kSaved);
        reopen(u"vaelbuki.mdb"_s);
    }
    void emptyRankTableWritesNothing() {
        reopen(u"empty.mdb"_s);
        sql("DELETE FROM LANK_MASTER; DELETE FROM LANK_INDEX");
        Fakes fakes;
        fillLists(fakes);
        fakes.profileCurrent = 0;
        testsupport::RecordingMessageBoxes boxes;
        QCOMPARE(withoutDialog([&] { return frmProfile::intFormStartReg(nullptr, fakes); }), 1);
        QCOMPARE(withoutDialog([&] { return frmProfile::intFormStartMod(nullptr, fakes); }), 1);
        QCOMPARE(withoutDialog([&] { return frmProfile::intFormStartChange(fakes); }), 1);
        QCOMPARE(fakes.profiles.count(), 2);
        QCOMPARE(fakes.profiles.row(0).subItems, kSaved);
        QCOMPARE(fakes.profiles.row(1).subItems, kSaved);
        QVERIFY(fakes.calls.isEmpty());
        QCOMPARE(boxes.texts(), QStringList(3, u"スキルランクが登録されていません。"_s));
        QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Critical);
        reopen(u"vaelbuki.mdb"_s);
    }

    void newSetStoresTheRow_data() {
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("unchanged")
            << u"txtName=セット"_s << u"セット"_s << list(u"0～0|0～0|0|0|0|0|0|0|0|0|0|0|0"_s);
        // Combat values as typed (no check across bounds), statistics as number text.
        QTest::newRow("typed") << u"txtName= 名 |txtMinDamage=12abc|txtMaxDamage=3|txtMaxWounds=+3|"
                                  "txtCritical=-20|txtBalance= 7|txtStr=12abc|txtLuck=12.50|"
                                  "txtWill="_s
                               << u" 名 "_s
                               << list(u"12abc～3|0～+3|-20| 7|12abc|3|0|+3|12|0|0|0|12.5"_s);
    }
    void newSetStoresTheRow() {
        QFETCH(QString, inputs);
        QFETCH(QString, name);
        QFETCH(QStringList, cells);
        Fakes fakes;
        operateDialog([&](QDialog* d) {
            enter(d, inputs);
            press(d, "cmdOK");
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, fakes), 0);
        QCOMPARE(fakes.enchants.count(), 2);
        QCOMPARE(fakes.enchants.row(1).text, name);
        QVERIFY(fakes.enchants.row(1).key.isEmpty());
        QCOMPARE(fakes.enchants.row(1).subItems, cells);
    }
    void editSetRewritesOnlyItsCells() {
        Fakes fakes;
        ListRow set = listRow(u"旧"_s, {});
        for (int i = 1; i <= 15; ++i)
            set.setCell(i, QString::number(i));
        set.tag = u"tag"_s;
        fakes.enchants.append(set);
        fakes.enchantCurrent = 1;
        operateDialog([](QDialog* d) {
            QCOMPARE(child(d, "txtCritical")->text(), u"3"_s);
            QCOMPARE(child(d, "txtMaxWounds")->text(), u"8"_s);
            QCOMPARE(child(d, "txtStr")->text(), u"9"_s);
            enter(d, u"txtName=新|txtMinDamage=-2"_s);
            press(d, "cmdOK");
        });
        QCOMPARE(frmEnchant::intFormStartMod(nullptr, fakes), 0);
        const QStringList edited = list(u"-2～6|7～8|3|4|-2|6|7|8|9|10|11|12|13|14|15"_s);
        QCOMPARE(fakes.enchants.row(1).text, u"新"_s);
        QCOMPARE(fakes.enchants.row(1).tag, u"tag"_s);
        QCOMPARE(fakes.enchants.row(1).subItems, edited);

        // The Cancel button and Escape leave the row as it was.
        for (const bool escape : {false, true}) {
            operateDialog([escape](QDialog* d) {
                enter(d, u"txtName=別|txtCritical=5"_s);
                if (escape)
                    QTest::keyClick(child(d, "txtCritical"), Qt::Key_Escape);
                else
                    press(d, "cmdCancel");
            });
            QCOMPARE(frmEnchant::intFormStartMod(nullptr, fakes), 1);
            QCOMPARE(fakes.enchants.row(1).text, u"新"_s);
            QCOMPARE(fakes.enchants.row(1).subItems, edited);
        }

        // The fixed first row is never edited.
        fakes.enchantCurrent = 0;
        QCOMPARE(withoutDialog([&] { return frmEnchant::intFormStartMod(nullptr, fakes); }), 1);
    }
    void refusedOnOk_data() {
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        const QString blank = u"名前が入力されていません。"_s;
        const QString limit = u"入力制限を超過しています。-999～999の間で値を入力してください。"_s;
        const QString unsavable = u"保存できない文字が含まれています。"_s;
        QTest::newRow("blank name first") << u"txtName=  |txtStr=5000"_s << blank << u"txtName"_s;
        QTest::newRow("first of two out of range")
            << u"txtName=a|txtBalance=-1e3|txtInt=1000"_s << limit << u"txtInt"_s;
        QTest::newRow("overflowing bonus")
            << u"txtName=a|txtMaxDamage=1e400"_s << limit << u"txtMaxDamage"_s;
        // é and 丂 have no Shift_JIS code, so the settings file would lose them.
        QTest::newRow("unsavable name") << u"txtName=Café"_s << unsavable << u"txtName"_s;
        QTest::newRow("unsavable bonus")
            << u"txtName=a|txtCritical=5丂"_s << unsavable << u"txtCritical"_s;
        // A pasted line break would make the settings writer refuse the whole list.
        QTest::newRow("two-line name")
            << u"txtName=太郎\n次郎"_s << u"改行やタブなどの制御文字は使えません。"_s
            << u"txtName"_s;
        QTest::newRow("bonus read back cut")
            << u"txtName=a|txtCritical=5"_s + QString(254, u' ')
            << u"入力が長すぎます。全角127文字（半角254文字）までです。"_s << u"txtCritical"_s;
    }
    void refusedOnOk() {
        QFETCH(QString, inputs);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        Fakes fakes;
        testsupport::RecordingMessageBoxes boxes;
        operateDialog([&](QDialog* d) {
            enter(d, inputs);
            press(d, "cmdOK");
            QCOMPARE(boxes.texts(), QStringList{message});
            QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Exclamation);
            QLineEdit* field = child(d, qPrintable(focused));
            QCOMPARE(d->focusWidget(), field);
            if (focused != u"txtName"_s)
                QCOMPARE(field->selectedText(), field->text());
            QVERIFY(d->isVisible());
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, fakes), 1);
        QCOMPARE(fakes.enchants.count(), 1);
    }
    void focusSelectsFromTheCaret() {
        Fakes fakes;
        operateDialog([](QDialog* d) {
            enter(d, u"txtName=セット|txtDex=12345"_s);
            child(d, "txtName")->setFocus();
            pressEnterThrough({u"txtStr"_s});
            // Selected from the caret to the end; typing replaces the selection, unfiltered.
            QLineEdit* dex = child(d, "txtDex");
            dex->setCursorPosition(0);
            dex->setFocus(Qt::TabFocusReason);
            QCOMPARE(dex->selectedText(), u"12345"_s);
            dex->setCursorPosition(2);
            child<QWidget>(d, "cmdOK")->setFocus();
            dex->setFocus(Qt::MouseFocusReason);
            QCOMPARE(dex->selectedText(), u"345"_s);
            QTest::keyClicks(dex, u"x"_s);
            QCOMPARE(dex->text(), u"12x"_s);

            // On a button, Enter presses that button.
            child<QWidget>(d, "cmdOK")->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(frmEnchant::intFormStartReg(nullptr, fakes), 0);
        QCOMPARE(fakes.enchants.row(1).cell(11), u"12"_s);
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
