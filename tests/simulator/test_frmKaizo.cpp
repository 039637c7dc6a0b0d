// The simulator window driven like a user: buttons, list keys, mouse strokes and double clicks,
// with a plain catalogue in place of the catalogue window.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "simulator/PlanString.h"
#include "simulator/WorkTable.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QGroupBox>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

class TestFrmKaizo : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<KaizoWindow> m_w;
    frmKaizo::Hooks m_hooks;
    int m_profileCalls = 0;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;

    bool open(qint16 weapon = 1) { return m_w->open(weapon, m_hooks); }
    QPushButton* button(const char* name) const { return m_w->child<QPushButton>(name); }
    ReportList* list() const { return m_w->list(); }
    std::optional<qint16> steps() const { return m_w->win->simulation().stepCount(); }
    // The buttons that need an applied step, which always agree.
    bool stepButtonsEnabled() const {
        const bool back = button("cmdBack")->isEnabled();
        for (const char* name : {"cmdReset", "cmdClipKaizo", "cmdBukiClip", "cmdSave"})
            if (button(name)->isEnabled() != back)
                qFatal("step buttons disagree at %s", name);
        return back;
    }

private slots:
    void init() {
        simfixture::openMaster(m_dir.filePath(u"master.db"_s));
        QVERIFY(workTable::deleteWork({}));
        m_w.emplace();
        m_boxes.emplace();
        m_profileCalls = 0;
        m_hooks = {{}, [this](SimulatorAccess&) {
                       ++m_profileCalls;
                   }};
    }
    void cleanup() {
        m_w.reset();
        m_boxes.reset();
    }

    void startShowsStepZero() {
        QVERIFY(open());
        QCOMPARE(m_w->win->windowTitle(), u"武器改造 - ロングソード"_s);
        QCOMPARE(m_w->frame(), u"ロングソード (0/6)"_s);
        QCOMPARE(m_w->texts({"lblJukuren", "lblCost", "lblSpec1", "lblBalanceTassei",
                             "lblBukiSpecChange"}),
                 (QStringList{u"-"_s, u"-"_s, u"10～20"_s, u"(130)"_s, u"一般 : 一般品"_s}));
        QCOMPARE(m_w->win->changeSpecTag(), u"23"_s);
        QCOMPARE(list()->rowCount(), 4); // 105 comes from step 1 on
        QCOMPARE(list()->model()->index(0, 2).data().toString(), u"12,500"_s);
        QCOMPARE(list()->rowModel()->row(0).subItems,
                 (QStringList{u"10"_s, u"12,500"_s, u"最大ダメージ+3　耐久-2　"_s}));
        QCOMPARE(list()->toolTip(), u"ダブルクリックで選択できます。"_s);
        QVERIFY(button("cmdKaizo")->isEnabled() && !stepButtonsEnabled());
        QVERIFY(button("cmdBukiSpec")->isEnabled() && button("cmdLoad")->isEnabled());
        // No profile: no status frame, no bonus row, the weapon's own combat figures.
        QVERIFY(!button("cmdMod")->isEnabled());
        QVERIFY(m_w->child<QGroupBox>("fraSta")->isHidden());
        QCOMPARE(m_w->texts({"lblCombat1", "lblStaSaihin"}), (QStringList{u"10～20"_s, u"15"_s}));
    }

    void weaponWithoutModifications() {
        QVERIFY(open(3));
        QCOMPARE(m_w->frame(), u"ロングソード (0/0)"_s);
        QCOMPARE(list()->rowCount(), 0);
        QVERIFY(!button("cmdKaizo")->isEnabled());
        QCOMPARE(list()->palette().color(QPalette::Base), QPalette().color(QPalette::Button));
        QCOMPARE(m_w->text("lblBalanceTassei"), u"(-10)"_s); // balance 85: no limit
    }

    void applyUndoReset() {
        QVERIFY(open());
        m_w->apply(0);
        QCOMPARE(
            m_w->texts({"lblKaizo0", "lblKaizoNaiyo0", "lblJukuren", "lblCost"}),
            (QStringList{u"攻撃強化"_s, u"( 最大ダメージ+3　耐久-2　)"_s, u"10"_s, u"12,500"_s}));
        QCOMPARE(m_w->child("lblKaizo0")->property("tag").toString(), u"101"_s);
        QCOMPARE(m_w->frame(), u"ロングソード (1/6)"_s);
        QVERIFY(stepButtonsEnabled());
        QCOMPARE(list()->rowCount(), 5);
        m_w->apply(2);
        QCOMPARE(m_w->plan(), u"101.103."_s);
        QCOMPARE(m_w->text("lblCost"), u"13,500"_s);

        m_w->click("cmdBack");
        QCOMPARE(m_w->frame(), u"ロングソード (1/6)"_s);
        QCOMPARE(m_w->text("lblKaizo1"), QString());
        QCOMPARE(m_w->plan(), u"101."_s);
        QVERIFY(stepButtonsEnabled());
        m_w->click("cmdBack");
        QVERIFY(!stepButtonsEnabled());
        QCOMPARE(m_w->text("lblJukuren"), u"-"_s);
        QTest::keyClick(list(), Qt::Key_Left); // nothing left to undo; the button is disabled
        QVERIFY(m_boxes->shown.isEmpty());

        m_w->apply(0);
        m_w->apply(0);
        m_w->click("cmdReset");
        QCOMPARE(m_w->plan(), QString());
        QCOMPARE(m_w->text("lblKaizo0"), QString());
        QCOMPARE(m_w->frame(), u"ロングソード (0/6)"_s);
        QVERIFY(!stepButtonsEnabled());
    }

    void stepLimits() {
        QVERIFY(open());
        for (int i = 0; i < 6; ++i)
            m_w->apply(i < 5 ? 3 : 0);
        QCOMPARE(m_boxes->texts(), QStringList{u"改造手順は5段階までです。"_s});
        QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Exclamation);
        QCOMPARE(m_w->plan(), u"104.104.104.104.104."_s);

        QVERIFY(open(2)); // offers exactly five steps
        for (int i = 0; i < 5; ++i)
            m_w->apply(0);
        QCOMPARE(m_w->frame(), u"ロングソード (5/5)"_s);
        QCOMPARE(list()->rowCount(), 0);
        QVERIFY(!button("cmdKaizo")->isEnabled());
    }

    void replayAndPerformanceChange() {
        qint16 answer = 0;
        m_hooks.bukiSpec = [&answer](SimulatorAccess& sim) -> qint16 {
            return answer == 0 && !sim.setChangeSpace(30) ? -1 : answer;
        };
        QVERIFY(open());
        QVERIFY(m_w->win->ResetState(true));
        QVERIFY(m_w->win->setStateRecovery(u"101.999.103.x"_s));
        QCOMPARE(m_w->frame(), u"ロングソード (3/6)"_s);
        QCOMPARE(m_w->texts({"lblKaizo1", "lblSpec6"}),
                 (QStringList{u"(未登録の改造 999)"_s, u"13"_s}));

        // A new performance change at step 3 keeps the plan and recomputes it on the new base:
        // durability 10 - 50 gives 0, then -2 stays 0, +5, and the missing step changes nothing.
        m_w->click("cmdBukiSpec");
        QCOMPARE(m_w->plan(), u"101.999.103."_s);
        QCOMPARE(m_w->texts({"lblKaizo2", "lblSpec6", "lblSpec1", "lblBukiSpecChange"}),
                 (QStringList{u"耐久補強"_s, u"5"_s, u"12～27"_s, u"鍛冶 : 名匠の作"_s}));
        QCOMPARE(m_w->win->changeSpecTag(), u"30"_s);
        answer = 1;
        m_w->click("cmdBukiSpec");
        QVERIFY(m_boxes->shown.isEmpty());
        answer = 7;
        m_w->click("cmdBukiSpec");
        QCOMPARE(m_boxes->texts(),
                 QStringList{u"ダイアログの初期化に失敗しました。再度実行してください。"_s});
        QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);

        QVERIFY(m_w->win->setStateRecovery({}));
        QCOMPARE(m_w->frame(), u"ロングソード (0/6)"_s);
        QCOMPARE(m_w->text("lblJukuren"), u"-"_s);
    }

    void listKeys() {
        int bukiSpecCalls = 0;
        m_hooks.bukiSpec = [&bukiSpecCalls](SimulatorAccess&) -> qint16 {
            ++bukiSpecCalls;
            return 1;
        };
        m_w->catalogue.addProfile(u"勇者,35,10,20,30,15"_s.split(u','));
        QVERIFY(open());
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Backspace); // reset is disabled at step 0
        QTest::keyClick(list(), Qt::Key_Right);     // rows but none selected
        QCOMPARE(m_boxes->texts(), QStringList{u"選択されてなす"_s});
        list()->setCurrentRow(0);
        QTest::keyClick(list(), Qt::Key_Right, Qt::ShiftModifier);
        list()->setCurrentRow(0);
        QTest::keyClick(list(), Qt::Key_Right);
        QCOMPARE(m_w->frame(), u"ロングソード (2/6)"_s);
        QTest::keyClick(list(), Qt::Key_Left);
        QCOMPARE(m_w->frame(), u"ロングソード (1/6)"_s);
        QTest::keyClick(list(), Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(m_w->frame(), u"ロングソード (0/6)"_s);
        QTest::keyClick(list(), Qt::Key_W);
        QTest::keyClick(list(), Qt::Key_S);
        QCOMPARE(bukiSpecCalls, 1);
        QCOMPARE(m_profileCalls, 1);
        // Alt+S is the (disabled) save button's access key, never the list's status command.
        QTest::keyClick(list(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_profileCalls, 1);
    }

    void modifierRegister() {
        QVERIFY(open());
        // A modifier key's own press reports the modifier, as the platform does.
        QTest::keyPress(list(), Qt::Key_Shift);
        QCOMPARE(m_w->win->shiftState(), qint16(1));
        QTest::keyRelease(list(), Qt::Key_Shift);
        QCOMPARE(m_w->win->shiftState(), qint16(0));
        QTest::keyPress(button("cmdEnd"), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(m_w->win->shiftState(), qint16(6));
        QTest::keyPress(button("cmdEnd"), Qt::Key_A);
        QCOMPARE(m_w->win->shiftState(), qint16(0));
    }

    void gestures_data() {
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
    void gestures() {
        QFETCH(QList<int>, moves);
        QFETCH(bool, leftHeld);
        QFETCH(bool, pressAgain);
        QFETCH(int, steps);
        QVERIFY(open());
        m_w->apply(0);
        m_w->apply(0);
        QWidget* viewport = list()->viewport();
        const QPoint start(200, testsupport::rowCentre(list(), 0).y());
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
        QCOMPARE(this->steps(), qint16(steps));
    }

    void doubleClicks_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<int>("steps");
        QTest::newRow("left on a row") << Qt::LeftButton << true << 1;
        QTest::newRow("left on empty space") << Qt::LeftButton << false << 0;
        QTest::newRow("right on a row") << Qt::RightButton << true << 0;
    }
    void doubleClicks() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, onRow);
        QFETCH(int, steps);
        QVERIFY(open());
        QWidget* viewport = list()->viewport();
        testsupport::doubleClick(
            viewport,
            onRow ? testsupport::rowCentre(list(), 1) : QPoint(20, viewport->height() - 5), button);
        QCOMPARE(this->steps(), qint16(steps));
        QVERIFY(m_boxes->shown.isEmpty());
    }

    void statusFrame_data() {
        QTest::addColumn<qint16>("weapon");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("shown"); // lblAttack, lblCombat1..4, lblStaSaihin
        QTest::newRow("attack") << qint16(1) << u"勇者,35,9,20,30,15,練習,F"_s
                                << u"練習,18～30,7～17,12,52,24"_s;
        QTest::newRow("range") << qint16(4) << u"射手,10,9,45,25,25,練習,F"_s
                               << u"F,24～40,12～23,18,57,33"_s;
    }
    void statusFrame() {
        QFETCH(qint16, weapon);
        QFETCH(QString, profile);
        QFETCH(QString, shown);
        const QStringList cells = profile.split(u',');
        m_w->catalogue.addProfile(cells);
        QVERIFY(open(weapon));
        QCOMPARE(m_w->texts({"lblAttack", "lblCombat1", "lblCombat2", "lblCombat3", "lblCombat4",
                             "lblStaSaihin"}),
                 shown.split(u','));
        QCOMPARE(m_w->child<QGroupBox>("fraSta")->title(), cells[0]);
        QCOMPARE(m_w->text("lblSelEnchant"), u"エンチャント＆タイトル補正 : 使用なし"_s);
        QCOMPARE(m_w->catalogue.profiles.findKey(u"TEMP"_s), 1);
        QCOMPARE(m_w->catalogue.profiles.row(0).key, QString());

        // What the profile editor does after choosing a bonus set (cells from column 3 on): min
        // damage -20, max +3, Str +5.
        ListRow set{u"指輪"_s, u",,0,0,-20,3,0,0,5"_s.split(u','), {}, {}};
        m_w->catalogue.selectEnchantRow(m_w->catalogue.enchants.append(set));
        QVERIFY(m_w->win->insertStatus());
        QVERIFY(m_w->win->setCombatStatus(0));
        QCOMPARE(m_w->texts({"lblEnchant1", "lblEnchantStr", "lblStr", "lblSelEnchant"}),
                 (QStringList{u" (-20～+3)"_s, u" (+5)"_s, QString::number(cells[1].toInt() + 5),
                              u"エンチャント＆タイトル補正 : 指輪"_s}));
        QCOMPARE(m_w->text("lblCombat1").section(u'～', 0, 0), weapon == 1 ? u"10"_s : u"12"_s);
        QCoreApplication::sendPostedEvents();
        const QLabel* figure = m_w->child("lblCombat1");
        QCOMPARE(m_w->child("lblEnchant1")->x(), figure->x() + figure->width());
    }

    void modalRunRemovesTheWorkingCopy() {
        FakeCatalogue& catalogue = m_w->catalogue;
        catalogue.addProfile({u"勇者"_s, u"35"_s});
        bool sawCopy = false;
        testsupport::whenModal([&] {
            sawCopy = catalogue.profiles.findKey(u"TEMP"_s) >= 0;
            if (auto* win = QApplication::activeModalWidget())
                win->findChild<QPushButton*>(u"cmdEnd"_s)->click();
        });
        QCOMPARE(frmKaizo::intFormStart(catalogue, nullptr, m_hooks), qint16(0));
        QVERIFY(sawCopy);
        QCOMPARE(catalogue.profiles.count(), 1);
    }

    // A start that fails says so, shows no window and still removes the working copy.
    void failedStartIsReported() {
        m_w->catalogue.addProfile({u"勇者"_s, u"35"_s});
        simfixture::exec("DROP TABLE WORK_BUKI_DATA");
        testsupport::whenModal([] { // only if the start wrongly succeeded
            if (auto* win = QApplication::activeModalWidget())
                win->close();
        });
        QCOMPARE(frmKaizo::intFormStart(m_w->catalogue, nullptr, m_hooks), qint16(0));
        QCOMPARE(m_boxes->shown.size(), 1);
        QVERIFY(m_boxes->shown.first().text.startsWith(u"データベースの処理に失敗しました。"_s));
        QCOMPARE(m_w->catalogue.profiles.findKey(u"TEMP"_s), -1);
    }

    // Every shown weapon of the sample master starts, takes steps until nothing more is offered
    // or the slots are full, and returns to step 0, without a single message.
    void everySampleWeaponRuns() {
        storage::cnDatabase().close();
        QVERIFY(storage::cnDatabase().open(testsupport::copySampleDatabase(m_dir.path())));
        const QStringList weapons =
            testsupport::sqlRows(storage::cnDatabase().handle(),
                                 u"SELECT SEQ, BUKI_NAME FROM BUKI_MASTER WHERE HYOUJI = 1"_s);
        QVERIFY(!weapons.isEmpty() && !weapons[0].startsWith(u"error"));
        m_w->catalogue.addProfile(u"勇者,40,30,40,30,20"_s.split(u','));
        for (const QString& weapon : weapons) {
            m_w->catalogue.weaponName = weapon.section(u'|', 1);
            QVERIFY(open(qint16(weapon.section(u'|', 0, 0).toInt())));
            const qint16 max = m_w->win->simulation().maxKaisu();
            QCOMPARE(m_w->frame(), m_w->catalogue.weaponName + u" (0/%1)"_s.arg(max));
            int taken = 0;
            while (list()->rowCount() > 0 && taken < 5) {
                m_w->apply(0);
                QCOMPARE(steps(), qint16(++taken));
            }
            QCOMPARE(taken, std::min<int>(max, 5));
            QCOMPARE(planString::items(m_w->plan()).size(), taken);
            m_w->click("cmdReset");
            QCOMPARE(steps(), qint16(0));
            QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(m_boxes->texts().join(u'/')));
        }
    }
};

QTEST_MAIN(TestFrmKaizo)
#include "test_frmKaizo.moc"
