// The catalogue window and the two editors it opens, driven like a user on the fixture master,
// with the settings file in the test's folder.

#include "catalogue/SideListStore.h"
#include "catalogue/frmBuki.h"
#include "editors/frmEnchant.h"
#include "editors/frmProfile.h"
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
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::child;
using testsupport::playInModal;
using testsupport::texts;

namespace {

const QString kNotSelected = u"選択されてなす"_s;
const Profile kHero{u"勇者"_s, u"35"_s, u"9"_s, u"20"_s, u"30"_s, u"15"_s, u"練習"_s, u"F"_s};

// Every text of a profile or bonus set, "|" between them.
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
    QStringList m_opened;  // the dialogs the catalogue opened, and what the simulator saw
    bool m_confirm = true; // whether the editors hand back a value

    frmBuki& start(std::optional<frmBuki::Dialogs> dialogs = {}) {
        const auto opened = [this](const QString& name) {
            m_opened << name;
            return m_confirm;
        };
        BonusSet ring;
        ring.name = u"指輪"_s;
        m_window = std::make_unique<frmBuki>(
            storage::Stores{m_db, *m_settings},
            dialogs.value_or(frmBuki::Dialogs{
                [=](QWidget*, storage::Connection&) {
                    return opened(u"profileReg"_s) ? std::optional(kHero) : std::nullopt;
                },
                [=](QWidget*, storage::Connection&, const Profile&) {
                    return opened(u"profileMod"_s) ? std::optional(kHero) : std::nullopt;
                },
                [=](QWidget*) {
                    return opened(u"enchantReg"_s) ? std::optional(ring) : std::nullopt;
                },
                [=](QWidget*, const BonusSet&) {
                    return opened(u"enchantMod"_s) ? std::optional(ring) : std::nullopt;
                },
                [this](QWidget*, const storage::Stores&, CatalogueAccess& catalogue) {
                    m_opened << u"simulator %1, work rows %2"_s.arg(
                        catalogue.selectedWeapon()->name,
                        testsupport::sqlRows(m_db.handle(),
                                             u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s)
                            .value(0));
                }}));
        m_window->intFormStart();
        return *m_window;
    }
    ReportList* list(const QString& name) const { return child<ReportList>(m_window.get(), name); }
    void click(const QString& button) { child<QPushButton>(m_window.get(), button)->click(); }

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

    void weaponsAndTabs() {
        frmBuki& w = start();
        auto* tabs = child<QTabBar>(&w, u"tabShurui"_s);
        QStringList tabTexts;
        for (int tab = 0; tab < tabs->count(); ++tab)
            tabTexts << tabs->tabText(tab) + u':' + tabs->tabToolTip(tab);
        QCOMPARE(tabTexts, QStringList({u"全て:全ての種類を表示"_s, u"剣:剣を表示します。"_s,
                                        u"弓:弓を表示します。"_s}));
        const auto rows = [this] {
            QStringList names;
            for (int row = 0; row < list(u"lvwBuki"_s)->rowCount(); ++row)
                names << list(u"lvwBuki"_s)->model()->index(row, 0).data().toString();
            return names;
        };
        // Every shown weapon by type, then by sort number and maximum damage.
        QCOMPARE(rows(), QStringList({u"飾り剣"_s, u"短剣"_s, u"ロングソード"_s, u"試験用の剣"_s,
                                      u"長弓"_s}));
        QStringList cells;
        for (int column = 1; column < 9; ++column)
            cells << list(u"lvwBuki"_s)->model()->index(1, column).data().toString();
        QCOMPARE(cells, QStringList({u"5～8"_s, u"0～10"_s, u"20"_s, u"60"_s, u"0"_s, u"8"_s,
                                     QString(), QString()}));
        tabs->setCurrentIndex(2);
        QCOMPARE(rows(), QStringList{u"長弓"_s});

        // The lists turn grey while the window is locked.
        w.lockForm();
        const QList<QWidget*> controls =
            w.findChildren<QWidget*>(QRegularExpression(u"^(lvw|cmd|tab)"_s));
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
        QVERIFY(rows().isEmpty() && tabs->isEnabled());
    }

    void startingTheSimulator_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* steps, const QString& message) {
            QTest::newRow(steps) << QString::fromLatin1(steps) << message;
        };
        row("hide all,start", u"武器項目なす"_s);
        row("start", kNotSelected);
        row("click,click space,start", kNotSelected);
        row("click,start", {});
        row("double click", {});
        row("click,right double click", u"-"_s);
        row("click,double click space", u"-"_s);
        row("click,double click header", u"-"_s);
    }
    void startingTheSimulator() {
        QFETCH(QString, steps);
        QFETCH(QString, message);
        if (steps.startsWith(u"hide"))
            testsupport::sqlExec(m_db.handle(), "UPDATE BUKI_MASTER SET HYOUJI = 0");
        // A row left from an earlier run, which each start must clear.
        testsupport::sqlExec(m_db.handle(),
                             "INSERT INTO WORK_BUKI_DATA (SHURUI, KAISU) VALUES (0, 0)");
        start();
        ReportList* weapons = list(u"lvwBuki"_s);
        QWidget* viewport = weapons->viewport();
        const QPoint onRow = testsupport::rowCentre(weapons, 2);
        const QPoint space(viewport->width() - 4, onRow.y());
        bool locked = false;
        m_boxes->onShow = [&](const auto&) {
            locked = !weapons->isEnabled();
        };
        for (const QString& step : steps.split(u',')) {
            if (step == u"click" || step == u"click space")
                QTest::mouseClick(viewport, Qt::LeftButton, {}, step == u"click" ? onRow : space);
            else if (step == u"start")
                click(u"cmdSim"_s);
            else if (step.endsWith(u"header"))
                testsupport::doubleClick(weapons->header()->viewport(), QPoint(10, 5));
            else if (step.contains(u"double"))
                testsupport::doubleClick(viewport, step.endsWith(u"space") ? space : onRow,
                                         step.startsWith(u"right") ? Qt::RightButton
                                                                   : Qt::LeftButton);
        }
        const bool starts = message.isEmpty();
        QCOMPARE(m_boxes->texts(),
                 starts || message == u"-" ? QStringList() : QStringList{message});
        QVERIFY(locked == !m_boxes->shown.isEmpty() && weapons->isEnabled());
        QCOMPARE(m_opened,
                 starts ? QStringList{u"simulator ロングソード, work rows 0"_s} : QStringList());
    }

    void sideListButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("saved");   // profiles or bonus sets in the settings file
        QTest::addColumn<int>("current"); // the current row, -1 for none
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<bool>("confirm"); // the editor hands back a value
        QTest::addColumn<QString>("message");
        const auto row = [](const char* button, int saved, int current, bool highlighted,
                            bool confirm, const QString& message) {
            QTest::addRow("%s, %d saved, row %d%s%s", button, saved, current,
                          highlighted ? " highlighted" : "", confirm ? "" : ", cancelled")
                << QString::fromLatin1(button) << saved << current << highlighted << confirm
                << message;
        };
        row("cmdMod", 0, -1, false, true, u"項目なす"_s);
        row("cmdDel", 0, -1, false, true, u"改造項目なす"_s);
        row("cmdMod", 2, -1, false, true, kNotSelected);
        row("cmdMod", 2, 1, false, true, kNotSelected);
        row("cmdMod", 2, 1, true, true, {});
        row("cmdMod", 2, 1, true, false, {});
        row("cmdDel", 2, -1, false, true, {}); // no current row: nothing to delete, silently
        row("cmdDel", 2, 0, false, true, kNotSelected);
        row("cmdDel", 2, 0, true, true, {});
        row("cmdReg", 0, -1, false, true, {});
        row("cmdReg", 2, -1, false, false, {});
        row("cmdDelEnchant", 0, 0, true, true, u"削除対象なす(´・ω・)"_s);
        row("cmdDelEnchant", 1, 0, false, true, u"これは消せないのです(´・ω・)"_s);
        row("cmdDelEnchant", 1, 1, false, true, kNotSelected);
        row("cmdDelEnchant", 1, 1, true, true, {});
        row("cmdModEnchant", 1, 0, true, true, u"これは規定値なのだよ(´・ω・)"_s);
        row("cmdModEnchant", 1, -1, false, true, kNotSelected);
        row("cmdModEnchant", 1, 1, true, false, {});
        row("cmdModEnchant", 1, 1, true, true, {});
        row("cmdRegEnchant", 1, -1, false, true, {});
    }
    void sideListButtons() {
        QFETCH(QString, button);
        QFETCH(int, saved);
        QFETCH(int, current);
        QFETCH(bool, highlighted);
        QFETCH(bool, confirm);
        QFETCH(QString, message);
        const bool sets = button.endsWith(u"Enchant");
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, sets ? u"EnchantCount"_s : u"Count"_s,
                                     QString::number(saved)));
        const QByteArray before = testsupport::readBytes(m_settings->path());
        m_confirm = confirm;
        start();
        ReportList* view = list(sets ? u"lvwEnchant"_s : u"lvwProfile"_s);
        view->setCurrentRow(current);
        if (!highlighted)
            view->selectionModel()->clearSelection();
        click(button);
        QCOMPARE(m_boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        const bool deletes = button.startsWith(u"cmdDel");
        QCOMPARE(m_opened.size(), int(message.isEmpty() && !deletes));
        const bool changed = message.isEmpty() && confirm && (current >= 0 || !deletes);
        QStringList shown;
        for (int row = 0; row < view->rowCount(); ++row)
            shown << view->model()->index(row, 0).data().toString();
        // Closed in the application's loop, which the shutdown ends; it saves a changed list only.
        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(testsupport::readBytes(m_settings->path()) != before, changed);
        QStringList read;
        if (sets) {
            read << BonusSetListModel::FixedRowName;
            for (const BonusSet& set : sideListStore::loadBonusSets(*m_settings))
                read << set.name;
        }
        for (const Profile& profile : sideListStore::loadProfiles(*m_settings))
            read << (sets ? QString() : profile.name);
        QCOMPARE(read.mid(0, shown.size()), shown);
    }

    void profileInTheCatalogue() {
        // A new profile: statistics 0, both ranks the first of the master.
        playInModal(u"=花子,cmdOK"_s);
        QCOMPARE(joined(frmProfile::intFormStartReg(nullptr, m_db).value()),
                 u"花子|0|0|0|0|0|練習|練習"_s);
        // A rank the master no longer holds falls back to the first; statistics are stored as
        // number text, the name as typed.
        playInModal(u"txtInt=12abc,cmdOK"_s);
        const Profile odd{u" 太郎 "_s, u"12.5"_s, u"10"_s, u"abc"_s,
                          u"-5"_s,     u"0"_s,    u"F"_s,  u"ZZ"_s};
        QCOMPARE(joined(frmProfile::intFormStartMod(nullptr, m_db, odd).value()),
                 u" 太郎 |12.5|12|0|-5|0|F|練習"_s);
        playInModal(u"txtName=次郎,Esc"_s);
        QVERIFY(!frmProfile::intFormStartMod(nullptr, m_db, kHero));
        // Enter moves to the next control that can take the focus and never confirms; the hidden
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
                QVERIFY(!child(d, u"txtName"_s)->isEnabled() == simulator);
            });
            if (simulator)
                QVERIFY(
                    !frmProfile::intFormStartChange(nullptr, m_db, {kHero, u"1"_s, true, {}, 0}));
            else
                QVERIFY(!frmProfile::intFormStartReg(nullptr, m_db));
        }
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

    void ranksFromTheMaster() {
        // Ranks numbered with gaps still select the ranks stored.
        testsupport::sqlExec(m_db.handle(), "UPDATE LANK_INDEX SET SORT_NO = SORT_NO * 2 + 100");
        playInModal(u"cmdOK"_s);
        QCOMPARE(frmProfile::intFormStartMod(nullptr, m_db, kHero), std::optional(kHero));
        testsupport::sqlExec(m_db.handle(), "DELETE FROM LANK_MASTER; DELETE FROM LANK_INDEX");
        const auto opened = playInModal(u"cmdOK"_s);
        QVERIFY(!frmProfile::intFormStartReg(nullptr, m_db));
        QVERIFY(!frmProfile::intFormStartMod(nullptr, m_db, kHero));
        QVERIFY(!frmProfile::intFormStartChange(nullptr, m_db, {kHero, u"1"_s, true, {}, 0}));
        QCoreApplication::processEvents();
        QVERIFY(!*opened);
        QCOMPARE(m_boxes->texts(), QStringList(3, u"スキルランクが登録されていません。"_s));
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);
    }

    void bonusSetsAsTyped_data() {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("set"); // "-" for none
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
    }
    void bonusSetsAsTyped() {
        QFETCH(bool, edit);
        QFETCH(QString, steps);
        QFETCH(QString, set);
        const QStringList old = u"旧|1|2|3|4|5|6|7|8|9|10|11|A|B"_s.split(u'|');
        const BonusSet base{old[0], old[1], old[2], old[3],  old[4],  old[5],  old[6],
                            old[7], old[8], old[9], old[10], old[11], old[12], old[13]};
        playInModal(steps);
        const std::optional<BonusSet> result = edit ? frmEnchant::intFormStartMod(nullptr, base)
                                                    : frmEnchant::intFormStartReg(nullptr);
        QCOMPARE(result ? joined(*result) : u"-"_s, set);
    }

    void refusedOnOk_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        const QString limit = u"入力制限を超過しています。-999～999の間で値を入力してください。"_s;
        const QString unsavable = u"保存できない文字が含まれています。"_s;
        QTest::newRow("blank name first")
            << u"txtName=  ,txtStr=5000"_s << u"名前が入力されていません。"_s << u"txtName"_s;
        QTest::newRow("first of two out of range")
            << u"txtName=a,txtBalance=-1e3,txtInt=1000"_s << limit << u"txtInt"_s;
        QTest::newRow("overflowing bonus")
            << u"txtName=a,txtMaxDamage=1e400"_s << limit << u"txtMaxDamage"_s;
        QTest::newRow("unsavable name") << u"txtName=Café"_s << unsavable << u"txtName"_s;
        QTest::newRow("unsavable bonus")
            << u"txtName=a,txtCritical=5丂"_s << unsavable << u"txtCritical"_s;
        QTest::newRow("two-line name")
            << u"txtName=太郎\n次郎"_s << u"改行やタブなどの制御文字は使えません。"_s
            << u"txtName"_s;
        QTest::newRow("bonus read back cut")
            << u"txtName=a,txtCritical=5"_s + QString(254, u' ')
            << u"入力が長すぎます。全角127文字（半角254文字）までです。"_s << u"txtCritical"_s;
    }
    void refusedOnOk() {
        QFETCH(QString, steps);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        playInModal(steps + u",cmdOK"_s, [&](QDialog* d) {
            QCOMPARE(m_boxes->texts(), QStringList{message});
            QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Exclamation);
            const auto* field = child<QLineEdit>(d, focused);
            QCOMPARE(d->focusWidget(), field);
            QVERIFY(focused == u"txtName" || field->selectedText() == field->text());
        });
        QVERIFY(!frmEnchant::intFormStartReg(nullptr));
    }
};

QTEST_MAIN(TestCatalogueWindows)
#include "test_catalogue_windows.moc"
