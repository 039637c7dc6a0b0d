// The catalogue window and the two editors it opens, driven like a user on the fixture master,
// with the settings file in the test's folder.

#include "catalogue/frmBuki.h"
#include "editors/frmEnchant.h"
#include "editors/frmProfile.h"
#include "storage/Cp932.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/FixtureMaster.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/ReportList.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::child;
using testsupport::playInModal;
using testsupport::rows;

namespace {

const QString kNotSelected = u"選択されてなす"_s;
const Profile kHero{u"勇者"_s, u"35"_s, u"9"_s, u"20"_s, u"30"_s, u"15"_s, u"練習"_s, u"F"_s};

QString joined(const Profile& p) {
    return QStringList{p.name, p.str, p.intl, p.dex, p.will, p.luck, p.attack, p.range}.join(u'|');
}

QString joined(const BonusSet& s) {
    return QStringList{s.name,     s.minDamage, s.maxDamage, s.minWounds, s.maxWounds,
                       s.critical, s.balance,   s.str,       s.intl,      s.dex,
                       s.will,     s.luck,      s.attack,    s.range}
        .join(u'|');
}

} // namespace

class TestCatalogueWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    storage::Connection m_db;
    std::optional<storage::SettingsFile> m_settings;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<frmBuki> m_window;
    QStringList m_opened;  // the editors opened, and what the simulator found
    bool m_confirm = true; // whether the editors hand back a value

    frmBuki& start(std::optional<frmBuki::Dialogs> dialogs = {}) {
        const auto opened = [this](const char* name) {
            m_opened << QString::fromLatin1(name);
            return m_confirm;
        };
        const BonusSet ring{u"指輪"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
        m_window = std::make_unique<frmBuki>(
            storage::Stores{m_db, *m_settings},
            dialogs.value_or(frmBuki::Dialogs{
                [=](QWidget*, auto&) {
                    return opened("profileReg") ? std::optional(kHero) : std::nullopt;
                },
                [=](QWidget*, auto&, auto&) {
                    return opened("profileMod") ? std::optional(kHero) : std::nullopt;
                },
                [=](QWidget*) { return opened("enchantReg") ? std::optional(ring) : std::nullopt; },
                [=](QWidget*, auto&) {
                    return opened("enchantMod") ? std::optional(ring) : std::nullopt;
                },
                [this](QWidget*, const storage::Stores&, CatalogueAccess& catalogue) {
                    m_opened << catalogue.selectedWeapon()->name +
                                    testsupport::sqlRows(m_db.handle(),
                                                         u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s)
                                        .join(u' ');
                }}));
        m_window->intFormStart();
        return *m_window;
    }
    ReportList* list(const QString& name) const { return child<ReportList>(m_window.get(), name); }
    void click(const QString& button) { child<QPushButton>(m_window.get(), button)->click(); }
    void doubleClick(const QString& listName, int row, Qt::MouseButton button = Qt::LeftButton) {
        ReportList* view = list(listName);
        testsupport::doubleClick(view->viewport(),
                                 row < 0 ? QPoint(view->viewport()->width() - 4, 5)
                                         : testsupport::rowCentre(view, row),
                                 button);
    }

private slots:
    void init() {
        testsupport::openFixtureMaster(m_db, m_dir.filePath(u"master.db"_s));
        testsupport::writeBytes(m_dir.filePath(u"zelnoa.ini"_s),
                                "[SYSTEM]\r\nCount=2\r\nEnchantCount=1\r\n[PROFILE1]\r\nName=A\r\n"
                                "[PROFILE2]\r\nName=B\r\n[ENCHANT1]\r\nName=E\r\n");
        m_settings.emplace(m_dir.filePath(u"zelnoa.ini"_s));
        m_boxes.emplace();
        m_opened.clear();
        m_confirm = true;
    }
    void cleanup() {
        m_window.reset();
        m_boxes.reset();
    }

    void weaponList() {
        frmBuki& w = start();
        auto* tabs = child<QTabBar>(&w, u"tabShurui"_s);
        QStringList tabTexts;
        for (int tab = 0; tab < tabs->count(); ++tab)
            tabTexts << tabs->tabText(tab) + u':' + tabs->tabToolTip(tab);
        QCOMPARE(tabTexts, QStringList({u"全て:全ての種類を表示"_s, u"剣:剣を表示します。"_s,
                                        u"弓:弓を表示します。"_s}));
        // Every shown weapon by type, then by sort number and maximum damage.
        QCOMPARE(rows(list(u"lvwBuki"_s)), QStringList({u"飾り剣"_s, u"短剣"_s, u"ロングソード"_s,
                                                        u"試験用の剣"_s, u"長弓"_s}));
        QCOMPARE(rows(list(u"lvwBuki"_s), 9)[1], u"短剣|5～8|0～10|20|60|0|8||"_s);
        tabs->setCurrentIndex(2);
        QCOMPARE(rows(list(u"lvwBuki"_s)), QStringList{u"長弓"_s});

        // A locked window disables every control and greys its lists.
        w.lockForm();
        const auto controls = w.findChildren<QWidget*>(QRegularExpression(u"^(lvw|cmd|tab)"_s));
        QCOMPARE(controls.size(), 12);
        for (QWidget* control : controls)
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        QCOMPARE(list(u"lvwEnchant"_s)->palette().color(QPalette::Base),
                 QPalette().color(QPalette::Button));
        w.unlockForm();

        testsupport::sqlExec(m_db.handle(), "DROP TABLE BUKI_MASTER");
        QString modal;
        m_boxes->onShow = [&modal](const auto&) {
            modal = QApplication::activeModalWidget()->objectName();
        };
        tabs->setCurrentIndex(1);
        QCOMPARE(m_boxes->texts(), QStringList{u"データベースの処理に失敗しました。"_s});
        QCOMPARE(modal, u"frmWait"_s); // the refill runs behind the loading window
        QVERIFY(rows(list(u"lvwBuki"_s)).isEmpty() && tabs->isEnabled());
    }

    void startingTheSimulator() {
        // A row left from an earlier run, which each start must clear.
        testsupport::sqlExec(m_db.handle(), "INSERT INTO WORK_BUKI_DATA (KAISU) VALUES (0)");
        frmBuki& w = start();
        ReportList* weapons = list(u"lvwBuki"_s);
        const QPoint onRow = testsupport::rowCentre(weapons, 2);
        bool locked = false;
        m_boxes->onShow = [&](const auto&) {
            locked = !weapons->isEnabled();
        };
        click(u"cmdSim"_s);
        QTest::mouseClick(weapons->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseClick(weapons->viewport(), Qt::LeftButton, {},
                          {weapons->viewport()->width() - 4, onRow.y()});
        click(u"cmdSim"_s); // the click on empty space took the highlight away
        doubleClick(u"lvwBuki"_s, 2, Qt::RightButton);
        doubleClick(u"lvwBuki"_s, -1);
        testsupport::doubleClick(weapons->header()->viewport(), {10, 5});
        QVERIFY(m_opened.isEmpty() && locked && weapons->isEnabled());
        QTest::mouseClick(weapons->viewport(), Qt::LeftButton, {}, onRow);
        click(u"cmdSim"_s);
        doubleClick(u"lvwBuki"_s, 2);
        QCOMPARE(m_opened, QStringList(2, u"ロングソード0"_s));
        testsupport::sqlExec(m_db.handle(), "UPDATE BUKI_MASTER SET HYOUJI = 0");
        child<QTabBar>(&w, u"tabShurui"_s)->setCurrentIndex(1);
        click(u"cmdSim"_s);
        QCOMPARE(m_boxes->texts(), QStringList({kNotSelected, kNotSelected, u"武器項目なす"_s}));
    }

    void sideLists() {
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"Count"_s, u"0"_s));
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"EnchantCount"_s, u"0"_s));
        start();
        for (const QString& button : {u"cmdMod"_s, u"cmdDel"_s, u"cmdDelEnchant"_s})
            click(button);
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"Count"_s, u"2"_s));
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"EnchantCount"_s, u"1"_s));
        start();
        ReportList* profiles = list(u"lvwProfile"_s);
        ReportList* sets = list(u"lvwEnchant"_s);
        sets->setCurrentRow(0);
        click(u"cmdModEnchant"_s);
        click(u"cmdDelEnchant"_s);
        doubleClick(u"lvwEnchant"_s, 0);
        // A current row counts as selected only while it is highlighted.
        for (ReportList* view : {sets, profiles}) {
            view->setCurrentRow(1);
            view->selectionModel()->clearSelection();
        }
        for (const QString& button :
             {u"cmdModEnchant"_s, u"cmdDelEnchant"_s, u"cmdMod"_s, u"cmdDel"_s})
            click(button);
        profiles->setCurrentRow(-1);
        click(u"cmdDel"_s); // without a current row the delete ends silently
        doubleClick(u"lvwProfile"_s, -1);
        m_confirm = false;
        profiles->setCurrentRow(0);
        click(u"cmdMod"_s);
        click(u"cmdRegEnchant"_s);
        QCOMPARE(m_boxes->texts(),
                 QStringList({u"項目なす"_s, u"改造項目なす"_s, u"削除対象なす(´・ω・)"_s,
                              u"これは規定値なのだよ(´・ω・)"_s, u"これは消せないのです(´・ω・)"_s,
                              u"これは規定値なのだよ(´・ω・)"_s, kNotSelected, kNotSelected,
                              kNotSelected, kNotSelected}));
        QCOMPARE(m_opened, QStringList({u"profileMod"_s, u"enchantReg"_s}));

        // Only the changed list is saved at the shutdown, in the order the window shows.
        m_confirm = true;
        doubleClick(u"lvwProfile"_s, 1);
        QCOMPARE(profiles->selectedCurrentRow(), 1); // highlighted again after the edit
        click(u"cmdDel"_s);
        click(u"cmdReg"_s);
        QCOMPARE(rows(profiles), QStringList({u"A"_s, u"勇者"_s}));
        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QCOMPARE(QCoreApplication::exec(), 0); // closing the window ends the run
        const QString file = storage::cp932Decode(testsupport::readBytes(m_settings->path()));
        QVERIFY(file.startsWith(
            u"[SYSTEM]\r\nCount=2\r\nEnchantCount=1\r\n[PROFILE1]\r\nName=A\r\nStr=\r\n"_s));
        QVERIFY(file.contains(u"[PROFILE2]\r\nName=勇者\r\nStr=35\r\n"_s));
        QVERIFY(!file.contains(u"MinDamage"_s)); // the bonus sets were not written
    }

    void simulatorOnTheCatalogue() {
        start(frmBuki::realDialogs());
        list(u"lvwBuki"_s)->setCurrentRow(2);
        list(u"lvwProfile"_s)->setCurrentRow(0);
        list(u"lvwEnchant"_s)->setCurrentRow(1);
        frmBuki& w = *m_window;
        QCOMPARE(w.selectedWeapon()->name + w.profileInUse()->name + w.bonusChoice().set->name,
                 u"ロングソードAE"_s);
        QCOMPARE(w.bonusSetNames(), QStringList({u"使用なし"_s, u"E"_s}));
        QCOMPARE(w.bonusSetRowInUse(), 1);
        list(u"lvwEnchant"_s)->selectionModel()->clearSelection();
        QVERIFY(w.bonusChoice().name == u"E" && !w.bonusChoice().set && w.bonusSetRowInUse() == 0);
        // The simulator runs modal over the locked window; the profile list shows its working
        // copy, which is never the profile in use.
        const auto title = playInModal({}, [&w, this](QDialog*) {
            QCOMPARE(rows(list(u"lvwProfile"_s)), QStringList({u"A"_s, u"B"_s, u"A"_s}));
            list(u"lvwProfile"_s)->setCurrentRow(2);
            QVERIFY(!w.profileInUse() && !list(u"lvwBuki"_s)->isEnabled());
        });
        click(u"cmdSim"_s);
        QCOMPARE(*title, u"武器改造 - ロングソード"_s);
        QVERIFY(rows(list(u"lvwProfile"_s)).size() == 2 && list(u"lvwBuki"_s)->isEnabled());
    }

    void profileEditor() {
        // A new profile: statistics 0, both ranks the first of the master.
        const auto title = playInModal(u"=花子,cmdOK"_s);
        QCOMPARE(joined(frmProfile::intFormStartReg(nullptr, m_db).value()),
                 u"花子|0|0|0|0|0|練習|練習"_s);
        QCOMPARE(*title, u"キャラクター情報"_s);
        // A rank the master no longer holds falls back to the first; statistics are stored as
        // number text, the name as typed.
        playInModal(u"txtInt=12abc,cmdOK"_s);
        const Profile odd{u" 太郎 "_s, u"12.5"_s, u"10"_s, u"abc"_s,
                          u"-5"_s,     u"0"_s,    u"F"_s,  u"ZZ"_s};
        QCOMPARE(joined(frmProfile::intFormStartMod(nullptr, m_db, odd).value()),
                 u" 太郎 |12.5|12|0|-5|0|F|練習"_s);
        playInModal(u"txtName=次郎,Esc"_s);
        QVERIFY(!frmProfile::intFormStartMod(nullptr, m_db, kHero));
        // Enter moves to the next control that takes the focus and never confirms: the hidden
        // bonus set list, and in the simulator the other skill's greyed list, are passed over.
        for (const bool simulator : {false, true}) {
            playInModal({}, [simulator](QDialog* d) {
                child(d, u"txtLuck"_s)->setFocus();
                QStringList order;
                for (int i = 0; i < 3; ++i) {
                    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
                    order << d->focusWidget()->objectName();
                }
                QCOMPARE(order.join(u' '), simulator ? u"cmbAttack cmbEnchant cmdOK"_s
                                                     : u"cmbAttack cmbRange cmdOK"_s);
                QCOMPARE(child(d, u"txtName"_s)->isEnabled(), !simulator);
            });
            QVERIFY(simulator
                        ? !frmProfile::intFormStartChange(nullptr, m_db, {kHero, {}, true, {}, 0})
                        : !frmProfile::intFormStartReg(nullptr, m_db));
        }
        // Ranks numbered with gaps still select the ranks stored; without ranks nothing opens.
        testsupport::sqlExec(m_db.handle(), "UPDATE LANK_INDEX SET SORT_NO = SORT_NO * 2 + 100");
        playInModal(u"cmdOK"_s);
        QCOMPARE(frmProfile::intFormStartMod(nullptr, m_db, kHero), std::optional(kHero));
        testsupport::sqlExec(m_db.handle(), "DELETE FROM LANK_MASTER; DELETE FROM LANK_INDEX");
        const auto opened = playInModal(u"cmdOK"_s);
        QVERIFY(!frmProfile::intFormStartReg(nullptr, m_db));
        QVERIFY(!frmProfile::intFormStartChange(nullptr, m_db, {kHero, u"1"_s, true, {}, 0}));
        QCoreApplication::processEvents();
        QVERIFY(opened->isNull());
        QCOMPARE(m_boxes->texts(), QStringList(2, u"スキルランクが登録されていません。"_s));
    }

    void profileInTheSimulator_data() {
        QTest::addColumn<bool>("melee");
        QTest::addColumn<QString>("name"); // of the working copy
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("choice"); // working copy, rank in use, bonus set row; "-" none
        const auto row = [](const char* title, bool melee, const char* name, const char* steps,
                            const char* choice) {
            QTest::newRow(title) << melee << QString::fromUtf8(name) << QString::fromUtf8(steps)
                                 << QString::fromUtf8(choice);
        };
        row("shown as in force", true, "勇者", "cmdOK", "勇者|35|9|20|30|15|1|F 1 1");
        row("attack weapon", true, "勇者",
            "txtName=x,txtStr=45,cmbAttack=F,cmbEnchant=使用なし,cmdOK",
            "勇者|45|9|20|30|15|F|F F 0");
        row("range weapon", false, "勇者", "cmbRange=練習,cmdOK",
            "勇者|35|9|20|30|15|練習|練習 練習 1");
        // The name is never written back, so a copy without one is not refused for it.
        row("a copy without a name", true, "", "txtWill=-999,cmdOK", "|35|9|20|-999|15|1|F 1 1");
        row("cancelled", true, "勇者", "txtStr=45,cmdCancel", "-");
    }
    void profileInTheSimulator() {
        QFETCH(bool, melee);
        QFETCH(QString, name);
        QFETCH(QString, steps);
        QFETCH(QString, choice);
        Profile working = kHero;
        working.name = name;
        playInModal(steps);
        const std::optional<frmProfile::StatusChoice> chosen = frmProfile::intFormStartChange(
            nullptr, m_db, {working, u"1"_s, melee, {u"使用なし"_s, u"指輪"_s}, 1});
        QCOMPARE(chosen ? u"%1 %2 %3"_s.arg(joined(chosen->working), chosen->rankInUse)
                              .arg(chosen->bonusSetRow)
                        : u"-"_s,
                 choice);
    }

    void bonusSetEditor_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("set"); // every text, "-" for none
        const auto row = [](const char* title, bool edit, const char* steps, const char* set) {
            QTest::newRow(title) << edit << QString::fromUtf8(steps) << QString::fromUtf8(set);
        };
        row("new", false, "=セット,cmdOK", "セット|0|0|0|0|0|0|0|0|0|0|0||");
        // Combat bonuses as typed, statistics as number text.
        row("typed", false,
            "= 名 ,txtMinDamage=12abc,txtMaxDamage=3,txtMaxWounds=+3,txtCritical=-20,"
            "txtBalance= 7,txtStr=12abc,txtLuck=12.50,txtWill=,cmdOK",
            " 名 |12abc|3|0|+3|-20| 7|12|0|0|0|12.5||");
        // The ranks of a hand-edited set are kept, never edited.
        row("edited", true, "txtMinDamage=-2,cmdOK", "旧|-2|2|3|4|5|6|7|8|9|10|11|A|B");
        row("cancelled", true, "txtName=別,cmdCancel", "-");
        row("Esc", true, "txtCritical=5,Esc", "-");
        // Checked on OK: the name first, then statistics, then combat bonuses, each in turn; the
        // field refused gets the focus, a number with its text selected.
        row("blank name first", false, "txtName= 　,txtStr=5000,cmdOK",
            "名前が入力されていません。 txtName");
        row("first of two out of range", false, "=a,txtBalance=-1e3,txtInt=1000,cmdOK",
            "入力制限を超過しています。-999～999の間で値を入力してください。 txtInt");
        row("a bonus the file cannot hold", false, "=a,txtCritical=5丂,cmdOK",
            "保存できない文字が含まれています。 txtCritical");
        row("a name on two lines", false, "=太郎\n次郎,cmdOK",
            "改行やタブなどの制御文字は使えません。 txtName");
    }
    void bonusSetEditor() {
        QFETCH(bool, edit);
        QFETCH(QString, steps);
        QFETCH(QString, set);
        const QStringList old = u"旧|1|2|3|4|5|6|7|8|9|10|11|A|B"_s.split(u'|');
        const BonusSet base{old[0], old[1], old[2], old[3],  old[4],  old[5],  old[6],
                            old[7], old[8], old[9], old[10], old[11], old[12], old[13]};
        QString refusal;
        const auto title = playInModal(steps, [&](QDialog* d) {
            if (!d->isVisible())
                return;
            const auto* field = qobject_cast<QLineEdit*>(d->focusWidget());
            refusal = m_boxes->texts().join(u'/') + u' ' + field->objectName();
            QVERIFY(field->objectName() == u"txtName" || field->selectedText() == field->text());
        });
        const std::optional<BonusSet> result = edit ? frmEnchant::intFormStartMod(nullptr, base)
                                                    : frmEnchant::intFormStartReg(nullptr);
        QCOMPARE(*title, u"エンチャント＆タイトル補正"_s);
        QCOMPARE(refusal.isEmpty() ? (result ? joined(*result) : u"-"_s) : refusal, set);
    }
};

QTEST_MAIN(TestCatalogueWindows)
#include "test_catalogue_windows.moc"
