// The simulator window, the performance change dialog and the plan dialog, driven like a user on
// the fixture master, with a catalogue without a window, the clipboard behind a fake and the
// settings file in the test's folder.

#include "simulator/Clipboard.h"
#include "simulator/frmKaizo.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/FakeCatalogue.h"
#include "support/FixtureMaster.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/ReportList.h"

#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using testsupport::child;
using testsupport::playInModal;
using testsupport::texts;
using Kind = frmBukiSpec::Outcome::Kind;

namespace {

// Keeps what is placed; a refusing clipboard keeps nothing, as one held by another program.
class FakeClipboard : public clipboard::Access {
public:
    FakeClipboard() { clipboard::setAccess(this); }
    ~FakeClipboard() override { clipboard::setAccess(nullptr); }
    void clear() override { m_text.clear(); }
    void setText(const QString& text) override { m_text = refuse ? QString() : text; }
    QString text() const override { return m_text; }
    bool refuse = false;

private:
    QString m_text;
};

const QString kNotSelected = u"選択されてなす"_s;

QString inUse(const QString& name) {
    return name + u"は使われている名前です。既存の項目を上書きしますか？"_s;
}

} // namespace

class TestSimulatorWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    storage::Connection m_db;
    std::optional<storage::SettingsFile> m_settings;
    std::optional<testsupport::FakeCatalogue> m_catalogue;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;
    frmKaizo::Dialogs m_dialogs;
    std::unique_ptr<frmKaizo> m_window;

    frmKaizo& open() {
        m_window = std::make_unique<frmKaizo>(nullptr, storage::Stores{m_db, *m_settings},
                                              *m_catalogue, m_dialogs);
        if (!m_window->prepare())
            qFatal("the simulator did not start");
        m_window->show();
        return *m_window;
    }
    ReportList* list() const { return child<ReportList>(m_window.get(), u"lvwKaizo"_s); }
    void click(const QString& button) { child<QPushButton>(m_window.get(), button)->click(); }
    // Makes the list row current and applies it with the arrow key.
    void apply(int row) {
        list()->setCurrentRow(row);
        QTest::keyClick(list(), Qt::Key_Right);
    }
    qint16 steps() const { return m_window->simulation().stepCount().value_or(-1); }
    // Which of the buttons that need an applied step are enabled.
    QString stepButtons() const {
        QString enabled;
        for (const char* name : {"cmdBack", "cmdReset", "cmdClipKaizo", "cmdBukiClip", "cmdSave"})
            enabled += child(m_window.get(), QLatin1StringView(name))->isEnabled() ? u'+' : u'-';
        return enabled;
    }

private slots:
    void init() {
        testsupport::openFixtureMaster(m_db, m_dir.filePath(u"master.db"_s));
        testsupport::writeBytes(m_dir.filePath(u"zelnoa.ini"_s), {});
        m_settings.emplace(m_dir.filePath(u"zelnoa.ini"_s));
        m_catalogue.emplace();
        m_boxes.emplace();
        m_dialogs = {[](QWidget*, storage::Connection&, qint32) { return frmBukiSpec::Outcome{}; },
                     [](QWidget*, storage::Connection&, const frmProfile::StatusInput&) {
                         return std::optional<frmProfile::StatusChoice>();
                     }};
    }
    void cleanup() {
        m_window.reset();
        m_boxes.reset();
    }

    void stepsByKeysAndMouse() {
        frmKaizo& w = open();
        QCOMPARE(w.windowTitle(), u"武器改造 - ロングソード"_s);
        QCOMPARE(
            texts(&w,
                  u"fraBukiSpac lblJukuren lblCost lblSpec1 lblBalanceTassei lblBukiSpecChange"_s),
            u"ロングソード (0/6)|-|-|10～20|(130)|一般 : 一般品"_s);
        QCOMPARE(list()->toolTip(), u"ダブルクリックで選択できます。"_s);
        QCOMPARE(testsupport::rows(list(), 4),
                 QStringList({u"攻撃強化|10|12,500|最大ダメージ+3　耐久-2　"_s,
                              u"耐久削り|5||耐久-20　"_s, u"耐久補強|5|1,000|耐久+5　特殊効果"_s,
                              u"見た目変更|0||外見が変わる"_s}));
        // Without a profile there is no status to show or change.
        QVERIFY(child(&w, u"fraSta"_s)->isHidden() && !child(&w, u"cmdMod"_s)->isEnabled());
        QCOMPARE(stepButtons(), u"-----"_s);

        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Right); // rows, but none selected
        apply(0);
        QCOMPARE(texts(&w, u"fraBukiSpac lblKaizo0 lblKaizoNaiyo0 lblJukuren lblCost"_s),
                 u"ロングソード (1/6)|攻撃強化|( 最大ダメージ+3　耐久-2　)|10|12,500"_s);
        QCOMPARE(stepButtons(), u"+++++"_s);
        testsupport::doubleClick(list()->viewport(), testsupport::rowCentre(list(), 3));
        QCOMPARE(steps(), qint16(2));
        // A right stroke to the left undoes a step.
        QWidget* viewport = list()->viewport();
        const QPoint start(200, testsupport::rowCentre(list(), 0).y());
        QTest::mousePress(viewport, Qt::RightButton, {}, start);
        QTest::mouseMove(viewport, start - QPoint(8, 0));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, start - QPoint(8, 0));
        QCOMPARE(steps(), qint16(1));
        QTest::keyClick(list(), Qt::Key_Left);
        QCOMPARE(texts(&w, u"fraBukiSpac lblKaizo0 lblJukuren"_s), u"ロングソード (0/6)||-"_s);
        QCOMPARE(stepButtons(), u"-----"_s);
        QTest::keyClick(list(), Qt::Key_Left); // the commands of disabled buttons do nothing
        QTest::keyClick(list(), Qt::Key_Backspace);
        for (int i = 0; i < 6; ++i)
            apply(3);
        QCOMPARE(steps(), qint16(5));
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(steps(), qint16(0));
        QTest::keyClick(&w, Qt::Key_Escape); // no cancel button: Esc does not close the window
        QVERIFY(w.isVisible());
        QCOMPARE(m_boxes->texts(), QStringList({kNotSelected, u"改造手順は5段階までです。"_s}));
        QCOMPARE(m_boxes->shown[1].icon, ui::Icon::Exclamation);
    }

    void statusAndPerformanceChange() {
        const Profile hero{u"勇者"_s, u"35"_s, u"9"_s,    u"20"_s,
                           u"30"_s,   u"15"_s, u"練習"_s, u"F"_s};
        m_catalogue->profiles.assignProfiles({hero});
        m_catalogue->profileRow = 0;
        m_catalogue->bonusSets.assignSets(
            {{u"指輪"_s, u"-20"_s, u"3"_s, {}, {}, {}, {}, u"5"_s, {}, {}, {}, {}, {}, {}}});
        frmBukiSpec::Outcome change{Kind::Chosen, 30};
        QList<qint32> inForce;
        m_dialogs.bukiSpec = [&](QWidget*, storage::Connection&, qint32 seq) {
            inForce << seq;
            return change;
        };
        Profile stronger = hero;
        stronger.str = u"45"_s;
        std::optional choice = frmProfile::StatusChoice{stronger, u"1"_s, 1};
        QList<frmProfile::StatusInput> asked;
        m_dialogs.status = [&](QWidget*, storage::Connection&, const frmProfile::StatusInput& in) {
            asked << in;
            return choice;
        };
        frmKaizo& w = open();
        QCOMPARE(m_catalogue->profiles.workingCopyRow(), 1);
        QCOMPARE(
            texts(&w, u"fraSta lblCombatType lblAttack lblCombat1 lblStaSaihin lblSelEnchant"_s),
            u"勇者|アタック|練習|18～30|24|エンチャント＆タイトル補正 : 使用なし"_s);

        QTest::keyClick(list(), Qt::Key_S);
        QTest::keyClick(list(), Qt::Key_S, Qt::AltModifier); // the (disabled) save button's key
        QCOMPARE(asked.size(), 1);
        QCOMPARE(std::tuple(asked[0].working, asked[0].rankInUse, asked[0].melee,
                            asked[0].bonusSets, asked[0].bonusSetRow),
                 std::tuple(hero, u"練習"_s, true, QStringList({u"使用なし"_s, u"指輪"_s}), 0));
        QCOMPARE(m_catalogue->bonusSetRow, 1);
        QCOMPARE(m_catalogue->profiles.row(1).profile, stronger);
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
        QTest::keyClick(list(), Qt::Key_W);
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
        m_window->hide();
        playInModal(u"cmdEnd"_s);
        QCOMPARE(m_window->intFormStart(), qint16(0));
        QCOMPARE(m_catalogue->profiles.workingCopyRow(), -1);
        testsupport::sqlExec(m_db.handle(), "DROP TABLE WORK_BUKI_DATA");
        const auto opened = playInModal(u"close"_s);
        QCOMPARE(m_window->intFormStart(), qint16(0));
        QCoreApplication::processEvents();
        QVERIFY(opened->isNull());
        QCOMPARE(m_boxes->texts().last(),
                 u"データベースの処理に失敗しました。改造計算画面を開けません。"_s);
        QCOMPARE(m_catalogue->profiles.workingCopyRow(), -1);
    }

    void exportsAndSavedPlans() {
        FakeClipboard board;
        frmKaizo& w = open();
        apply(0);
        apply(2);
        QStringList copied;
        for (const QString& button :
             {u"cmdClipKaizo"_s, u"Shift"_s, u"cmdBukiClip"_s, u"cmdList"_s}) {
            // A modifier key's own press asks the next figures export for the summary, once.
            if (button == u"Shift") {
                QTest::keyPress(&w, Qt::Key_Shift);
                click(u"cmdBukiClip"_s);
                QCOMPARE(w.shiftState(), qint16(0));
            } else {
                click(button);
            }
            copied << board.text();
        }
        QCOMPARE(copied.mid(0, 3),
                 QStringList(
                     {u"15式ロングソード 攻撃強化→耐久補強"_s,
                      u"○費用13,500\r\n○攻撃強化→耐久補強\r\n○ダメージ10-23　クリティカル10"
                      u"　バランス50　耐久13\r\n○バランス80％達成DEX 130"_s,
                      u"15式ロングソード　ダメージ10-23　クリティカル10　バランス50　耐久13"_s}));
        QVERIFY(copied[3].startsWith(u"攻撃強化  0-5   10   12,500"_s));
        for (QString& text : copied)
            text.prepend(u"クリップボードにコピーしました。\r\n"
                         u"Ctrl+[V]でコピーした情報を貼り付けることが出来ます。\r\n\r\n"_s);
        QCOMPARE(m_boxes->texts(), copied);
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::None);
        board.refuse = true;
        click(u"cmdClipKaizo"_s);
        QCOMPARE(m_boxes->texts().last(),
                 u"クリップボードの初期化に失敗しました。再度実行してください。"_s);

        const auto saveTitle = playInModal(u"=試し,cmdOK"_s);
        click(u"cmdSave"_s);
        QCOMPARE(*saveTitle, u"改造データ保存"_s);
        const std::vector<planStore::Plan> saved = planStore::read(*m_settings, 1);
        QCOMPARE(saved.size(), std::size_t(1));
        QCOMPARE(saved[0].name + u'|' + saved[0].spec + u'|' + saved[0].data,
                 u"試し|10～23 クリティカル10 バランス50 耐久13|23 101.103."_s);
        click(u"cmdReset"_s);
        const auto loadTitle = playInModal(u"@0,cmdOK"_s);
        click(u"cmdLoad"_s);
        QCOMPARE(*loadTitle, u"改造データ読み出し"_s);
        QCOMPARE(texts(&w, u"fraBukiSpac lblKaizo1 lblCost"_s),
                 u"ロングソード (2/6)|耐久補強|13,500"_s);
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

    void performanceChangeList() {
        playInModal({}, [](QDialog* d) {
            auto* list = child<ReportList>(d, u"lvwSpecList"_s);
            QCOMPARE(list->toolTip(),
                     u"ダブルクリックで選択できます。空行やカテゴリ行は選択できません。"_s);
            QCOMPARE(testsupport::rows(list, 5),
                     QStringList({u"○ 一般||||"_s, u"  一般品|0～0|0|0|0"_s, u"||||"_s,
                                  u"○ 鍛冶||||"_s, u"  名匠の作|2～4|3|-60|-50"_s, u"||||"_s}));
            // Category rows are drawn grey; the change in force is preselected.
            const auto colour = [list](int row) {
                return RowColour(list->model()->index(row, 0).data(ListModel::ColourRole).toInt());
            };
            QVERIFY(colour(3) == RowColour::ButtonShadow && colour(4) == RowColour::Normal);
            QVERIFY(list->currentRow() == 4 && d->focusWidget() == list);
        });
        QCOMPARE(frmBukiSpec::intFormStartChange(nullptr, m_db, 30).kind, Kind::Cancelled);

        testsupport::sqlExec(m_db.handle(), "UPDATE CHANGE_SPEC_MASTER SET HYOUJI = 0");
        const auto opened = playInModal(u"cmdCancel"_s);
        QCOMPARE(frmBukiSpec::intFormStartChange(nullptr, m_db, 30).kind, Kind::NothingOffered);
        testsupport::sqlExec(m_db.handle(), "DROP TABLE CHANGE_SPEC_MASTER");
        QCOMPARE(frmBukiSpec::intFormStartChange(nullptr, m_db, 30).kind, Kind::Failed);
        QCoreApplication::processEvents();
        QVERIFY(opened->isNull());
    }

    void choosingAChange_data() {
        QTest::addColumn<int>("inForce");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("chosen"); // 0: cancelled
        QTest::addColumn<int>("refusals");
        const auto row = [](const char* name, int inForce, const char* steps, int chosen,
                            int refusals) {
            QTest::newRow(name) << inForce << QString::fromLatin1(steps) << chosen << refusals;
        };
        row("OK at once keeps the change in force", 30, "cmdOK", 30, 0);
        row("Enter presses OK", 23, "Enter", 23, 0);
        row("a change in force not listed: the first entry", 99, "cmdOK", 23, 0);
        row("OK on a category row, then Cancel", 23, "@3,cmdOK,cmdCancel", 0, 1);
        row("OK on a blank row, then on an entry", 23, "@2,cmdOK,@4,cmdOK", 30, 1);
        row("Esc", 23, "@4,Esc", 0, 0);
        row("close box", 23, "@4,close", 0, 0);
        row("double click on an entry", 23, "dbl4", 30, 0);
        row("double click on category and blank rows", 23, "dbl0,dbl2,cmdCancel", 0, 0);
        row("double click below the rows", 30, "dbl-,cmdCancel", 0, 0);
    }
    void choosingAChange() {
        QFETCH(int, inForce);
        QFETCH(QString, steps);
        QFETCH(int, chosen);
        QFETCH(int, refusals);
        const auto title = playInModal(steps);
        const frmBukiSpec::Outcome outcome =
            frmBukiSpec::intFormStartChange(nullptr, m_db, inForce);
        QCOMPARE(*title, u"武器性能変化"_s);
        QCOMPARE(outcome.kind, chosen ? Kind::Chosen : Kind::Cancelled);
        QCOMPARE(outcome.seq, chosen);
        QCOMPARE(m_boxes->texts(), QStringList(refusals, u"空行やカテゴリ行は選択できません。"_s));
    }

    void planDialog_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("names"); // of the three stored plans
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("answers"); // to the questions, Y or N
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("result");  // save: 0 or 1; load: the record, or "-"
        QTest::addColumn<QString>("written"); // the names in the file afterwards; "=" unchanged
        const auto row = [](const char* name, bool saving, const char* names, const char* steps,
                            const char* answers, const QStringList& messages, const char* result,
                            const char* written) {
            QTest::newRow(name) << saving << QString::fromUtf8(names) << QString::fromUtf8(steps)
                                << QString::fromLatin1(answers) << messages
                                << QString::fromUtf8(result) << QString::fromUtf8(written);
        };
        const QStringList ask{u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s};
        row("save", true, "A B C", "cmdOK", "", {}, "0", "A B C 鍛冶 : 名匠の作45式");
        row("save after a deletion: no question", true, "A B C", "@1,cmdDel,cmdOK", "", {}, "0",
            "A C 鍛冶 : 名匠の作45式");
        row("cancel after a deletion, Yes", true, "A B C", "@1,cmdDel,cmdCancel", "Y", ask, "1",
            "A C");
        row("cancel after a deletion, No", true, "A B C", "@1,cmdDel,cmdCancel", "N", ask, "1",
            "=");
        row("Esc after a deletion, Yes", true, "A B C", "@1,cmdDel,Esc", "Y", ask, "1", "A C");
        row("close box after a deletion", true, "A B C", "@1,cmdDel,close", "", {}, "1", "=");
        row("save, double click does nothing", true, "A B C", "dbl0,cmdCancel", "", {}, "1", "=");
        row("overwrite, Yes", true, "A B C", "=B,cmdOK", "Y", {inUse(u"B"_s)}, "0", "A C B");
        row("overwrite, No stays open", true, "A B C", "=B,cmdOK,cmdCancel", "N", {inUse(u"B"_s)},
            "1", "=");
        row("overwrite a name typed with blanks", true, "A B C", "=　B ,cmdOK", "Y",
            {inUse(u"B"_s)}, "0", "A C 　B");
        row("two rows of the name, Yes twice", true, "A B A", "=A,cmdOK", "YY",
            {inUse(u"A"_s), inUse(u"A"_s)}, "0", "B A");
        row("the marks of a refused overwrite are cleared", true, "A B A", "=A,cmdOK,=B,cmdOK",
            "YNY", {inUse(u"A"_s), inUse(u"A"_s), inUse(u"B"_s)}, "0", "A A B");
        row("blank name", true, "A B C", "= 　 ,cmdOK,cmdCancel", "",
            {u"名前が入力されていません。"_s}, "1", "=");
        row("a name the file cannot hold", true, "A B C", "=😀,cmdOK,cmdCancel", "",
            {u"保存できない文字が含まれています。"_s}, "1", "=");
        row("load after a deletion, Yes", false, "A B C", "@1,cmdDel,@1,cmdOK", "Y", ask, "23 3.",
            "A C");
        row("load after a deletion, No", false, "A B C", "@1,cmdDel,@1,cmdOK", "N", ask, "23 3.",
            "=");
        row("load by double click", false, "A B C", "dbl2", "", {}, "23 3.", "=");
        row("load, double click below the rows", false, "A B C", "@2,dbl-,cmdCancel", "", {}, "-",
            "=");
        row("load without a selection", false, "A B C", "cmdOK,cmdDel,cmdCancel", "",
            {kNotSelected, kNotSelected}, "-", "=");
        row("delete every plan, then cancel with Yes", false, "A B C",
            "@0,cmdDel,@0,cmdDel,@0,cmdDel,cmdDel,cmdOK,cmdCancel", "Y",
            {u"改造項目なす"_s, u"改造項目なす"_s, ask[0]}, "-", "");
    }
    void planDialog() {
        QFETCH(bool, saving);
        QFETCH(QString, names);
        QFETCH(QString, steps);
        QFETCH(QString, answers);
        QFETCH(QStringList, messages);
        QFETCH(QString, result);
        QFETCH(QString, written);
        std::vector<planStore::Plan> plans;
        for (const QString& name : names.split(u' '))
            plans.push_back({name, {}, {}, u"23 %1."_s.arg(plans.size() + 1)});
        QVERIFY(planStore::write(*m_settings, 1, plans).saved);
        const QByteArray before = testsupport::readBytes(m_settings->path());
        for (QChar answer : answers)
            m_boxes->answers << (answer == u'Y' ? ui::Answer::Yes : ui::Answer::No);
        playInModal(steps);
        QCOMPARE(saving ? QString::number(frmSaveDialog::intFormStartSave(
                              nullptr, *m_settings, 1, u"23 9."_s, {}, u"鍛冶 : 名匠の作45"_s))
                        : frmSaveDialog::intFormStartLoad(nullptr, *m_settings, 1).value_or(u"-"_s),
                 result);
        QCOMPARE(m_boxes->texts(), messages);
        QVERIFY(m_boxes->answers.isEmpty());
        QStringList shown;
        for (const planStore::Plan& plan : planStore::read(*m_settings, 1))
            shown << plan.name;
        if (written == u"=")
            QCOMPARE(testsupport::readBytes(m_settings->path()), before);
        else
            QCOMPARE(shown.join(u' '), written);
    }
};

QTEST_MAIN(TestSimulatorWindows)
#include "test_simulator_windows.moc"
