// Every window driven like a user on the fixture master, the settings file in the test's folder:
// the catalogue with its editors faked or real, the simulator on a catalogue without a window with
// its dialogs faked and the clipboard behind a fake, and the dialogs on their own.

#include "catalogue/frmBuki.h"
#include "editors/frmEnchant.h"
#include "simulator/Clipboard.h"
#include "simulator/frmKaizo.h"
#include "simulator/frmPlanSearch.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Cp932.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/FakeCatalogue.h"
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
using testsupport::addRows;
using testsupport::child;
using testsupport::listRows;
using testsupport::playInModal;
using testsupport::texts;
using Kind = frmBukiSpec::Outcome::Kind;

namespace {

// Keeps what is placed; a refusing clipboard keeps nothing, as one held by another program.
struct FakeClipboard : clipboard::Access {
    FakeClipboard() { clipboard::setAccess(this); }
    ~FakeClipboard() override { clipboard::setAccess(nullptr); }
    void clear() override { kept.clear(); }
    void setText(const QString& text) override { kept = refuse ? QString() : text; }
    QString text() const override { return kept; }
    QString kept;
    bool refuse = false;
};

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

class TestWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    storage::Connection m_db;
    std::optional<storage::SettingsFile> m_settings;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<QWidget> m_window;
    QStringList m_opened;  // the catalogue's editors opened, and what its simulator found
    bool m_confirm = true; // whether the catalogue's editors hand back a value
    std::optional<testsupport::FakeCatalogue> m_catalogue;
    frmKaizo::Dialogs m_dialogs;

    frmBuki& catalogue(std::optional<frmBuki::Dialogs> dialogs = {}) {
        const auto editor = [this](const char* name, auto value) {
            return [this, name, value](auto&&...) {
                m_opened << QString::fromLatin1(name);
                return m_confirm ? std::optional(value) : std::nullopt;
            };
        };
        const BonusSet ring{u"指輪"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
        const auto simulator = [this](QWidget*, auto&, CatalogueAccess& catalogue) {
            m_opened << catalogue.selectedWeapon()->name +
                            testsupport::sqlRows(m_db.handle(),
                                                 u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s)[0];
        };
        auto* window =
            new frmBuki({m_db, *m_settings},
                        dialogs.value_or(frmBuki::Dialogs{
                            editor("profileReg", kHero), editor("profileMod", kHero),
                            editor("enchantReg", ring), editor("enchantMod", ring), simulator}));
        m_window.reset(window);
        window->intFormStart();
        return *window;
    }
    frmKaizo& simulator() {
        auto* window = new frmKaizo(nullptr, {m_db, *m_settings}, *m_catalogue, m_dialogs);
        m_window.reset(window);
        if (!window->prepare())
            qFatal("the simulator did not start");
        window->show();
        return *window;
    }
    ReportList* list(const QString& name) const { return child<ReportList>(m_window.get(), name); }
    void click(const QString& button) { child<QPushButton>(m_window.get(), button)->click(); }
    // A double click on a row, or (-1) on the empty space right of the first.
    void doubleClick(const QString& listName, int row, Qt::MouseButton button = Qt::LeftButton) {
        ReportList* view = list(listName);
        const QPoint first = testsupport::rowCentre(view, 0);
        testsupport::doubleClick(view->viewport(),
                                 row < 0 ? QPoint(view->viewport()->width() - 4, first.y())
                                         : testsupport::rowCentre(view, row),
                                 button);
    }
    // Applies the simulator's list row with the arrow key.
    void apply(int row) {
        list(u"lvwKaizo"_s)->setCurrentRow(row);
        QTest::keyClick(list(u"lvwKaizo"_s), Qt::Key_Right);
    }
    qint16 steps() const {
        return static_cast<frmKaizo*>(m_window.get())->simulation().stepCount().value_or(-1);
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
        m_catalogue.emplace();
        m_dialogs = {[](auto&&...) { return frmBukiSpec::Outcome{}; },
                     [](auto&&...) {
                         return std::optional<frmProfile::StatusChoice>();
                     }};
    }
    void cleanup() {
        m_window.reset();
        m_boxes.reset();
    }

    void catalogueWindow() {
        // A type without shown weapons, and a row left in the work table, which each start must
        // clear.
        testsupport::changeFixtureMaster(m_db, m_dir.filePath(u"master.db"_s),
                                         "INSERT INTO SHURUI_MASTER VALUES (3, '槍', 30, 1)");
        testsupport::sqlExec(m_db.handle(), "INSERT INTO WORK_BUKI_DATA (KAISU) VALUES (0)");
        frmBuki& w = catalogue();
        auto* tabs = child<QTabBar>(&w, u"tabShurui"_s);
        QStringList tabTexts;
        for (int tab = 0; tab < tabs->count(); ++tab)
            tabTexts << tabs->tabText(tab) + u':' + tabs->tabToolTip(tab);
        QCOMPARE(
            tabTexts.join(u' '),
            u"全て:全ての種類を表示 剣:剣を表示します。 弓:弓を表示します。 槍:槍を表示します。"_s);
        // Every shown weapon by type, then by sort number and maximum damage.
        ReportList* weapons = list(u"lvwBuki"_s);
        QCOMPARE(listRows(weapons).join(u' '), u"飾り剣 短剣 ロングソード 試験用の剣 長弓"_s);

        bool locked = false;
        m_boxes->onShow = [&](const auto&) {
            locked = !weapons->isEnabled();
        };
        click(u"cmdSim"_s);
        doubleClick(u"lvwBuki"_s, 2, Qt::RightButton);
        doubleClick(u"lvwBuki"_s, -1); // takes the highlight away
        click(u"cmdSim"_s);
        testsupport::doubleClick(weapons->header()->viewport(), {10, 5});
        QVERIFY(m_opened.isEmpty() && locked && weapons->isEnabled());
        QTest::mouseClick(weapons->viewport(), Qt::LeftButton, {},
                          testsupport::rowCentre(weapons, 2));
        click(u"cmdSim"_s);
        doubleClick(u"lvwBuki"_s, 2);
        QCOMPARE(m_opened, QStringList(2, u"ロングソード0"_s));
        tabs->setCurrentIndex(2);
        QCOMPARE(listRows(weapons), QStringList{u"長弓"_s});
        tabs->setCurrentIndex(3);
        click(u"cmdSim"_s);
        QCOMPARE(m_boxes->texts(), QStringList({kNotSelected, kNotSelected, u"武器項目なす"_s}));
    }

    void sideLists() {
        for (const char* counts : {"0", "2"}) {
            QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"Count"_s, QString::fromLatin1(counts)));
            QVERIFY(m_settings->setValue(u"SYSTEM"_s, u"EnchantCount"_s,
                                         QString::number(counts[0] > '0')));
            catalogue();
            if (counts[0] == '0') {
                for (const QString& button : {u"cmdMod"_s, u"cmdDel"_s, u"cmdDelEnchant"_s})
                    click(button);
            }
        }
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
        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QCOMPARE(QCoreApplication::exec(), 0); // closing the window ends the run
        const QString file = storage::cp932Decode(testsupport::readBytes(m_settings->path()));
        QVERIFY(file.startsWith(
            u"[SYSTEM]\r\nCount=2\r\nEnchantCount=1\r\n[PROFILE1]\r\nName=A\r\nStr=\r\n"_s));
        QVERIFY(file.contains(u"[PROFILE2]\r\nName=勇者\r\nStr=35\r\n"_s));
        QVERIFY(!file.contains(u"MinDamage"_s)); // the bonus sets were not written
    }

    void simulatorOnTheCatalogue() {
        frmBuki& w = catalogue(frmBuki::realDialogs());
        for (const auto& [name, row] :
             {std::pair(u"lvwBuki"_s, 2), {u"lvwProfile"_s, 0}, {u"lvwEnchant"_s, 1}})
            list(name)->setCurrentRow(row);
        QCOMPARE(w.selectedWeapon()->name + w.profileInUse()->name + w.bonusChoice().set->name,
                 u"ロングソードAE"_s);
        QCOMPARE(w.bonusSetNames().join(u' ') + QString::number(w.bonusSetRowInUse()),
                 u"使用なし E1"_s);
        list(u"lvwEnchant"_s)->selectionModel()->clearSelection();
        QVERIFY(w.bonusChoice().name == u"E" && !w.bonusChoice().set && w.bonusSetRowInUse() == 0);
        // The simulator runs modal over the locked window; the profile list shows its working
        // copy, which is never the profile in use.
        const auto title = playInModal({}, [&w, this](QDialog*) {
            QCOMPARE(listRows(list(u"lvwProfile"_s)).join(u' '), u"A B A"_s);
            list(u"lvwProfile"_s)->setCurrentRow(2);
            QVERIFY(!w.profileInUse() && !list(u"lvwBuki"_s)->isEnabled());
        });
        click(u"cmdSim"_s);
        QCOMPARE(*title, u"武器改造 - ロングソード"_s);
        QVERIFY(listRows(list(u"lvwProfile"_s)).size() == 2 && list(u"lvwBuki"_s)->isEnabled());
    }

    void simulatorByKeysAndMouse() {
        frmKaizo& w = simulator();
        ReportList* mods = list(u"lvwKaizo"_s);
        QCOMPARE(w.windowTitle() + mods->toolTip(),
                 u"武器改造 - ロングソードダブルクリックで選択できます。"_s);
        QCOMPARE(
            texts(&w,
                  u"fraBukiSpac lblJukuren lblCost lblSpec1 lblBalanceTassei lblBukiSpecChange"_s),
            u"ロングソード (0/6)|-|-|10～20|(130)|一般 : 一般品"_s);
        QCOMPARE(listRows(mods, 4),
                 QStringList({u"攻撃強化|10|12,500|最大ダメージ+3　耐久-2　"_s,
                              u"耐久削り|5||耐久-20　"_s, u"耐久補強|5|1,000|耐久+5　特殊効果"_s,
                              u"見た目変更|0||外見が変わる"_s}));
        // Without a profile there is no status to show or change.
        QVERIFY(child(&w, u"fraSta"_s)->isHidden() && !child(&w, u"cmdMod"_s)->isEnabled());
        // The buttons that need an applied step, which always agree.
        const auto stepButtons = [&w] {
            QString enabled;
            for (const char* name :
                 {"cmdBack", "cmdReset", "cmdClipKaizo", "cmdBukiClip", "cmdSave"})
                enabled += child(&w, QLatin1StringView(name))->isEnabled() ? u'+' : u'-';
            return enabled;
        };
        QCOMPARE(stepButtons(), u"-----"_s);
        QTest::keyClick(mods, Qt::Key_Right); // rows, but none selected
        apply(0);
        QCOMPARE(texts(&w, u"fraBukiSpac lblKaizo0 lblKaizoNaiyo0 lblJukuren lblCost"_s),
                 u"ロングソード (1/6)|攻撃強化|( 最大ダメージ+3　耐久-2　)|10|12,500"_s);
        QCOMPARE(stepButtons(), u"+++++"_s);
        doubleClick(u"lvwKaizo"_s, 3);
        QCOMPARE(steps(), qint16(2));
        QTest::keyClick(mods, Qt::Key_Left);
        QTest::keyClick(mods, Qt::Key_Left);
        QCOMPARE(texts(&w, u"fraBukiSpac lblKaizo0 lblJukuren"_s) + stepButtons(),
                 u"ロングソード (0/6)||------"_s);
        QTest::keyClick(mods, Qt::Key_Left); // the commands of disabled buttons do nothing
        QTest::keyClick(mods, Qt::Key_Backspace);
        for (int i = 0; i < 6; ++i)
            apply(3);
        QCOMPARE(steps(), qint16(5));
        QTest::keyClick(mods, Qt::Key_Backspace);
        QCOMPARE(steps(), qint16(0));
        QTest::keyClick(&w, Qt::Key_Escape); // no cancel button: Esc does not close the window
        QVERIFY(w.isVisible());
        QCOMPARE(m_boxes->texts(), QStringList({kNotSelected, u"改造手順は5段階までです。"_s}));
        QCOMPARE(m_boxes->shown[1].icon, ui::Icon::Exclamation);
    }

    void simulatorDialogs() {
        m_catalogue->profiles.assignProfiles({kHero});
        m_catalogue->profileRow = 0;
        m_catalogue->bonusSets.assignSets(
            {{u"指輪"_s, u"-20"_s, u"3"_s, {}, {}, {}, {}, u"5"_s, {}, {}, {}, {}, {}, {}}});
        frmBukiSpec::Outcome change{Kind::Chosen, 30};
        QList<qint32> inForce;
        m_dialogs.bukiSpec = [&](QWidget*, auto&, qint32 seq) {
            inForce << seq;
            return change;
        };
        Profile stronger = kHero;
        stronger.str = u"45"_s;
        std::optional choice = frmProfile::StatusChoice{stronger, u"1"_s, 1};
        QList<frmProfile::StatusInput> asked;
        m_dialogs.status = [&](QWidget*, auto&, const frmProfile::StatusInput& input) {
            asked << input;
            return choice;
        };
        frmKaizo& w = simulator();
        QCOMPARE(m_catalogue->profiles.workingCopyRow(), 1);
        QCOMPARE(
            texts(&w, u"fraSta lblCombatType lblAttack lblCombat1 lblStaSaihin lblSelEnchant"_s),
            u"勇者|アタック|練習|18～30|24|エンチャント＆タイトル補正 : 使用なし"_s);
        QTest::keyClick(list(u"lvwKaizo"_s), Qt::Key_S);
        QTest::keyClick(list(u"lvwKaizo"_s), Qt::Key_S, Qt::AltModifier); // the save button's key
        QCOMPARE(asked.size(), 1);
        QCOMPARE(std::tuple(asked[0].working, asked[0].rankInUse, asked[0].melee,
                            asked[0].bonusSets, asked[0].bonusSetRow),
                 std::tuple(kHero, u"練習"_s, true, QStringList({u"使用なし"_s, u"指輪"_s}), 0));
        QVERIFY(m_catalogue->bonusSetRow == 1 && m_catalogue->profiles.row(1).profile == stronger);
        QCOMPARE(texts(&w, u"lblStr lblEnchantStr lblAttack lblEnchant1 lblSelEnchant"_s),
                 u"50| (+5)|1| (-20～+3)|エンチャント＆タイトル補正 : 指輪"_s);
        // The mark stands right after its figure, however wide the figure.
        QCoreApplication::sendPostedEvents();
        const QWidget* figure = child(&w, u"lblCombat1"_s);
        QCOMPARE(child(&w, u"lblEnchant1"_s)->x(), figure->x() + figure->width());
        choice.reset();
        click(u"cmdMod"_s); // cancelled: the status is rebuilt as it was
        QCOMPARE(texts(&w, u"lblStr"_s), u"50"_s);
        // A new performance change keeps the plan and replays it on the new base.
        apply(0);
        QTest::keyClick(list(u"lvwKaizo"_s), Qt::Key_W);
        QCOMPARE(texts(&w, u"lblSpec1 lblBukiSpecChange lblKaizo0"_s),
                 u"12～27|鍛冶 : 名匠の作|攻撃強化"_s);
        for (Kind kind : {Kind::NothingOffered, Kind::Cancelled, Kind::Failed}) {
            change = {kind, 0};
            click(u"cmdBukiSpec"_s);
        }
        QCOMPARE(inForce, QList<qint32>({23, 30, 30, 30}));
        QCOMPARE(texts(&w, u"lblBukiSpecChange fraBukiSpac"_s),
                 u"鍛冶 : 名匠の作|ロングソード (1/6)"_s);
        QCOMPARE(m_boxes->texts(),
                 QStringList{u"ダイアログの初期化に失敗しました。再度実行してください。"_s});
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);
        // The modal run removes the working copy when it ends, and so does a start that fails.
        w.hide();
        playInModal(u"cmdEnd"_s);
        QCOMPARE(w.intFormStart(), qint16(0));
        QCOMPARE(m_catalogue->profiles.workingCopyRow(), -1);
        testsupport::sqlExec(m_db.handle(), "DROP TABLE WORK_BUKI_DATA");
        const auto opened = playInModal(u"close"_s);
        QCOMPARE(w.intFormStart(), qint16(0));
        QCoreApplication::processEvents();
        QVERIFY(opened->isNull() && m_catalogue->profiles.workingCopyRow() == -1);
        QCOMPARE(m_boxes->texts().last(),
                 u"データベースの処理に失敗しました。改造計算画面を開けません。"_s);
    }

    void simulatorExportsAndPlans() {
        FakeClipboard board;
        frmKaizo& w = simulator();
        apply(0);
        apply(2);
        QStringList copied;
        for (const QString& button :
             {u"cmdClipKaizo"_s, u"Shift"_s, u"cmdBukiClip"_s, u"cmdList"_s}) {
            // A modifier key's own press asks the next figures export for the summary, once.
            if (button == u"Shift")
                QTest::keyPress(&w, Qt::Key_Shift);
            click(button == u"Shift" ? u"cmdBukiClip"_s : button);
            copied << board.kept;
        }
        QCOMPARE(w.shiftState(), qint16(0));
        QCOMPARE(copied.mid(0, 3),
                 QStringList(
                     {u"15式ロングソード 攻撃強化→耐久補強"_s,
                      u"○費用13,500\r\n○攻撃強化→耐久補強\r\n○ダメージ10-23　クリティカル10"
                      u"　バランス50　耐久13\r\n○バランス80％達成DEX 130"_s,
                      u"15式ロングソード　ダメージ10-23　クリティカル10　バランス50　耐久13"_s}));
        QVERIFY(copied[3].startsWith(u"攻撃強化  0-5   10   12,500"_s));
        for (QString& text : copied)
            text.prepend(
                u"クリップボードにコピーしました。\r\nCtrl+[V]でコピーした情報を貼り付けることが出来ます。\r\n\r\n"_s);
        QCOMPARE(m_boxes->texts(), copied);
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::None);
        board.refuse = true;
        click(u"cmdClipKaizo"_s);
        QCOMPARE(m_boxes->texts().last(),
                 u"クリップボードの初期化に失敗しました。再度実行してください。"_s);

        const auto saving = playInModal(u"=試し,cmdOK"_s);
        click(u"cmdSave"_s);
        const std::vector<planStore::Plan> saved = planStore::read(*m_settings, 1);
        QVERIFY(saved.size() == 1 && *saving == u"改造データ保存");
        QCOMPARE(saved[0].name + u'|' + saved[0].spec + u'|' + saved[0].data,
                 u"試し|10～23 クリティカル10 バランス50 耐久13|23 101.103."_s);
        click(u"cmdReset"_s);
        const auto loading = playInModal(u"@0,cmdOK"_s);
        click(u"cmdLoad"_s);
        QCOMPARE(*loading + texts(&w, u"fraBukiSpac lblKaizo1 lblCost"_s),
                 u"改造データ読み出しロングソード (2/6)|耐久補強|13,500"_s);
        // A record without a space holds nothing to load; a broken one is reported.
        for (const QString& record : {u"101."_s, u"一般 101."_s}) {
            QVERIFY(m_settings->setValue(u"WEAPON1"_s, u"Data1"_s, record));
            playInModal(u"@0,cmdOK"_s);
            click(u"cmdLoad"_s);
            QCOMPARE(steps(), qint16(2));
        }
        QCOMPARE(m_boxes->texts().last(), u"改造データが壊れています。"_s);
        QCOMPARE(m_boxes->shown.last().icon, ui::Icon::Exclamation);
    }

    // The change in force, the steps, the change chosen (0: cancelled) and the refusals.
    void performanceChangeDialog_data() {
        addRows({"30|cmdOK|30|0|OK at once keeps the change in force",
                 "23|Enter|23|0|Enter presses OK",
                 "99|cmdOK|23|0|a change in force not listed: the first entry",
                 "23|@3,cmdOK,@2,cmdOK,cmdCancel|0|2|OK on category and blank rows, then Cancel",
                 "23|@4,Esc|0|0|Esc", "23|dbl4|30|0|double click on an entry",
                 "30|dbl0,dbl2,dbl-,cmdCancel|0|0|double click on no entry"});
    }
    void performanceChangeDialog() {
        QFETCH(QStringList, row);
        const auto title = playInModal(row[1], [](QDialog* d) {
            if (!d->isVisible())
                return;
            auto* list = child<ReportList>(d, u"lvwSpecList"_s);
            QCOMPARE(list->toolTip(),
                     u"ダブルクリックで選択できます。空行やカテゴリ行は選択できません。"_s);
            QCOMPARE(listRows(list, 5),
                     QStringList({u"○ 一般||||"_s, u"  一般品|0～0|0|0|0"_s, u"||||"_s,
                                  u"○ 鍛冶||||"_s, u"  名匠の作|2～4|3|-60|-50"_s, u"||||"_s}));
            // Category rows are drawn grey.
            QCOMPARE(list->model()->index(3, 0).data(ListModel::ColourRole).toInt(),
                     int(RowColour::ButtonShadow));
        });
        const frmBukiSpec::Outcome outcome =
            frmBukiSpec::intFormStartChange(nullptr, m_db, row[0].toInt());
        QCOMPARE(*title, u"武器性能変化"_s);
        QCOMPARE(outcome.kind == Kind::Chosen ? outcome.seq : 0, row[2].toInt());
        QCOMPARE(m_boxes->texts(),
                 QStringList(row[3].toInt(), u"空行やカテゴリ行は選択できません。"_s));
    }

    // Save (S) or load (L) over three stored plans, steps and answers to the questions; what the
    // dialog hands back (save 0 or 1, load the record or "-"), the plans in the file afterwards
    // ("=" unchanged), and the messages: D the deletion question, E no plans, X no selection,
    // N no name, U a name the file cannot hold, or the name that is in use.
    void planDialog_data() {
        addRows({"S|A B C|cmdOK||0|A B C 45式||save",
                 "S|A B C|@1,cmdDel,cmdOK||0|A C 45式||save after a deletion",
                 "S|A B C|@1,cmdDel,cmdCancel|Y|1|A C|D|cancel after a deletion, Yes",
                 "S|A B C|@1,cmdDel,Esc|N|1|=|D|Esc after a deletion, No",
                 "S|A B C|@1,cmdDel,close||1|=||close box after a deletion",
                 "S|A B C|=　B ,dbl0,cmdOK|Y|0|A C 　B|B|overwrite a name typed with blanks",
                 "S|A B A|=A,cmdOK,=B,cmdOK|YNY|0|A A B|A A B|the marks of a refused overwrite are "
                 "cleared",
                 "S|A B C|=😀,cmdOK,= 　 ,cmdOK,cmdCancel||1|=|U N|names refused",
                 "L|A B C|@1,cmdDel,@1,cmdOK|Y|23 3.|A C|D|load after a deletion",
                 "L|A B C|dbl2||23 3.|=||load by double click",
                 "L|A B C|@2,dbl-,cmdCancel||-|=||double click below the rows",
                 "L|A B C|cmdOK,cmdDel,cmdCancel||-|=|X X|load without a selection",
                 "L|A B C|@0,cmdDel,@0,cmdDel,@0,cmdDel,cmdDel,cmdOK,cmdCancel|Y|-||E E D|delete "
                 "every plan"});
    }
    void planDialog() {
        QFETCH(QStringList, row);
        std::vector<planStore::Plan> plans;
        for (const QString& name : row[1].split(u' '))
            plans.push_back({name, {}, {}, u"23 %1."_s.arg(plans.size() + 1)});
        QVERIFY(planStore::write(*m_settings, 1, plans).saved);
        const QByteArray before = testsupport::readBytes(m_settings->path());
        for (QChar answer : row[3])
            m_boxes->answers << (answer == u'Y' ? ui::Answer::Yes : ui::Answer::No);
        playInModal(row[2]);
        QCOMPARE(row[0] == u"S"
                     ? QString::number(frmSaveDialog::intFormStartSave(nullptr, *m_settings, 1, {},
                                                                       {}, u"45"_s))
                     : frmSaveDialog::intFormStartLoad(nullptr, *m_settings, 1).value_or(u"-"_s),
                 row[4]);
        const QHash<QString, QString> kinds = {
            {u"D"_s, u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s},
            {u"E"_s, u"改造項目なす"_s},
            {u"X"_s, kNotSelected},
            {u"N"_s, u"名前が入力されていません。"_s},
            {u"U"_s, u"保存できない文字が含まれています。"_s}};
        QStringList messages;
        for (const QString& kind : row[6].split(u' ', Qt::SkipEmptyParts))
            messages << kinds.value(
                kind, kind + u"は使われている名前です。既存の項目を上書きしますか？"_s);
        QCOMPARE(m_boxes->texts(), messages);
        QVERIFY(m_boxes->answers.isEmpty());
        QStringList names;
        for (const planStore::Plan& plan : planStore::read(*m_settings, 1))
            names << plan.name;
        const bool unchanged = testsupport::readBytes(m_settings->path()) == before;
        QCOMPARE(row[5] == u"=" && unchanged ? u"="_s : names.join(u' '), row[5]);
    }

    void profileEditor() {
        // A new profile: statistics 0, both ranks the first of the master.
        const auto title = playInModal(u"=花子,cmdOK"_s);
        QCOMPARE(joined(frmProfile::intFormStartReg(nullptr, m_db).value()) + *title,
                 u"花子|0|0|0|0|0|練習|練習キャラクター情報"_s);
        // A rank the master no longer holds falls back to the first (the choice itself is the
        // rank table's test); statistics are stored as number text, the name as typed.
        playInModal(u"txtInt=12abc,cmdOK"_s);
        const Profile odd{u" 太郎 "_s, u"12.5"_s, u"10"_s, u"abc"_s,
                          u"-5"_s,     u"0"_s,    u"F"_s,  u"ZZ"_s};
        QCOMPARE(joined(frmProfile::intFormStartMod(nullptr, m_db, odd).value()),
                 u" 太郎 |12.5|12|0|-5|0|F|練習"_s);
        playInModal(u"txtName=次郎,Esc"_s);
        QVERIFY(!frmProfile::intFormStartMod(nullptr, m_db, kHero));
        // Without ranks nothing opens.
        testsupport::changeFixtureMaster(m_db, m_dir.filePath(u"master.db"_s),
                                         "DELETE FROM LANK_MASTER; DELETE FROM LANK_INDEX");
        const auto opened = playInModal(u"cmdOK"_s);
        QVERIFY(!frmProfile::intFormStartReg(nullptr, m_db));
        QVERIFY(!frmProfile::intFormStartChange(nullptr, m_db, {kHero, u"1"_s, true, {}, 0}));
        QCoreApplication::processEvents();
        QVERIFY(opened->isNull());
        QCOMPARE(m_boxes->texts(), QStringList(2, u"スキルランクが登録されていません。"_s));
    }

    // The weapon's skill (A アタック, R レンジ), the working copy's name and the steps; then the
    // working copy, the rank in use and the bonus set row chosen, or "-".
    void profileInTheSimulator_data() {
        addRows(
            {"A|勇者|cmdOK|勇者|35|9|20|30|15|1|F 1 1|shown as in force",
             "A|勇者|txtName=x,txtStr=45,cmbAttack=F,cmbEnchant=使用なし,cmdOK|勇者|45|9|20|30|15|"
             "F|F F 0|attack",
             "R|勇者|cmbRange=練習,cmdOK|勇者|35|9|20|30|15|練習|練習 練習 1|range",
             // The name is never written back, so a copy without one is not refused for it.
             "A||txtWill=-999,cmdOK||35|9|20|-999|15|1|F 1 1|a copy without a name",
             "A|勇者|txtStr=45,cmdCancel|-|cancelled"});
    }
    void profileInTheSimulator() {
        QFETCH(QStringList, row);
        Profile working = kHero;
        working.name = row[1];
        playInModal(row[2]);
        const std::optional<frmProfile::StatusChoice> chosen = frmProfile::intFormStartChange(
            nullptr, m_db, {working, u"1"_s, row[0] == u"A", {u"使用なし"_s, u"指輪"_s}, 1});
        QCOMPARE(chosen ? u"%1 %2 %3"_s.arg(joined(chosen->working), chosen->rankInUse)
                              .arg(chosen->bonusSetRow)
                        : u"-"_s,
                 row.mid(3).join(u'|'));
    }

    // A new set (N) or an edited one (E) and the steps; then every text of the set, or "-", or
    // the refusal and the field given the focus (a number with its whole text selected).
    void bonusSetEditor_data() {
        addRows(
            {"N|=セット,cmdOK|セット|0|0|0|0|0|0|0|0|0|0|0|||new",
             // Combat bonuses as typed, statistics as number text.
             "N|= 名 "
             ",txtMinDamage=12abc,txtMaxDamage=3,txtMaxWounds=+3,txtCritical=-20,txtBalance= 7,"
             "txtStr=12abc,txtLuck=12.50,txtWill=,cmdOK| 名 |12abc|3|0|+3|-20| "
             "7|12|0|0|0|12.5|||typed",
             // The ranks of a hand-edited set are kept, never edited.
             "E|txtMinDamage=-2,cmdOK|旧|-2|2|3|4|5|6|7|8|9|10|11|A|B|edited",
             "E|txtName=別,cmdCancel|-|cancelled", "E|txtCritical=5,Esc|-|Esc",
             // The name is checked first, then the statistics, then the combat bonuses.
             "N|txtName= 　,txtStr=5000,cmdOK|名前が入力されていません。 txtName|blank name first",
             "N|=a,txtBalance=-1e3,txtInt=1000,cmdOK|入力制限を超過しています。-"
             "999～999の間で値を入力し"
             "てください。 txtInt|first out of range",
             "N|=a,txtCritical=5丂,cmdOK|保存できない文字が含まれています。 txtCritical|a bonus "
             "the file cannot hold",
             "N|=太郎\n次郎,cmdOK|改行やタブなどの制御文字は使えません。 txtName|a name on two "
             "lines"});
    }
    void bonusSetEditor() {
        QFETCH(QStringList, row);
        const QStringList old = u"旧|1|2|3|4|5|6|7|8|9|10|11|A|B"_s.split(u'|');
        const BonusSet base{old[0], old[1], old[2], old[3],  old[4],  old[5],  old[6],
                            old[7], old[8], old[9], old[10], old[11], old[12], old[13]};
        QString refusal;
        const auto title = playInModal(row[1], [&](QDialog* d) {
            if (const auto* field = qobject_cast<QLineEdit*>(d->focusWidget());
                d->isVisible() && field) {
                refusal = m_boxes->texts().join(u'/') + u' ' + field->objectName();
                QVERIFY(field->objectName() == u"txtName" ||
                        field->selectedText() == field->text());
            }
        });
        const std::optional<BonusSet> set = row[0] == u"E"
                                                ? frmEnchant::intFormStartMod(nullptr, base)
                                                : frmEnchant::intFormStartReg(nullptr);
        QCOMPARE(*title, u"エンチャント＆タイトル補正"_s);
        QCOMPARE(refusal.isEmpty() ? (set ? joined(*set) : u"-"_s) : refusal,
                 row.mid(2).join(u'|'));
    }

    // The default objective ranks every plan of the weapon, best first; the plan applied, by its
    // button or a double click, goes back as its SEQs.
    void planSearchApplies() {
        for (const QString& how : {u"cmdApply"_s, u"dbl"_s}) {
            QStringList shown;
            playInModal({}, [&](QDialog* d) {
                auto* plans = child<ReportList>(d, u"lvwPlans"_s);
                child<QPushButton>(d, u"cmdFind"_s)->click();
                QTRY_VERIFY(!texts(d, u"lblExamined"_s).isEmpty());
                shown = listRows(plans, 3).mid(0, 2)
                        << plans->model()->headerData(2, Qt::Horizontal).toString()
                        << texts(d, u"lblExamined"_s);
                if (how == u"dbl") {
                    testsupport::doubleClick(plans->viewport(), testsupport::rowCentre(plans, 1));
                } else {
                    plans->setCurrentRow(1);
                    child<QPushButton>(d, u"cmdApply"_s)->click();
                }
            });
            const auto chosen = frmPlanSearch::intFormStart(nullptr, m_db, {1, 23, {}, {}});
            QCOMPARE(shown.mid(0, 3),
                     QStringList({u"1|攻撃強化→攻撃強化→攻撃強化→攻撃強化→バランス調整|22"_s,
                                  u"2|攻撃強化→攻撃強化→攻撃強化→バランス調整→攻撃強化|22"_s,
                                  u"最頻値"_s}));
            QVERIFY2(QRegularExpression(u"^[\\d,]+ 通りを調べました（[\\d.]+ (ミリ秒|秒)）$"_s)
                         .match(shown[3])
                         .hasMatch(),
                     qPrintable(shown[3]));
            QCOMPARE(chosen, std::optional(std::vector<qint32>{101, 101, 101, 105, 101}));
        }
    }

    // A condition out of range is refused and its field focused; conditions nothing meets list
    // nothing, and there is then nothing to apply.
    void planSearchConditions() {
        playInModal(u"txtMaxCost=-1,cmdFind,txtMaxCost=1.5,cmdFind"_s, [](QDialog* d) {
            QCOMPARE(d->focusWidget(), child(d, u"txtMaxCost"_s));
            QVERIFY(texts(d, u"lblExamined"_s).isEmpty());
            child<QLineEdit>(d, u"txtMaxCost"_s)->clear();
            child<QLineEdit>(d, u"txtMinTaikyu"_s)->setText(u"36"_s);
            child<QPushButton>(d, u"cmdFind"_s)->click();
            QTRY_COMPARE(texts(d, u"lblExamined"_s), u"条件に合う改造手順がありません。"_s);
            QCOMPARE(child<ReportList>(d, u"lvwPlans"_s)->model()->rowCount(), 0);
            child<QPushButton>(d, u"cmdApply"_s)->click();
        });
        QVERIFY(!frmPlanSearch::intFormStart(nullptr, m_db, {1, 23, {}, {}}));
        const QString range =
            u"「費用の上限」には0～99,999,999の整数を入力してください。空欄は制限なしです。"_s;
        QCOMPARE(m_boxes->texts(), QStringList({range, range, kNotSelected}));
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Exclamation);
    }
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
