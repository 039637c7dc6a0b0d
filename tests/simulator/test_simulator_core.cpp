// The simulator without any window: the Simulation's commands on the fixture master, the bonus
// and combat arithmetic, the texts that the window, the clipboard and the saved plans share, plan
// strings and records, how the save dialog's list goes back to the settings file, and the mouse
// strokes of the modification list.

#include "simulator/ChangeCatalogue.h"
#include "simulator/ClipboardText.h"
#include "simulator/FigureTexts.h"
#include "simulator/ListGesture.h"
#include "simulator/PlanStore.h"
#include "simulator/PlanString.h"
#include "simulator/Simulation.h"
#include "storage/Cp932.h"
#include "storage/Database.h"
#include "support/FixtureMaster.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using ParsedRecord = planStore::ParsedRecord;

Q_DECLARE_METATYPE(ShownFigures)

namespace {

// Figures as space-separated numbers, ranges as the window writes them.
QString text(const workTable::StepFigures& f) {
    QStringList all;
    for (double v : {f.minDamage, f.maxDamage, f.minWounds, f.maxWounds, f.critical, f.balance,
                     f.range, f.taikyu, f.exp, f.cost})
        all << figureTexts::number(v);
    return all.join(u' ');
}
QString text(const combatCalc::Combat& c) {
    using namespace figureTexts;
    return QStringList{range(c.minDamage, c.maxDamage), range(c.minWounds, c.maxWounds),
                       number(c.critical), number(c.balance), number(c.saihin)}
        .join(u' ');
}

const Profile kHero{u"勇者"_s, u"35"_s, u"9"_s, u"20"_s, u"30"_s, u"15"_s, u"練習"_s, u"F"_s};
const BonusChoice kNoSet{u"使用なし"_s, std::nullopt};

// The worked example: ロングソード after 攻撃強化 and 耐久強化, on the ordinary change.
const ShownFigures kExample{u"45"_s,
                            u"12,300"_s,
                            u"ロングソード"_s,
                            5,
                            {u"攻撃強化"_s, u"耐久強化"_s, {}, {}, {}},
                            u"12～25"_s,
                            u"1～3"_s,
                            u"18"_s,
                            u"45"_s,
                            u"0"_s,
                            u"15"_s,
                            u"(150)"_s,
                            u"鍛冶 : 名匠の作"_s,
                            23};

} // namespace

class TestSimulatorCore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    storage::Connection m_db;
    std::optional<Simulation> m_sim;

    void start(qint32 weapon, const std::optional<Profile>& profile = {}) {
        m_sim.emplace(m_db);
        QCOMPARE(m_sim->start({weapon, u"剣"_s}, profile, kNoSet), Simulation::Status::Ok);
    }
    void sql(const char* statement) { testsupport::sqlExec(m_db.handle(), statement); }
    QString figures(qint16 kaisu) const { return text(m_sim->figures(kaisu)->weapon); }
    // Item i of the plan is the SEQ of slot i - 1, and there are as many as steps in the table.
    void verifyPlanMatchesSlots() {
        const QStringList items = planString::items(m_sim->plan());
        QCOMPARE(m_sim->stepCount(), qint16(items.size()));
        for (int i = 0; i < Simulation::MaxSteps; ++i) {
            const StepSlot& slot = m_sim->stepSlots()[std::size_t(i)];
            QCOMPARE(slot.seq, items.value(i).toInt());
            QCOMPARE(slot.name.isEmpty(), i >= items.size());
        }
    }

private slots:
    void init() { testsupport::openFixtureMaster(m_db, m_dir.filePath(u"master.db"_s)); }

    void replay_data() {
        QTest::addColumn<int>("weapon");
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("applied"); // "=" the whole plan
        QTest::addColumn<QString>("last");    // the figures of the last step
        const auto row = [](const char* name, int weapon, int change, const char* plan,
                            const char* applied, const char* last) {
            QTest::newRow(name) << weapon << change << QString::fromLatin1(plan)
                                << QString::fromLatin1(applied) << QString::fromLatin1(last);
        };
        row("clamped at 0, then on from 0", 1, 23, "102.103.", "=", "10 20 5 15 10 50 0 5 10 1000");
        row("every figure clamped at 0", 9, 23, "902.900.", "=", "10 20 10 20 10 40 0 20 0 0");
        row("a step equal to the state adds", 9, 23, "900.", "=", "20 40 20 40 20 80 0 40 0 0");
        row("a change below 0 gives 0", 1, 30, "", "=", "12 24 5 15 13 0 0 0 0 0");
        row("an unknown change adds nothing", 1, 0, "101.", "=", "10 23 5 15 10 50 0 8 10 12500");
        row("a SEQ the master lacks", 1, 23, "101.999.103.", "=", "10 23 5 15 10 50 0 13 15 13500");
        row("five steps at most", 1, 23, "103.103.103.103.103.103.", "103.103.103.103.103.",
            "10 20 5 15 10 50 0 35 25 5000");
        row("a broken item ends it", 1, 23, "101.x.103.", "101.", "10 23 5 15 10 50 0 8 10 12500");
    }
    void replay() {
        QFETCH(int, weapon);
        QFETCH(int, change);
        QFETCH(QString, plan);
        QFETCH(QString, applied);
        QFETCH(QString, last);
        start(weapon);
        QVERIFY(m_sim->apply({103, u"耐久補強"_s, {}, 0, {}}).ok()); // a replay starts at step 0
        const Simulation::Result result = m_sim->replayOn(change, plan);
        QVERIFY(result.ok());
        QCOMPARE(m_sim->plan(), applied == u"=" ? plan : applied);
        QCOMPARE(result.kaisu, qint16(planString::items(m_sim->plan()).size()));
        verifyPlanMatchesSlots();
        QCOMPARE(figures(result.kaisu), last);
    }

    void commands() {
        for (const auto& [weapon, caption, melee] :
             {std::tuple(2, u"剣 (0/5)"_s, true), std::tuple(3, u"剣 (0/0)"_s, true),
              std::tuple(4, u"剣 (0/0)"_s, false)}) {
            start(weapon);
            QCOMPARE(m_sim->frameCaption(0), caption);
            QCOMPARE(m_sim->melee(), melee);
        }
        start(1);
        QCOMPARE(m_sim->frameCaption(0), u"剣 (0/6)"_s);
        QCOMPARE(m_sim->change().caption, u"一般 : 一般品"_s);
        // Without a character the combat figures are the weapon's own.
        QVERIFY(!m_sim->status());
        QCOMPARE(text(m_sim->figures(0)->combat), u"10～20 5～15 10 50 15"_s);
        QStringList offered;
        const std::vector<Modification> atZero = m_sim->offered(0).value();
        for (const Modification& m : atZero)
            offered
                << u"%1|%2|%3|%4|%5"_s.arg(m.seq).arg(m.name, m.exp).arg(m.cost).arg(m.description);
        QCOMPARE(offered, QStringList({u"101|攻撃強化|10|12500|最大ダメージ+3　耐久-2　"_s,
                                       u"102|耐久削り|5|0|耐久-20　"_s,
                                       u"103|耐久補強|5|1000|耐久+5　特殊効果"_s,
                                       u"104|見た目変更|0|0|外見が変わる"_s}));
        QCOMPARE(m_sim->offered(1)->size(), std::size_t(5)); // 105 from step 1 on

        QCOMPARE(m_sim->apply(atZero[0]).kaisu, qint16(1));
        QCOMPARE(m_sim->stepSlots()[0],
                 (StepSlot{u"攻撃強化"_s, u"( 最大ダメージ+3　耐久-2　)"_s, 101}));
        QVERIFY(m_sim->apply(atZero[2]).ok());
        QCOMPARE(m_sim->undo().kaisu, qint16(1));
        QCOMPARE(m_sim->plan(), u"101."_s);
        verifyPlanMatchesSlots();
        QVERIFY(m_sim->undo().ok());
        QCOMPARE(m_sim->undo().status, Simulation::Status::AtStepZero);
        for (int i = 0; i < 5; ++i)
            QVERIFY(m_sim->apply(atZero[3]).ok());
        const Simulation::Result full = m_sim->apply(atZero[3]);
        QVERIFY(full.status == Simulation::Status::SlotsFull && full.kaisu == 5);
        QCOMPARE(m_sim->plan(), u"104.104.104.104.104."_s);
        // The performance change command replays the simulation's own plan on the new base.
        QCOMPARE(m_sim->replayOn(30, m_sim->plan()).kaisu, qint16(5));
        QCOMPARE(m_sim->change().caption, u"鍛冶 : 名匠の作"_s);

        QCOMPARE(m_sim->replayOn(23, u"101.999."_s).kaisu, qint16(2));
        QCOMPARE(m_sim->stepSlots()[1], (StepSlot{u"(未登録の改造 999)"_s, u"( )"_s, 999}));
        QCOMPARE(m_sim->replayOn(0, {}).kaisu, qint16(0));
        QCOMPARE(std::pair(m_sim->change().seq, m_sim->change().found), std::pair(23, false));
        QVERIFY(m_sim->apply(atZero[0]).ok());
        QCOMPARE(m_sim->reset().kaisu, qint16(0));
        verifyPlanMatchesSlots();
        QCOMPARE(figures(0), u"10 20 5 15 10 50 0 10 0 0"_s);
    }

    // A command whose statements fail leaves the simulation exactly as it was.
    void failedCommandsChangeNothing() {
        start(1, kHero);
        QVERIFY(m_sim->replayOn(30, u"101.103."_s).ok());
        const auto state = [this] {
            return std::tuple(m_sim->plan(), m_sim->stepSlots(), m_sim->change().caption,
                              figures(0), figures(2), m_sim->status()->rank);
        };
        const auto before = state();
        sql("ALTER TABLE KAIZO_MASTER RENAME TO GONE");
        QCOMPARE(m_sim->apply({101, {}, {}, 0, {}}).status, Simulation::Status::DatabaseFailed);
        QCOMPARE(m_sim->replayOn(23, u"101."_s).status, Simulation::Status::DatabaseFailed);
        QCOMPARE(state(), before);
        sql("ALTER TABLE GONE RENAME TO KAIZO_MASTER; ALTER TABLE BUKI_MASTER RENAME TO GONE");
        QCOMPARE(m_sim->reset().status, Simulation::Status::DatabaseFailed);
        QCOMPARE(state(), before);
        sql("ALTER TABLE GONE RENAME TO BUKI_MASTER; ALTER TABLE LANK_MASTER RENAME TO GONE");
        QCOMPARE(m_sim->setStatus(kHero, u"1"_s, kNoSet), Simulation::Status::DatabaseFailed);
        QCOMPARE(state(), before);
    }

    // The working copy, the rank of the weapon's skill and the bonus set become the bonus row.
    void status() {
        start(4, Profile{u"射手"_s, u"10"_s, u"9"_s, u"45"_s, u"25"_s, u"25"_s, u"練習"_s, u"F"_s});
        QCOMPARE(m_sim->status()->rank, u"F"_s); // a ranged weapon uses レンジ
        // Bonus 11.5, 16, 2, 3, 3, 11.75: wound rates 2.5 become 2 in both terms.
        QCOMPARE(text(m_sim->figures(0)->combat), u"24～40 12～23 18 57 33"_s);

        start(1, kHero);
        const StatusFigures& s = *m_sim->status();
        QCOMPARE(QStringList({s.name, s.stats.str, s.combatType, s.rank, s.bonusSetName}),
                 QStringList({u"勇者"_s, u"35"_s, u"アタック"_s, u"練習"_s, u"使用なし"_s}));
        // Bonus 7.5, 10, 2, 2, 2.5, 2.5; the rank has no row and adds nothing.
        QCOMPARE(text(m_sim->figures(0)->combat), u"18～30 7～17 12 52 24"_s);

        BonusSet ring;
        ring.minDamage = u"-20"_s;
        ring.maxDamage = u"3"_s;
        ring.str = u"5"_s;
        QCOMPARE(m_sim->setStatus(kHero, u"1"_s, {u"指輪"_s, ring}), Simulation::Status::Ok);
        const StatusFigures& t = *m_sim->status();
        QCOMPARE(QStringList({t.stats.str, t.marks.damage, t.marks.str, t.rank, t.bonusSetName}),
                 QStringList({u"40"_s, u" (-20～+3)"_s, u" (+5)"_s, u"1"_s, u"指輪"_s}));
        // Rank 1 adds 2, 3 and balance 4; the set's -20 stops the minimum damage bonus at 0.
        QCOMPARE(text(m_sim->figures(0)->combat), u"10～38 7～17 12 56 26"_s);
        QCOMPARE(bonusCalc::valueText(bonusCalc::bonus(1, {5, 5, 5, 5}, {}, {})),
                 u"0,0,0,0,0,0,0 "_s);
    }

    void marksAndTotals() {
        BonusSet set;
        set.critical = u"-2.5"_s;
        set.minDamage = u"1.5"_s;
        set.str = u"3"_s;
        set.dex = u"x"_s;
        set.luck = u"-1"_s;
        const bonusCalc::BonusValues values = bonusCalc::values(set);
        const bonusCalc::Marks m = bonusCalc::marks(values);
        QCOMPARE(QStringList({m.critical, m.balance, m.damage, m.wounds, m.str, m.dex, m.luck}),
                 QStringList({u" (-2)"_s, {}, u" (+2～+0)"_s, {}, u" (+3)"_s, {}, u" (-1)"_s}));
        // No number reads 0, and so does one too large for a double.
        const Profile p{{}, u"35"_s, {}, u"abc"_s, u"1e999"_s, u"20.5"_s, {}, {}};
        const bonusCalc::Totals t = bonusCalc::totals(p, values);
        QCOMPARE(QStringList({t.str, t.dex, t.will, t.luck}),
                 QStringList({u"38"_s, u"0"_s, u"0"_s, u"19.5"_s}));
        QCOMPARE(bonusCalc::stats(t).luck, qint16(20)); // read back, ties to even
    }

    void combat_data() {
        QTest::addColumn<QList<double>>("sums");
        QTest::addColumn<QString>("shown"); // damage, wounds, critical, balance, mode value
        const auto row = [](const char* name, QList<double> sums, const char* shown) {
            QTest::newRow(name) << sums << QString::fromUtf8(shown);
        };
        row("10.5 to even", {10, 11, 0, 0, 0, 50}, "10～11 0～0 0 50 10");
        row("11.5 to even", {10, 13, 0, 0, 0, 50}, "10～13 0～0 0 50 12");
        row("8.85", {5, 16, 0, 0, 0, 35}, "5～16 0～0 0 35 9");
        row("sums round half to even", {2.5, 3.5, 0.5, 1.5, 12.5, 52.5}, "2～4 0～2 12 52 3");
        row("limits", {5, 16.5, 130.4, 130, 140, 92}, "5～16 100～100 140 80 14");
        row("min above max", {20, 15, 0, 0, 0, 80}, "20～15 0～0 0 80 20");
        row("past 16 bits", {40000, 60000, 0, 0, 0, 50}, "40000～60000 0～0 0 50 50000");
    }
    void combat() {
        QFETCH(QList<double>, sums);
        QFETCH(QString, shown);
        QCOMPARE(text(combatCalc::fromSums({sums[0], sums[1], sums[2], sums[3], sums[4], sums[5]})),
                 shown);
    }

    void texts_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<ShownFigures>("shown");
        QTest::addColumn<QString>("expected");
        const QString figures = u"ダメージ12-25　クリティカル18　バランス45　耐久15"_s;
        const auto with = [](const std::function<void(ShownFigures&)>& change) {
            ShownFigures shown = kExample;
            change(shown);
            return shown;
        };
        const ShownFigures changed = with([](ShownFigures& s) { s.changeSeq = 30; });
        QTest::newRow("steps") << "steps" << kExample << u"45式ロングソード 攻撃強化→耐久強化"_s;
        QTest::newRow("figures") << "figures" << kExample << u"45式ロングソード　"_s + figures;
        QTest::newRow("summary") << "summary" << kExample
                                 << u"○費用12,300\r\n○攻撃強化→耐久強化\r\n○"_s + figures +
                                        u"\r\n○バランス80％達成DEX 150"_s;
        QTest::newRow("saved figures")
            << "spec" << kExample << u"12～25 クリティカル18 バランス45 耐久15"_s;
        QTest::newRow("saved proficiency") << "jukuren" << kExample << u"45"_s;
        QTest::newRow("figures, performance change")
            << "figures" << changed << u"鍛冶 : 名匠の作45式ロングソード　"_s + figures;
        QTest::newRow("saved proficiency, performance change")
            << "jukuren" << changed << u"鍛冶 : 名匠の作45"_s;
        QTest::newRow("summary, one step, cost 0, negative Dex")
            << "summary" << with([](ShownFigures& s) {
                   s.cost.clear();
                   s.balanceTassei = u"(-10)"_s;
                   s.steps = {u"a"_s, {}, {}, {}, {}};
               })
            << u"○費用\r\n○a\r\n○"_s + figures + u"\r\n○バランス80％達成DEX -10"_s;
        QTest::newRow("an empty slot ends the steps") << "steps" << with([](ShownFigures& s) {
            s.steps = {u"a"_s, {}, u"c"_s, {}, {}};
        }) << u"45式ロングソード a"_s;
        QTest::newRow("no step past the weapon's last") << "steps" << with([](ShownFigures& s) {
            s.maxKaisu = 2;
            s.steps = {u"a"_s, u"b"_s, u"c"_s, {}, {}};
        }) << u"45式ロングソード a→b"_s;
    }
    void texts() {
        QFETCH(QString, kind);
        QFETCH(ShownFigures, shown);
        QFETCH(QString, expected);
        const QHash<QString, QString (*)(const ShownFigures&)> build = {
            {u"steps"_s, clipboardText::planSteps},
            {u"figures"_s, clipboardText::weaponFigures},
            {u"summary"_s, clipboardText::weaponSummary},
            {u"spec"_s, planStore::specText},
            {u"jukuren"_s, planStore::jukurenText}};
        QCOMPARE(build.value(kind)(shown), expected);
    }

    void shownFigures() {
        QStringList tassei;
        for (double balance : {50, 80, 85})
            tassei << figureTexts::balanceTassei({0, 0, 0, 0, 0, balance});
        QCOMPARE(tassei, QStringList({u"(130)"_s, u"(10)"_s, u"(-10)"_s}));
        const workTable::StepFigures spent{0, 0, 0, 0, 0, 0, 0, 0, 10, 12500};
        // The base row carries 0, yet step 0 shows "-"; a cost of 0 shows nothing.
        QCOMPARE(figureTexts::jukuren({0, spent, {}}) + figureTexts::cost({0, spent, {}}), u"--"_s);
        QCOMPARE(figureTexts::jukuren({1, spent, {}}) + u' ' + figureTexts::cost({1, spent, {}}),
                 u"10 12,500"_s);
        QCOMPARE(figureTexts::cost({1, {}, {}}), QString());
    }

    void modificationList() {
        const QString blue = u"<Font Color=\"#555a88\">  "_s;
        QCOMPARE(
            clipboardText::modificationList(m_db, 1)->split(u"\r\n"_s),
            QStringList({u"攻撃強化  0-5   10   12,500"_s + blue +
                             u"最大ダメージ+3</font><Font Color=\"#885555\">  耐久-2</font>  "_s,
                         u"耐久削り  0-5    5         <Font Color=\"#885555\">  耐久-20</font>  "_s,
                         u"耐久補強  0-5    5    1,000"_s + blue + u"耐久+5</font>  特殊効果"_s,
                         u"見た目変更  0-5    0           外見が変わる"_s,
                         u"バランス調整  1-5   20    3,000"_s + blue + u"クリティカル+1</font>"_s +
                             blue + u"バランス+5</font>  "_s,
                         QString()}));
        QCOMPARE(clipboardText::modificationList(m_db, 3), std::optional(QString()));
        sql("DROP TABLE KAIZO_MASTER");
        QCOMPARE(clipboardText::modificationList(m_db, 1), std::nullopt);
    }

    // Categories in the order of their first change; hidden changes and empty categories left out.
    void changeGroups() {
        sql("INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL,"
            " BLANCE, TAIKYU, HYOUJI, SORT_NO) VALUES (24, '粗悪品', '一般', -1, -2, 0, 0, -5, 1, "
            "3),"
            " (31, '業物', '鍛冶', 1, 2, 1, 0, 0, 1, 0), (32, '試作品', '鍛冶', 0, 0, 0, 0, 0, 0, "
            "4),"
            " (40, '封印品', '封印', 9, 9, 9, 9, 9, 0, 5)");
        QStringList shown;
        const std::vector<ChangeGroup> groups = changeCatalogue::groups(m_db).value();
        for (const ChangeGroup& group : groups) {
            for (const ChangeEntry& e : group.entries)
                shown << QStringList{group.name, e.name, e.damage, e.critical, e.balance, e.taikyu}
                             .join(u' ');
        }
        QCOMPARE(shown, QStringList({u"鍛冶 業物 1～2 1 0 0"_s, u"鍛冶 名匠の作 2～4 3 -60 -50"_s,
                                     u"一般 一般品 0～0 0 0 0"_s, u"一般 粗悪品 -1～-2 0 0 -5"_s}));
        QCOMPARE(groups[0].entries[1].seq, 30);
        sql("DROP TABLE CHANGE_SPEC_MASTER");
        QCOMPARE(changeCatalogue::groups(m_db), std::nullopt);
    }

    void planStrings_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("seqs"); // as parsed; "!" invalid, "+" truncated
        QTest::addColumn<QString>("firstTwo");
        const auto row = [](const char* name, const char* plan, const char* seqs, const char* two) {
            QTest::newRow(name) << QString::fromLatin1(plan) << QString::fromLatin1(seqs)
                                << QString::fromLatin1(two);
        };
        row("empty", "", "", "");
        row("three", "12.57.3.", "12 57 3", "12.57.");
        row("text after the last dot", "12.57.3.99", "12 57 3", "12.57.");
        row("more than five", "1.2.3.4.5.6.7.", "1 2 3 4 5+", "1.2.");
        row("not a number", "12.abc.3.", "12!", "12.abc.");
        row("empty item", "12..3.", "12!", "12..");
        row("past 32 bits", "12.3000000000.3.", "12!", "12.3000000000.");
        row("negative", "-4.", "-4", "-4.");
    }
    void planStrings() {
        QFETCH(QString, plan);
        QFETCH(QString, seqs);
        QFETCH(QString, firstTwo);
        const planString::Parsed parsed = planString::parse(plan, Simulation::MaxSteps);
        QStringList numbers;
        for (qint32 seq : parsed.seqs)
            numbers << QString::number(seq);
        QCOMPARE(numbers.join(u' ') + (parsed.invalid ? u"!"_s : u""_s) +
                     (parsed.truncated ? u"+"_s : u""_s),
                 seqs);
        QCOMPARE(planString::cut(plan, 2), firstTwo);
    }

    void planRecords_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("seq");
        QTest::addColumn<QString>("plan");
        QTest::newRow("steps") << u"23 12.57.3."_s << int(ParsedRecord::Ok) << 23 << u"12.57.3."_s;
        QTest::newRow("no steps") << u"30 "_s << int(ParsedRecord::Ok) << 30 << QString();
        QTest::newRow("first space") << u"30 1. 2."_s << int(ParsedRecord::Ok) << 30 << u"1. 2."_s;
        QTest::newRow("no space") << u"12.57."_s << int(ParsedRecord::NoSpace) << 0 << QString();
        for (const QString& broken :
             {u"abc 12."_s, u"23x 12."_s, u" 23 12."_s, u"\t23 12."_s, u"3000000000 12."_s})
            QTest::addRow("broken \"%s\"", qPrintable(broken))
                << broken << int(ParsedRecord::Broken) << 0 << QString();
    }
    void planRecords() {
        QFETCH(QString, data);
        QFETCH(int, status);
        QFETCH(int, seq);
        QFETCH(QString, plan);
        const ParsedRecord parsed = planStore::parseRecord(data);
        QCOMPARE(int(parsed.status), status);
        if (status == ParsedRecord::Ok) {
            QCOMPARE(parsed.changeSeq, seq);
            QCOMPARE(parsed.plan, plan);
            QCOMPARE(planStore::record(seq, plan), data);
        }
    }

    // What the save and load dialog writes back when it closes.
    void writeBack() {
        using enum planStore::WriteBack;
        const planStore::WriteBack expected[2][3][2] = {
            // Confirmed, Cancelled, Closed; each without, then with deleted rows.
            {{RowsAndNewPlan, RowsAndNewPlan}, {Nothing, Rows}, {Nothing, Nothing}}, // save
            {{Nothing, Rows}, {Nothing, Rows}, {Nothing, Nothing}}};                 // load
        for (int mode = 0; mode < 2; ++mode) {
            for (int outcome = 0; outcome < 3; ++outcome) {
                for (bool deleted : {false, true})
                    QCOMPARE(planStore::writeBack(planStore::Mode(mode),
                                                  planStore::Outcome(outcome), deleted),
                             expected[mode][outcome][deleted]);
            }
        }
    }

    // The keys a save writes, in their order; numbers above the new count stay as they were.
    void planFile() {
        const QString path = m_dir.filePath(u"zelnoa.ini"_s);
        const QByteArray system = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n";
        testsupport::writeBytes(path, system);
        storage::SettingsFile settings(path);
        const planStore::Plan a{u"A式"_s, u"sa"_s, u"da"_s, u"23 101."_s};
        const planStore::Plan b{u"B式"_s, u"sb"_s, u"db"_s, u"30 102."_s};
        QVERIFY(planStore::write(settings, 12, {a}, &b).saved);
        QCOMPARE(testsupport::readBytes(path),
                 system +
                     storage::cp932Encode(u"[WEAPON12]\r\nName1=A式\r\nSpec1=sa\r\nDate1=da\r\n"
                                          u"Data1=23 101.\r\nCount=2\r\nName2=B式\r\n"
                                          u"Data2=30 102.\r\nSpec2=sb\r\nDate2=db\r\n"_s));
        QVERIFY(planStore::write(settings, 12, {b}).saved);
        QCOMPARE(planStore::read(settings, 12)[0].data, u"30 102."_s);
        QCOMPARE(settings.value(u"WEAPON12"_s, u"Name2"_s), u"B式"_s);
        // A count above the plans stored reads empty plans; one that is no number, none.
        QVERIFY(settings.setValue(u"WEAPON12"_s, u"Count"_s, u"3"_s));
        QCOMPARE(planStore::read(settings, 12).back().name, QString());
        QVERIFY(settings.setValue(u"WEAPON12"_s, u"Count"_s, u"abc"_s));
        QVERIFY(planStore::read(settings, 12).empty());
        QCOMPARE(planStore::dateText(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3))),
                 u"2024/03/05 9:07:03"_s);
    }

    void gestures_data() {
        // In pixels: L, R, O press left, right or another button on a row (l, r, o off the rows)
        // at x; m moves with the right button held alone, M with another one too; u releases.
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("action"); // of the last release
        QTest::addColumn<bool>("applies");
        const auto row = [](const char* events, ListGesture::Action action, bool applies) {
            QTest::newRow(events) << QString::fromLatin1(events) << int(action) << applies;
        };
        using enum ListGesture::Action;
        row("R0 m-6 u", None, false); // 90 twips
        row("R0 m-3 m-7 u", Undo, false);
        row("R0 m-7 m-12 u", Undo, false);
        row("R0 m-7 m1 m-7 u", Reset, false);
        row("R0 m-7 m0 m-7 u", Undo, false); // not back past the start
        row("R0 M-7 M1 M-7 u", None, false);
        row("R0 m-7 o-7 u", None, false); // any press starts over
        row("R0 m-7 u u", None, false);
        row("L5", None, true);
        row("l5", None, false);
        row("R5", None, false);
        row("r5", None, false);
        row("O5", None, false);
    }
    void gestures() {
        QFETCH(QString, events);
        QFETCH(int, action);
        QFETCH(bool, applies);
        ListGesture gesture;
        ListGesture::Action last = ListGesture::Action::None;
        for (const QString& e : events.split(u' ')) {
            const char kind = e[0].toLatin1();
            const char button = char(std::toupper(kind));
            if (button == 'M')
                gesture.move(e.mid(1).toInt(), kind == 'm');
            else if (kind == 'u')
                last = gesture.release();
            else
                gesture.press(button == 'L'   ? ListGesture::Button::Left
                              : button == 'R' ? ListGesture::Button::Right
                                              : ListGesture::Button::Other,
                              e.mid(1).toInt(), std::isupper(kind));
        }
        QCOMPARE(int(last), action);
        QCOMPARE(gesture.doubleClickApplies(), applies);
    }
};

QTEST_GUILESS_MAIN(TestSimulatorCore)
#include "test_simulator_core.moc"
