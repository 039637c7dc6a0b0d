// The simulator window driven like a user: buttons, list keys, mouse strokes and double clicks,
// with a plain catalogue in place of the catalogue window.

#include "SimFixture.h"
#include "app/ReportList.h"
#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "simulator/PlanString.h"
#include "simulator/WorkTable.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class FakeCatalogue : public CatalogueAccess {
public:
    FakeCatalogue() {
        ListRow fixed;
        fixed.text = u"使用なし"_s;
        fixed.key = u"消せません"_s;
        enchants.append(fixed);
    }
    qint16 selectedWeaponSeq() const override { return weaponSeq; }
    QString selectedWeaponName() const override { return weaponName; }
    RowListModel& profileList() override { return profiles; }
    int profileCurrentRow() const override { return profileRow; }
    bool profileCurrentSelected() const override { return profileRow >= 0; }
    RowListModel& enchantList() override { return enchants; }
    int enchantCurrentRow() const override { return enchantRow; }
    bool enchantCurrentSelected() const override { return true; }
    void selectEnchantRow(int row) override { enchantRow = row; }

    void addProfile(const QStringList& cells) {
        ListRow row;
        for (int i = 0; i < cells.size(); ++i)
            row.setCell(i, cells[i]);
        profileRow = profiles.append(row);
    }

    qint16 weaponSeq = 1;
    QString weaponName = u"ロングソード"_s;
    RowListModel profiles;
    RowListModel enchants;
    int profileRow = -1;
    int enchantRow = 0;
};

} // namespace

class TestFrmKaizo : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startShowsStepZero();
    void weaponWithoutModifications();
    void applyUndoReset();
    void stepLimits();
    void replayAndPerformanceChange();
    void listKeys();
    void modifierRegister();
    void gestures_data();
    void gestures();
    void doubleClicks_data();
    void doubleClicks();
    void statusFrame_data();
    void statusFrame();
    void modalRunRemovesTheWorkingCopy();
    void databaseFailuresAreReported();
    void everySampleWeaponRuns();

private:
    void open(qint16 weapon = 1);
    template <typename T> T* child(const char* name) const {
        return m_win->findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* name) const { return child<QLabel>(name)->text(); }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QString frame() const { return child<QGroupBox>("fraBukiSpac")->title(); }
    ReportList* list() const { return child<ReportList>("lvwKaizo"); }
    QPoint rowPoint(int row) const;
    void apply(int row);
    bool stepButtonsEnabled() const;

    QTemporaryDir m_dir;
    FakeCatalogue* m_catalogue = nullptr;
    frmKaizo* m_win = nullptr;
    frmKaizo::Hooks m_hooks;
    int m_profileCalls = 0;
    testsupport::RecordingMessageBoxes* m_boxes = nullptr;
};

void TestFrmKaizo::init() {
    simfixture::openMaster(m_dir.filePath(u"master.db"_s));
    QVERIFY(workTable::deleteWork({}));
    m_catalogue = new FakeCatalogue;
    m_boxes = new testsupport::RecordingMessageBoxes;
    m_profileCalls = 0;
    m_hooks = {};
    m_hooks.profile = [this](SimulatorAccess&) {
        ++m_profileCalls;
    };
}

void TestFrmKaizo::cleanup() {
    delete m_win;
    m_win = nullptr;
    delete m_catalogue;
    delete m_boxes;
}

void TestFrmKaizo::open(qint16 weapon) {
    m_catalogue->weaponSeq = weapon;
    m_win = new frmKaizo(*m_catalogue, nullptr, m_hooks);
    QVERIFY(m_win->prepare());
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win));
}

QPoint TestFrmKaizo::rowPoint(int row) const {
    return list()->visualRect(list()->model()->index(row, 0)).center();
}

void TestFrmKaizo::apply(int row) {
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowPoint(row));
    button("cmdKaizo")->click();
}

bool TestFrmKaizo::stepButtonsEnabled() const {
    const bool back = button("cmdBack")->isEnabled();
    for (const char* name : {"cmdReset", "cmdClipKaizo", "cmdBukiClip", "cmdSave"})
        if (button(name)->isEnabled() != back)
            qFatal("step buttons disagree at %s", name);
    return back;
}

void TestFrmKaizo::startShowsStepZero() {
    open();
    QCOMPARE(m_win->windowTitle(), u"武器改造 - ロングソード"_s);
    QCOMPARE(frame(), u"ロングソード (0/6)"_s);
    QCOMPARE(text("lblJukuren"), u"-"_s);
    QCOMPARE(text("lblCost"), u"-"_s);
    QCOMPARE(text("lblSpec1"), u"10～20"_s);
    QCOMPARE(text("lblBalanceTassei"), u"(130)"_s);
    QCOMPARE(text("lblBukiSpecChange"), u"一般 : 一般品"_s);
    QCOMPARE(m_win->changeSpecTag(), u"23"_s);
    QCOMPARE(list()->rowCount(), 4);
    QCOMPARE(list()->model()->index(0, 2).data().toString(), u"12,500"_s);
    QVERIFY(button("cmdKaizo")->isEnabled());
    QVERIFY(!stepButtonsEnabled());
    QVERIFY(button("cmdBukiSpec")->isEnabled() && button("cmdLoad")->isEnabled());
    // No profile: no status frame, no bonus row, the weapon's own combat figures.
    QVERIFY(!button("cmdMod")->isEnabled());
    QVERIFY(child<QGroupBox>("fraSta")->isHidden());
    QCOMPARE(text("lblCombat1"), u"10～20"_s);
    QCOMPARE(text("lblStaSaihin"), u"15"_s);
    QCOMPARE(list()->toolTip(), u"ダブルクリックで選択できます。"_s);
}

void TestFrmKaizo::weaponWithoutModifications() {
    open(3);
    QCOMPARE(frame(), u"ロングソード (0/0)"_s);
    QCOMPARE(list()->rowCount(), 0);
    QVERIFY(!button("cmdKaizo")->isEnabled());
    QCOMPARE(list()->palette().color(QPalette::Base), QPalette().color(QPalette::Button));
    QCOMPARE(text("lblBalanceTassei"), u"(-10)"_s); // balance 85: no limit
}

void TestFrmKaizo::applyUndoReset() {
    open();
    apply(0);
    QCOMPARE(text("lblKaizo0"), u"攻撃強化"_s);
    QCOMPARE(text("lblKaizoNaiyo0"), u"( 最大ダメージ+3　耐久-2　)"_s);
    QCOMPARE(child<QLabel>("lblKaizo0")->property("tag").toString(), u"101"_s);
    QCOMPARE(frame(), u"ロングソード (1/6)"_s);
    QVERIFY(stepButtonsEnabled());
    QCOMPARE(text("lblJukuren"), u"10"_s);
    QCOMPARE(text("lblCost"), u"12,500"_s);
    QCOMPARE(list()->rowCount(), 5);
    apply(2);
    QCOMPARE(m_win->simulation().plan(), u"101.103."_s);
    QCOMPARE(text("lblCost"), u"13,500"_s);

    button("cmdBack")->click();
    QCOMPARE(frame(), u"ロングソード (1/6)"_s);
    QCOMPARE(text("lblKaizo1"), QString());
    QCOMPARE(m_win->simulation().plan(), u"101."_s);
    QVERIFY(stepButtonsEnabled());
    button("cmdBack")->click();
    QVERIFY(!stepButtonsEnabled());
    QCOMPARE(text("lblJukuren"), u"-"_s);
    QTest::keyClick(list(), Qt::Key_Left); // nothing left to undo; the button is disabled
    QVERIFY(m_boxes->shown.isEmpty());

    apply(0);
    apply(0);
    button("cmdReset")->click();
    QCOMPARE(m_win->simulation().plan(), QString());
    QCOMPARE(text("lblKaizo0"), QString());
    QCOMPARE(frame(), u"ロングソード (0/6)"_s);
    QVERIFY(!stepButtonsEnabled());
}

void TestFrmKaizo::stepLimits() {
    open();
    for (int i = 0; i < 5; ++i)
        apply(3);
    apply(0);
    QCOMPARE(m_boxes->texts(), QStringList{u"改造手順は5段階までです。"_s});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Exclamation);
    QCOMPARE(m_win->simulation().plan(), u"104.104.104.104.104."_s);
    delete m_win;
    m_win = nullptr;

    open(2); // offers exactly five steps
    for (int i = 0; i < 5; ++i)
        apply(0);
    QCOMPARE(frame(), u"ロングソード (5/5)"_s);
    QCOMPARE(list()->rowCount(), 0);
    QVERIFY(!button("cmdKaizo")->isEnabled());
}

void TestFrmKaizo::replayAndPerformanceChange() {
    qint16 answer = 0;
    m_hooks.bukiSpec = [&answer](SimulatorAccess& sim) -> qint16 {
        return answer == 0 && !sim.setChangeSpace(30) ? -1 : answer;
    };
    open();
    QVERIFY(m_win->ResetState(true));
    QVERIFY(m_win->setStateRecovery(u"101.999.103.x"_s));
    QCOMPARE(frame(), u"ロングソード (3/6)"_s);
    QCOMPARE(text("lblKaizo1"), u"(未登録の改造 999)"_s);
    QCOMPARE(text("lblSpec6"), u"13"_s);

    // A new performance change at step 3 keeps the plan and recomputes it on the new base:
    // durability 10 - 50 gives 0, then -2 stays 0, +5, and the missing step changes nothing.
    button("cmdBukiSpec")->click();
    QCOMPARE(m_win->simulation().plan(), u"101.999.103."_s);
    QCOMPARE(text("lblKaizo2"), u"耐久補強"_s);
    QCOMPARE(text("lblSpec6"), u"5"_s);
    QCOMPARE(text("lblSpec1"), u"12～27"_s);
    QCOMPARE(text("lblBukiSpecChange"), u"鍛冶 : 名匠の作"_s);
    QCOMPARE(m_win->changeSpecTag(), u"30"_s);
    answer = 1;
    button("cmdBukiSpec")->click();
    QVERIFY(m_boxes->shown.isEmpty());
    answer = 7;
    button("cmdBukiSpec")->click();
    QCOMPARE(m_boxes->texts(),
             QStringList{u"ダイアログの初期化に失敗しました。再度実行してください。"_s});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);

    QVERIFY(m_win->setStateRecovery({}));
    QCOMPARE(frame(), u"ロングソード (0/6)"_s);
    QCOMPARE(text("lblJukuren"), u"-"_s);
}

void TestFrmKaizo::listKeys() {
    int bukiSpecCalls = 0;
    m_hooks.bukiSpec = [&bukiSpecCalls](SimulatorAccess&) -> qint16 {
        ++bukiSpecCalls;
        return 1;
    };
    m_catalogue->addProfile({u"勇者"_s, u"35"_s, u"10"_s, u"20"_s, u"30"_s, u"15"_s});
    open();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Backspace); // reset is disabled at step 0
    QTest::keyClick(list(), Qt::Key_Right);     // rows but none selected
    QCOMPARE(m_boxes->texts(), QStringList{u"選択されてなす"_s});
    list()->setCurrentRow(0);
    QTest::keyClick(list(), Qt::Key_Right, Qt::ShiftModifier);
    list()->setCurrentRow(0);
    QTest::keyClick(list(), Qt::Key_Right);
    QCOMPARE(frame(), u"ロングソード (2/6)"_s);
    QTest::keyClick(list(), Qt::Key_Left);
    QCOMPARE(frame(), u"ロングソード (1/6)"_s);
    QTest::keyClick(list(), Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(frame(), u"ロングソード (0/6)"_s);
    QTest::keyClick(list(), Qt::Key_W);
    QTest::keyClick(list(), Qt::Key_S);
    QCOMPARE(bukiSpecCalls, 1);
    QCOMPARE(m_profileCalls, 1);
    // Alt+S is the (disabled) save button's access key, never the list's status command.
    QTest::keyClick(list(), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(m_profileCalls, 1);
}

void TestFrmKaizo::modifierRegister() {
    open();
    // A modifier key's own press reports the modifier, as the platform does.
    QTest::keyPress(list(), Qt::Key_Shift);
    QCOMPARE(m_win->shiftState(), qint16(1));
    QTest::keyRelease(list(), Qt::Key_Shift);
    QCOMPARE(m_win->shiftState(), qint16(0));
    QTest::keyPress(button("cmdEnd"), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(m_win->shiftState(), qint16(6));
    QTest::keyPress(button("cmdEnd"), Qt::Key_A);
    QCOMPARE(m_win->shiftState(), qint16(0));
}

void TestFrmKaizo::gestures_data() {
    QTest::addColumn<QList<int>>("moves"); // pointer x relative to the press, in pixels
    QTest::addColumn<bool>("leftHeld");    // the left button held down from before the stroke
    QTest::addColumn<bool>("pressAgain");  // another button pressed and released mid-stroke
    QTest::addColumn<int>("steps");        // steps left of two
    QTest::newRow("100 twips") << QList<int>{-7} << false << false << 2;
    QTest::newRow("over 100 twips") << QList<int>{-3, -8, -12} << false << false << 1;
    QTest::newRow("left, right, left") << QList<int>{-8, 1, -8} << false << false << 0;
    QTest::newRow("not back past the start") << QList<int>{-8, 0, -8} << false << false << 1;
    QTest::newRow("both buttons held") << QList<int>{-8, 1, -8} << true << false << 2;
    QTest::newRow("second press restarts") << QList<int>{-8} << false << true << 2;
}

void TestFrmKaizo::gestures() {
    QFETCH(QList<int>, moves);
    QFETCH(bool, leftHeld);
    QFETCH(bool, pressAgain);
    QFETCH(int, steps);
    open();
    apply(0);
    apply(0);
    QWidget* viewport = list()->viewport();
    const QPoint start(200, rowPoint(0).y());
    if (leftHeld)
        QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QTest::mousePress(viewport, Qt::RightButton, {}, start);
    QPoint at = start;
    for (int dx : moves)
        QTest::mouseMove(viewport, at = start + QPoint(dx, 0));
    if (pressAgain) {
        QTest::mousePress(viewport, Qt::MiddleButton, {}, at);
        QTest::mouseRelease(viewport, Qt::MiddleButton, {}, at);
    }
    QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
    if (leftHeld)
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QCOMPARE(m_win->simulation().stepCount(), qint16(steps));
}

void TestFrmKaizo::doubleClicks_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onRow");
    QTest::addColumn<int>("steps");
    QTest::newRow("left on a row") << Qt::LeftButton << true << 1;
    QTest::newRow("left on empty space") << Qt::LeftButton << false << 0;
    QTest::newRow("right on a row") << Qt::RightButton << true << 0;
}

void TestFrmKaizo::doubleClicks() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onRow);
    QFETCH(int, steps);
    open();
    const QPoint pos = onRow ? rowPoint(1) : QPoint(20, list()->viewport()->height() - 5);
    QWidget* viewport = list()->viewport();
    QTest::mousePress(viewport, button, {}, pos);
    QTest::mouseRelease(viewport, button, {}, pos);
    QTest::mouseDClick(viewport, button, {}, pos);
    QTest::mouseRelease(viewport, button, {}, pos);
    QCOMPARE(m_win->simulation().stepCount(), qint16(steps));
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestFrmKaizo::statusFrame_data() {
    QTest::addColumn<qint16>("weapon");
    QTest::addColumn<QStringList>("profile");
    QTest::addColumn<QStringList>("shown"); // lblAttack, lblCombat1..4, lblStaSaihin
    QTest::newRow("attack") << qint16(1) << QStringList{u"勇者"_s, u"35"_s, u"9"_s,    u"20"_s,
                                                        u"30"_s,   u"15"_s, u"練習"_s, u"F"_s}
                            << QStringList{u"練習"_s, u"18～30"_s, u"7～17"_s,
                                           u"12"_s,   u"52"_s,     u"24"_s};
    QTest::newRow("range") << qint16(4) << QStringList{u"射手"_s, u"10"_s, u"9"_s,    u"45"_s,
                                                       u"25"_s,   u"25"_s, u"練習"_s, u"F"_s}
                           << QStringList{u"F"_s,  u"24～40"_s, u"12～23"_s,
                                          u"18"_s, u"57"_s,     u"33"_s};
}

void TestFrmKaizo::statusFrame() {
    QFETCH(qint16, weapon);
    QFETCH(QStringList, profile);
    QFETCH(QStringList, shown);
    m_catalogue->addProfile(profile);
    open(weapon);
    const QStringList got = {text("lblAttack"),  text("lblCombat1"), text("lblCombat2"),
                             text("lblCombat3"), text("lblCombat4"), text("lblStaSaihin")};
    QCOMPARE(got, shown);
    QCOMPARE(child<QGroupBox>("fraSta")->title(), profile[0]);
    QCOMPARE(text("lblSelEnchant"), u"エンチャント＆タイトル補正 : 使用なし"_s);
    QCOMPARE(m_catalogue->profiles.findKey(u"TEMP"_s), 1);
    QCOMPARE(m_catalogue->profiles.row(0).key, QString());

    // What the profile editor does after choosing a bonus set: min damage -20, max +3, Str +5.
    ListRow set;
    set.text = u"指輪"_s;
    const QStringList cells = {u"0"_s, u"0"_s, u"-20"_s, u"3"_s, u"0"_s, u"0"_s, u"5"_s};
    for (int i = 0; i < cells.size(); ++i)
        set.setCell(3 + i, cells[i]);
    m_catalogue->selectEnchantRow(m_catalogue->enchants.append(set));
    QVERIFY(m_win->insertStatus());
    QVERIFY(m_win->setCombatStatus(0));
    QCOMPARE(text("lblEnchant1"), u" (-20～+3)"_s);
    QCOMPARE(text("lblEnchantStr"), u" (+5)"_s);
    QCOMPARE(text("lblStr"), QString::number(profile[1].toInt() + 5));
    QCOMPARE(text("lblSelEnchant"), u"エンチャント＆タイトル補正 : 指輪"_s);
    QCOMPARE(text("lblCombat1").section(u'～', 0, 0), weapon == 1 ? u"10"_s : u"12"_s);
    QCoreApplication::sendPostedEvents();
    const QLabel* figure = child<QLabel>("lblCombat1");
    QCOMPARE(child<QLabel>("lblEnchant1")->x(), figure->x() + figure->width());
}

void TestFrmKaizo::modalRunRemovesTheWorkingCopy() {
    m_catalogue->addProfile({u"勇者"_s, u"35"_s});
    bool sawCopy = false;
    testsupport::whenModal([&] {
        sawCopy = m_catalogue->profiles.findKey(u"TEMP"_s) >= 0;
        if (auto* win = QApplication::activeModalWidget())
            win->findChild<QPushButton*>(QString::fromLatin1("cmdEnd"))->click();
    });
    QCOMPARE(frmKaizo::intFormStart(*m_catalogue, nullptr, m_hooks), qint16(0));
    QVERIFY(sawCopy);
    QCOMPARE(m_catalogue->profiles.count(), 1);
}

void TestFrmKaizo::databaseFailuresAreReported() {
    open();
    simfixture::exec("ALTER TABLE KAIZO_MASTER RENAME TO KAIZO_GONE");
    apply(0);
    QCOMPARE(m_boxes->texts(), QStringList{u"データベースの処理に失敗しました。"_s});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
    QCOMPARE(m_win->simulation().plan(), QString());

    // A start that fails says so, shows no window and still removes the working copy.
    m_boxes->shown.clear();
    m_catalogue->addProfile({u"勇者"_s, u"35"_s});
    simfixture::exec("ALTER TABLE KAIZO_GONE RENAME TO KAIZO_MASTER");
    simfixture::exec("DROP TABLE WORK_BUKI_DATA");
    testsupport::whenModal([] { // only if the start wrongly succeeded
        if (auto* win = QApplication::activeModalWidget())
            win->close();
    });
    QCOMPARE(frmKaizo::intFormStart(*m_catalogue, nullptr, m_hooks), qint16(0));
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY(m_boxes->shown.first().text.startsWith(u"データベースの処理に失敗しました。"_s));
    QCOMPARE(m_catalogue->profiles.findKey(u"TEMP"_s), -1);
}

// Every shown weapon of the sample master starts, takes steps until nothing more is offered or
// the slots are full, and returns to step 0, without a single message.
void TestFrmKaizo::everySampleWeaponRuns() {
    storage::cnDatabase().close();
    QVERIFY(storage::cnDatabase().open(testsupport::copySampleDatabase(m_dir.path())));
    storage::Recordset weapons(storage::cnDatabase());
    QVERIFY(weapons.open(u"SELECT SEQ, BUKI_NAME FROM BUKI_MASTER WHERE HYOUJI = 1"_s));
    QList<std::pair<qint16, QString>> all;
    for (; !weapons.eof(); weapons.moveNext())
        all.append({qint16(weapons.field(0).toInt()), weapons.text(1)});
    weapons.close();
    QVERIFY(!all.isEmpty());
    m_catalogue->addProfile({u"勇者"_s, u"40"_s, u"30"_s, u"40"_s, u"30"_s, u"20"_s});
    for (const auto& [seq, name] : all) {
        m_catalogue->weaponName = name;
        open(seq);
        const qint16 max = m_win->simulation().maxKaisu();
        QCOMPARE(frame(), name + u" (0/"_s + QString::number(max) + u')');
        int steps = 0;
        while (list()->rowCount() > 0 && steps < 5) {
            apply(0);
            QCOMPARE(m_win->simulation().stepCount(), qint16(++steps));
        }
        QCOMPARE(steps, std::min<int>(max, 5));
        QCOMPARE(planString::items(m_win->simulation().plan()).size(), steps);
        button("cmdReset")->click();
        QCOMPARE(m_win->simulation().stepCount(), qint16(0));
        QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(m_boxes->texts().join(u'/')));
        delete m_win;
        m_win = nullptr;
    }
}

QTEST_MAIN(TestFrmKaizo)
#include "test_frmKaizo.moc"
