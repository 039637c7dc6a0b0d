// The simulator without any window: the Simulation's commands on the fixture master, the bonus and
// combat arithmetic, the texts the window, the clipboard and the saved plans share, plan strings
// and records, the keys a plan save writes, and the mouse strokes of the modification list.

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

#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using testsupport::addRows;

namespace {

// Figures as the window writes them, separated by blanks.
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

// While it lives, every statement of the connection that reads the table fails, as it would if
// the table were gone; the simulation held in the connection goes on. Setting an authorizer
// expires the prepared statements, so cached ones are checked again.
class HiddenTable {
public:
    HiddenTable(storage::Connection& db, const char* table)
        : m_db(db)
        , m_table(table) {
        sqlite3_set_authorizer(db.handle(), &HiddenTable::authorize, this);
    }
    ~HiddenTable() { sqlite3_set_authorizer(m_db.handle(), nullptr, nullptr); }

private:
    static int authorize(void* self, int action, const char* table, const char*, const char*,
                         const char*) {
        const bool read = action == SQLITE_READ || action == SQLITE_SELECT;
        return read && table &&
                       sqlite3_stricmp(table, static_cast<HiddenTable*>(self)->m_table) == 0
                   ? SQLITE_DENY
                   : SQLITE_OK;
    }
    storage::Connection& m_db;
    const char* m_table;
};

const Profile kHero{u"勇者"_s, u"35"_s, u"9"_s, u"20"_s, u"30"_s, u"15"_s, u"練習"_s, u"F"_s};
const BonusChoice kNoSet{u"使用なし"_s, std::nullopt};

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
    QString figures(qint16 kaisu) const { return text(m_sim->figures(kaisu)->weapon); }
    // Item i of the plan is the SEQ of slot i - 1, and the table holds as many steps.
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

    // Weapon, performance change, plan, the plan applied ("=" all of it), the last step's figures.
    void replay_data() {
        addRows({"1|23|102.103.|=|10 20 5 15 10 50 0 5 10 1000|clamped at 0, then on from 0",
                 "9|23|902.900.|=|10 20 10 20 10 40 0 20 0 0|every figure clamped at 0",
                 "9|23|900.|=|20 40 20 40 20 80 0 40 0 0|a step equal to the state adds",
                 "1|30||=|12 24 5 15 13 0 0 0 0 0|a change below 0 gives 0",
                 "1|0|101.|=|10 23 5 15 10 50 0 8 10 12500|an unknown change adds nothing",
                 "1|23|101.999.103.|=|10 23 5 15 10 50 0 13 15 13500|a SEQ the master lacks",
                 "1|23|103.103.103.103.103.103.|103.103.103.103.103.|10 20 5 15 10 50 0 35 25 5000|"
                 "five steps at most"});
    }
    void replay() {
        QFETCH(QStringList, row);
        start(row[0].toInt());
        QVERIFY(m_sim->apply({103, {}, {}, 0, {}}).ok()); // a replay starts at step 0
        const Simulation::Result result = m_sim->replayOn(row[1].toInt(), row[2]);
        QCOMPARE(m_sim->plan(), row[3] == u"=" ? row[2] : row[3]);
        QCOMPARE(result.kaisu, qint16(planString::items(m_sim->plan()).size()));
        verifyPlanMatchesSlots();
        QCOMPARE(figures(result.kaisu), row[4]);
    }

    void commands() {
        start(2);
        QCOMPARE(m_sim->frameCaption(0), u"剣 (0/5)"_s);
        start(4); // a ranged weapon without modifications
        QVERIFY(m_sim->frameCaption(0) == u"剣 (0/0)" && !m_sim->melee());
        start(1);
        QCOMPARE(m_sim->change().caption, u"一般 : 一般品"_s);
        QVERIFY(!m_sim->status()); // no character: the combat figures are the weapon's own
        QCOMPARE(text(m_sim->figures(0)->combat), u"10～20 5～15 10 50 15"_s);
        // The list rows the window shows are its own test's; here the steps they apply.
        const std::vector<Modification> atZero = m_sim->offered(0).value();
        QCOMPARE(m_sim->offered(1)->size(), atZero.size() + 1); // 105 from step 1 on
        QCOMPARE(m_sim->apply(atZero[0]).kaisu, qint16(1));
        QCOMPARE(m_sim->stepSlots()[0],
                 (StepSlot{u"攻撃強化"_s, u"( 最大ダメージ+3　耐久-2　)"_s, 101}));
        QVERIFY(m_sim->apply(atZero[2]).ok());
        QCOMPARE(m_sim->undo().kaisu, qint16(1));
        QCOMPARE(m_sim->plan(), u"101."_s);
        QVERIFY(m_sim->undo().ok());
        QCOMPARE(m_sim->undo().status, Simulation::Status::AtStepZero);
        for (int i = 0; i < 5; ++i)
            QVERIFY(m_sim->apply(atZero[3]).ok());
        QCOMPARE(m_sim->apply(atZero[3]).status, Simulation::Status::SlotsFull);
        QCOMPARE(m_sim->plan(), u"104.104.104.104.104."_s);
        QVERIFY(m_sim->replayOn(30, m_sim->plan()).ok());
        QCOMPARE(m_sim->change().caption, u"鍛冶 : 名匠の作"_s);
        QCOMPARE(m_sim->replayOn(0, u"101.999."_s).kaisu, qint16(2));
        QCOMPARE(m_sim->stepSlots()[1], (StepSlot{u"(未登録の改造 999)"_s, u"( )"_s, 999}));
        QCOMPARE(std::pair(m_sim->change().seq, m_sim->change().found), std::pair(23, false));
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
        const auto failsWithout = [&](const char* table, auto command) {
            const HiddenTable hidden(m_db, table);
            QCOMPARE(command(), Simulation::Status::DatabaseFailed);
        };
        failsWithout("KAIZO_MASTER", [&] { return m_sim->apply({101, {}, {}, 0, {}}).status; });
        failsWithout("KAIZO_MASTER", [&] { return m_sim->replayOn(23, u"101."_s).status; });
        QCOMPARE(state(), before);
        failsWithout("BUKI_MASTER", [&] { return m_sim->reset().status; });
        QCOMPARE(state(), before);
        failsWithout("LANK_MASTER", [&] { return m_sim->setStatus(kHero, u"1"_s, kNoSet); });
        QCOMPARE(state(), before);
    }

    // The working copy, the rank of the weapon's skill and the bonus set make the bonus row.
    void status() {
        start(4, Profile{u"射手"_s, u"10"_s, u"9"_s, u"45"_s, u"25"_s, u"25"_s, u"練習"_s, u"F"_s});
        QCOMPARE(m_sim->status()->rank, u"F"_s); // a ranged weapon uses レンジ
        // Bonus 11.5, 16, 2, 3, 3, 11.75: both wound rate terms of 2.5 become 2.
        QCOMPARE(text(m_sim->figures(0)->combat), u"24～40 12～23 18 57 33"_s);
        start(1, kHero);
        const StatusFigures& s = *m_sim->status();
        QCOMPARE(
            QStringList({s.name, s.stats.str, s.combatType, s.rank, s.bonusSetName}).join(u' '),
            u"勇者 35 アタック 練習 使用なし"_s);
        // Bonus 7.5, 10, 2, 2, 2.5, 2.5; the rank has no row and adds nothing.
        QCOMPARE(text(m_sim->figures(0)->combat), u"18～30 7～17 12 52 24"_s);
        const BonusSet ring{{}, u"-20"_s, u"3"_s, {}, {}, {}, {}, u"5"_s, {}, {}, {}, {}, {}, {}};
        QCOMPARE(m_sim->setStatus(kHero, u"1"_s, {u"指輪"_s, ring}), Simulation::Status::Ok);
        const StatusFigures& t = *m_sim->status();
        QCOMPARE(QStringList({t.stats.str, t.marks.damage, t.marks.str, t.rank, t.bonusSetName})
                     .join(u'|'),
                 u"40| (-20～+3)| (+5)|1|指輪"_s);
        // Rank 1 adds 2, 3 and balance 4; the set's -20 stops the minimum damage bonus at 0.
        QCOMPARE(text(m_sim->figures(0)->combat), u"10～38 7～17 12 56 26"_s);
        QCOMPARE(bonusCalc::valueText(bonusCalc::bonus(1, {5, 5, 5, 5}, {}, {})),
                 u"0,0,0,0,0,0,0 "_s);
    }

    void marksAndTotals() {
        const BonusSet set{{},     u"1.5"_s, {},     {}, {},      u"-2.5"_s, {},
                           u"3"_s, {},       u"x"_s, {}, u"-1"_s, {},        {}};
        const bonusCalc::BonusValues values = bonusCalc::values(set);
        const bonusCalc::Marks m = bonusCalc::marks(values);
        QCOMPARE(QStringList({m.critical, m.balance, m.damage, m.wounds, m.str, m.dex, m.luck})
                     .join(u'|'),
                 u" (-2)|| (+2～+0)|| (+3)|| (-1)"_s);
        // No number reads 0, and so does one too large for a double.
        const Profile p{{}, u"35"_s, {}, u"abc"_s, u"1e999"_s, u"20.5"_s, {}, {}};
        const bonusCalc::Totals t = bonusCalc::totals(p, values);
        QCOMPARE(QStringList({t.str, t.dex, t.will, t.luck}).join(u' '), u"38 0 0 19.5"_s);
        QCOMPARE(bonusCalc::stats(t).luck, qint16(20)); // read back, ties to even
    }

    // Sums of damage, wound rates, critical and balance; the figures shown and the mode value.
    void combat_data() {
        addRows({"10 11 0 0 0 50|10～11 0～0 0 50 10|10.5 to even",
                 "10 13 0 0 0 50|10～13 0～0 0 50 12|11.5 to even",
                 "5 16 0 0 0 35|5～16 0～0 0 35 9|8.85",
                 "2.5 3.5 0.5 1.5 12.5 52.5|2～4 0～2 12 52 3|sums round half to even",
                 "5 16.5 130.4 130 140 92|5～16 100～100 140 80 14|limits",
                 "20 15 0 0 0 80|20～15 0～0 0 80 20|min above max",
                 "40000 60000 0 0 0 50|40000～60000 0～0 0 50 50000|past 16 bits"});
    }
    void combat() {
        QFETCH(QStringList, row);
        const QStringList s = row[0].split(u' ');
        QCOMPARE(text(combatCalc::fromSums({s[0].toDouble(), s[1].toDouble(), s[2].toDouble(),
                                            s[3].toDouble(), s[4].toDouble(), s[5].toDouble()})),
                 row[1]);
    }

    // The worked example (ロングソード after 攻撃強化 and 耐久強化, proficiency 45, damage 12～25,
    // critical 18, balance 45, durability 15) with the change, cost, balance label, steps and the
    // weapon's step count given; then the text built and the one expected.
    void texts_data() {
        addRows(
            {"23|12,300|(150)|攻撃強化,耐久強化|5|steps|45式ロングソード 攻撃強化→耐久強化|steps",
             "23|12,300|(150)|攻撃強化,耐久強化|5|saved|"
             "12～25 クリティカル18 バランス45 耐久15|saved figures",
             "23|12,300|(150)|攻撃強化|5|proficiency|45|saved proficiency",
             "30|12,300|(150)|攻撃強化|5|proficiency|鍛冶 : 名匠の作45|saved proficiency, changed",
             "30|12,300|(150)|攻撃強化|5|figures|"
             "鍛冶 : 名匠の作45式ロングソード　ダメージ12-25　クリティカル18　バランス45　耐久15|"
             "figures, changed",
             "23||(-10)|a|5|summary|○費用\r\n○a\r\n"
             "○ダメージ12-25　クリティカル18　バランス45　耐久15\r\n○バランス80％達成DEX -10|"
             "summary, one step, cost 0",
             "23|12,300|(150)|a,,c|5|steps|45式ロングソード a|an empty slot ends the steps",
             "23|12,300|(150)|a,b,c|2|steps|45式ロングソード a→b|no step past the weapon's last"});
    }
    void texts() {
        QFETCH(QStringList, row);
        const QStringList steps = row[3].split(u',');
        const qint16 kaisu = qint16(row[4].toInt());
        const qint32 change = row[0].toInt();
        const ShownFigures shown{
            u"45"_s, row[1],  u"ロングソード"_s, kaisu,   steps,  u"12～25"_s,          QString(),
            u"18"_s, u"45"_s, QString(),         u"15"_s, row[2], u"鍛冶 : 名匠の作"_s, change};
        const QHash<QString, QString (*)(const ShownFigures&)> build = {
            {u"steps"_s, clipboardText::planSteps},
            {u"figures"_s, clipboardText::weaponFigures},
            {u"summary"_s, clipboardText::weaponSummary},
            {u"saved"_s, planStore::specText},
            {u"proficiency"_s, planStore::jukurenText}};
        QCOMPARE(build.value(row[5])(shown), row[6]);
    }

    void modificationList() {
        const QString blue = u"<Font Color=\"#555a88\">  "_s;
        const QString red = u"<Font Color=\"#885555\">  "_s;
        QCOMPARE(
            clipboardText::modificationList(m_db, 1)->split(u"\r\n"_s),
            QStringList({u"攻撃強化  0-5   10   12,500"_s + blue + u"最大ダメージ+3</font>"_s +
                             red + u"耐久-2</font>  "_s,
                         u"耐久削り  0-5    5         "_s + red + u"耐久-20</font>  "_s,
                         u"耐久補強  0-5    5    1,000"_s + blue + u"耐久+5</font>  特殊効果"_s,
                         u"見た目変更  0-5    0           外見が変わる"_s,
                         u"バランス調整  1-5   20    3,000"_s + blue + u"クリティカル+1</font>"_s +
                             blue + u"バランス+5</font>  "_s,
                         QString()}));
        QCOMPARE(clipboardText::modificationList(m_db, 3), std::optional(QString()));
        const HiddenTable hidden(m_db, "KAIZO_MASTER");
        QCOMPARE(clipboardText::modificationList(m_db, 1), std::nullopt);
    }

    // Categories in the order of their first change; hidden changes and empty categories left out.
    void changeGroups() {
        testsupport::changeFixtureMaster(
            m_db, m_dir.filePath(u"master.db"_s),
            "INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL, "
            "BLANCE, TAIKYU, HYOUJI, SORT_NO) VALUES (31, '業物', '鍛冶', 1, 2, 1, 0, 0, 1, 0), "
            "(24, '粗悪品', '一般', -1, -2, 0, 0, -5, 1, 3), (40, '封印品', '封印', 9, 9, 9, 9, 9, "
            "0, 5), (32, '試作品', '鍛冶', 0, 0, 0, 0, 0, 0, 4)");
        QStringList shown;
        for (const ChangeGroup& group :
             changeCatalogue::groups(m_db).value_or(std::vector<ChangeGroup>())) {
            for (const ChangeEntry& e : group.entries)
                shown << u"%1 %2 %3 %4 %5 %6 %7"_s.arg(group.name)
                             .arg(e.seq)
                             .arg(e.name, e.damage, e.critical, e.balance, e.taikyu);
        }
        QCOMPARE(shown,
                 QStringList({u"鍛冶 31 業物 1～2 1 0 0"_s, u"鍛冶 30 名匠の作 2～4 3 -60 -50"_s,
                              u"一般 23 一般品 0～0 0 0 0"_s, u"一般 24 粗悪品 -1～-2 0 0 -5"_s}));
        const HiddenTable hidden(m_db, "CHANGE_SPEC_MASTER");
        QCOMPARE(changeCatalogue::groups(m_db), std::nullopt);
    }

    // A plan string and the SEQs replayed of it: "!" when an item ended it, "+" when more than
    // five were cut off.
    void planStrings_data() {
        addRows({"||empty", "12.57.3.|12 57 3|three", "12.57.3.99|12 57 3|text after the last dot",
                 "1.2.3.4.5.6.7.|1 2 3 4 5+|more than five", "12.abc.3.|12!|not a number",
                 "12..3.|12!|an empty item", "12.3000000000.3.|12!|past 32 bits",
                 "-4.|-4|negative"});
    }
    void planStrings() {
        QFETCH(QStringList, row);
        const planString::Parsed parsed = planString::parse(row[0], Simulation::MaxSteps);
        QStringList seqs;
        for (qint32 seq : parsed.seqs)
            seqs << QString::number(seq);
        QCOMPARE(seqs.join(u' ') + (parsed.invalid ? u"!"_s : QString()) +
                     (parsed.truncated ? u"+"_s : QString()),
                 row[1]);
    }

    // A plan record and what it holds: the performance change and the plan, or nothing to load,
    // or broken.
    void planRecords_data() {
        addRows({"23 12.57.3.|23 12.57.3.|steps", "30 |30 |no steps",
                 "30 1. 2.|30 1. 2.|only the first space splits", "12.57.|nothing|no space",
                 "abc 12.|broken|letters", "23x 12.|broken|letters after",
                 " 23 12.|broken|a space first", "\t23 12.|broken|a tab first",
                 "3000000000 12.|broken|past 32 bits"});
    }
    void planRecords() {
        QFETCH(QStringList, row);
        const planStore::ParsedRecord parsed = planStore::parseRecord(row[0]);
        const QString held = parsed.status == planStore::ParsedRecord::Ok
                                 ? planStore::record(parsed.changeSeq, parsed.plan)
                             : parsed.status == planStore::ParsedRecord::NoSpace ? u"nothing"_s
                                                                                 : u"broken"_s;
        QCOMPARE(held, row[1]);
    }

    // The keys a save writes, in their order; keys numbered above the new count stay.
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
        QCOMPARE(planStore::read(settings, 12)[0].data + settings.value(u"WEAPON12"_s, u"Name2"_s),
                 u"30 102.B式"_s);
        // A count above the plans stored reads empty plans; one that is no number, none.
        QVERIFY(settings.setValue(u"WEAPON12"_s, u"Count"_s, u"3"_s));
        QCOMPARE(planStore::read(settings, 12).back().name, QString());
        QVERIFY(settings.setValue(u"WEAPON12"_s, u"Count"_s, u"abc"_s));
        QVERIFY(planStore::read(settings, 12).empty());
        QCOMPARE(planStore::dateText(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3))),
                 u"2024/03/05 9:07:03"_s);
    }

    // In pixels of 15 twips: L, R, O press the left, right or another button on a row (l, r, o
    // off the rows) at x; m moves with the right button held alone, M with another one too; u
    // releases. Then what the last release asks for, and whether a double click applies.
    void gestures_data() {
        addRows({"R0 m-6 u|none|-|90 twips", "R0 m-3 m-7 u|undo|-|105 twips",
                 "R0 m-7 m-12 u|undo|-|on to the left", "R0 m-7 m1 m-7 u|reset|-|left, right, left",
                 "R0 m-7 m0 m-7 u|undo|-|not back past the start",
                 "R0 M-7 M1 M-7 u|none|-|another button held",
                 "R0 m-7 o-7 u|none|-|a press starts over",
                 "R0 m-7 u u|none|-|a release ends the stroke", "L5|none|applies|left on a row",
                 "l5|none|-|left off the rows", "R5|none|-|right on a row",
                 "r5|none|-|right off the rows", "O5|none|-|another button on a row"});
    }
    void gestures() {
        QFETCH(QStringList, row);
        ListGesture gesture;
        ListGesture::Action last = ListGesture::Action::None;
        for (const QString& e : row[0].split(u' ')) {
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
        const char* actions[] = {"none", "undo", "reset"};
        QCOMPARE(QString::fromLatin1(actions[int(last)]), row[1]);
        QCOMPARE(gesture.doubleClickApplies(), row[2] == u"applies");
    }
};

QTEST_GUILESS_MAIN(TestSimulatorCore)
#include "test_simulator_core.moc"
