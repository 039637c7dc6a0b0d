// The plan search against what it stands in for. The evaluator must give the work table's
// figures bit for bit on random plans (random weapons, performance changes, profiles, bonus sets
// with fractions, and rows made to clamp), and the search's list must equal brute force over
// every plan, for every objective, with random constraints and fixed steps.

#include "bench/synthetic/SyntheticMaster.h"
#include "simulator/PlanLoader.h"
#include "simulator/PlanSearch.h"
#include "simulator/Simulation.h"
#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <bit>
#include <random>

using namespace Qt::StringLiterals;
using namespace planSearch;

namespace {

constexpr unsigned kSeed = 20240611;

// Rows the shipped masters lack: negative EXP and COST, a step that takes every figure below 0,
// fractions the table keeps, and a performance change with fractions.
const char kHandMade[] = R"(
INSERT INTO KAIZO_MASTER (SEQ, KAIZO_NAME, BUKI_SEQ, KAISU_S, KAISU_E, SORT_NO, MIN_DAMAGE,
    MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE, RANGE, TAIKYU, EXP, COST, ETC) VALUES
    (9001, '返金', 2, 0, 4, 15, 0, 0, 0, 0, 0, 0, 0, 0, -60, -9000, NULL),
    (9002, '大破', 2, 1, 4, 20, -40, -40, -40, -40, -40, -90, -5, -30, 0, 100, NULL),
    (9003, '微調整', 3, 0, 4, 35, 0.5, 1.25, 0, 0, 0.1, 0.2, 0, 0, 2.5, 0.3, NULL);
INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL, BLANCE,
    TAIKYU, HYOUJI, SORT_NO) VALUES (90, '端数', '試験', 0.3, 1.7, 0.1, -0.35, 0.25, 1, 90);
)";

QList<quint64> bits(const Figures& f) {
    const workTable::StepFigures& w = f.weapon;
    const combatCalc::Combat& c = f.combat;
    QList<quint64> all;
    for (double v : {w.minDamage, w.maxDamage, w.minWounds, w.maxWounds, w.critical, w.balance,
                     w.range, w.taikyu, w.exp, w.cost, c.minDamage, c.maxDamage, c.minWounds,
                     c.maxWounds, c.critical, c.balance, c.saihin})
        all.append(std::bit_cast<quint64>(v));
    return all;
}

double objectiveOf(Objective objective, const Figures& f) {
    const double values[] = {f.combat.saihin,   f.combat.maxDamage, f.combat.minDamage,
                             f.combat.critical, f.combat.balance,   f.combat.maxWounds,
                             f.weapon.taikyu};
    return values[static_cast<int>(objective)];
}

struct Plan {
    std::vector<const Modification*> steps;
    Figures figures;
};

} // namespace

class TestPlanSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_masters[2];
    std::mt19937 m_random{kSeed};

    int uniform(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    template <typename T> const T& pick(const QList<T>& list) {
        return list[uniform(0, int(list.size()) - 1)];
    }

    static QList<qint32> seqs(const char* sql) {
        QList<qint32> result;
        for (const QString& row :
             testsupport::sqlRows(storage::cnDatabase().handle(), QString::fromUtf8(sql)))
            result.append(row.toInt());
        return result;
    }

    double fraction() {
        const QList<double> fixed = {0, 0, 2.5, -0.3, 1e-3, 7, -20};
        return uniform(0, 3) ? pick(fixed) : std::uniform_real_distribution(-30.0, 30.0)(m_random);
    }

    std::optional<Character> randomCharacter() {
        if (uniform(0, 3) == 0)
            return std::nullopt;
        QStringList ranks =
            testsupport::sqlRows(storage::cnDatabase().handle(), u"SELECT LANK FROM LANK_INDEX"_s);
        ranks.append(u"無い"_s);
        const auto stat = [this] {
            return qint16(uniform(0, 250));
        };
        Character c{{stat(), stat(), stat(), stat()}, pick(ranks), pick(ranks), {}};
        const qint16 str = qint16(uniform(-5, 5)), dex = qint16(uniform(-5, 5));
        c.set = {fraction(), fraction(), fraction(), fraction(), fraction(),
                 fraction(), str,        0,          dex};
        return c;
    }

    static std::vector<const Modification*> offered(const Weapon& weapon, int k) {
        std::vector<const Modification*> list;
        for (const Modification& m : weapon.mods)
            if (m.offeredAt(k))
                list.push_back(&m);
        return list;
    }

    // The table's figures of step k against the evaluator's; empty when they agree bit for bit.
    static QString mismatch(const Evaluator& evaluator,
                            const std::vector<const Modification*>& steps, const QString& context) {
        const qint16 k = qint16(steps.size());
        const std::optional<workTable::StepFigures> row = workTable::step(k);
        const std::optional<workTable::CombatSums> sums = workTable::sums(k);
        if (!row || !sums)
            return u"no row: "_s + context;
        const QList<quint64> table = bits({*row, combatCalc::fromSums(*sums)});
        const QList<quint64> mine = bits(evaluator.evaluate(steps));
        for (qsizetype i = 0; i < table.size(); ++i) {
            if (table[i] != mine[i])
                return u"%1: figure %2 is %3 in the table, %4 here"_s.arg(context)
                    .arg(i)
                    .arg(std::bit_cast<double>(table[i]), 0, 'g', 17)
                    .arg(std::bit_cast<double>(mine[i]), 0, 'g', 17);
        }
        return {};
    }

    static void open(const QString& path) {
        QVERIFY2(storage::cnDatabase().open(path), qPrintable(storage::cnDatabase().lastError()));
    }

    // Every plan from the fixed steps on, up to the longest the weapon allows.
    static void everyPlan(const Weapon& weapon, const Evaluator& evaluator, Plan plan,
                          std::vector<Plan>& all) {
        plan.figures = evaluator.evaluate(plan.steps);
        all.push_back(plan);
        const int k = int(plan.steps.size());
        if (k >= std::min<int>(kMaxPlanSteps, weapon.stepCount))
            return;
        for (const Modification& m : weapon.mods) {
            if (!m.offeredAt(k))
                continue;
            Plan longer = plan;
            longer.steps.push_back(&m);
            everyPlan(weapon, evaluator, longer, all);
        }
    }

private slots:
    void initTestCase() {
        qInfo("random seed %u", kSeed);
        m_masters[0] = testsupport::copySampleDatabase(m_dir.path());
        testsupport::sqlExec(m_masters[0], kHandMade);
        // A smaller master from the benchmarks' generator, so that every SEQ fits the simulator.
        m_masters[1] = m_dir.filePath(u"synthetic.db"_s);
        std::string error;
        QVERIFY2(synthetic::writeMaster(m_masters[1].toStdString(), {300, 20}, error),
                 error.c_str());
    }

    void evaluatorEqualsWorkTable_data() {
        QTest::addColumn<int>("master");
        QTest::newRow("sample") << 0;
        QTest::newRow("synthetic") << 1;
    }
    void evaluatorEqualsWorkTable() {
        QFETCH(int, master);
        open(m_masters[master]);
        const QList<qint32> weapons = seqs("SELECT SEQ FROM BUKI_MASTER");
        QList<qint32> changes = seqs("SELECT SEQ FROM CHANGE_SPEC_MASTER");
        changes << 0 << 999;
        int plans = 0;
        for (int setup = 0; setup < 600; ++setup) {
            const qint32 bukiSeq = pick(weapons);
            const qint32 changeSeq = pick(changes);
            const std::optional<Character> character = randomCharacter();
            const std::optional<Weapon> weapon =
                loadWeapon(storage::cnDatabase(), bukiSeq, changeSeq, character);
            QVERIFY(weapon);
            Simulation sim;
            QVERIFY(sim.load(qint16(bukiSeq), weapon->name));
            QCOMPARE(sim.maxKaisu(), weapon->stepCount);
            for (qint16 k = 0; k < weapon->stepCount; ++k) {
                const std::vector<ListRow> rows = sim.offered(k).value();
                QStringList listed, expected;
                for (const ListRow& row : rows)
                    listed.append(row.tag);
                for (const Modification* m : offered(*weapon, k))
                    expected.append(QString::number(m->seq));
                listed.sort();
                expected.sort();
                QCOMPARE(listed, expected);
            }
            QVERIFY(sim.setChangeSpace(qint16(changeSeq)));
            if (character) {
                // As the simulator's status frame writes it.
                const QString& rank =
                    sim.combatType() == 1 ? character->attackRank : character->rangeRank;
                const bonusCalc::Bonus bonus = bonusCalc::bonus(
                    sim.combatType(), character->stats, *sim.skillBonus(rank), character->set);
                QVERIFY(sim.writeBonus(bonusCalc::valueText(bonus)));
            } else {
                QVERIFY(workTable::deleteWork(u"WHERE SHURUI = 1"_s));
            }
            const Evaluator evaluator(*weapon);
            for (int n = 0; n < 10; ++n, ++plans) {
                QVERIFY(sim.resetState());
                std::vector<const Modification*> steps;
                const int length = uniform(0, std::min<int>(kMaxPlanSteps, weapon->stepCount));
                QString context =
                    u"weapon %1, change %2, bonus row %3, plan "_s.arg(bukiSeq).arg(changeSeq).arg(
                        character ? u"yes"_s : u"no"_s);
                QString wrong = mismatch(evaluator, steps, context);
                for (int k = 0; wrong.isEmpty() && k < length; ++k) {
                    const auto choices = offered(*weapon, k);
                    if (choices.empty())
                        break;
                    steps.push_back(choices[uniform(0, int(choices.size()) - 1)]);
                    QVERIFY(sim.apply(qint16(steps.back()->seq), {}, {}).ok());
                    context += QString::number(steps.back()->seq) + u'.';
                    wrong = mismatch(evaluator, steps, context);
                }
                QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
            }
        }
        QCOMPARE(plans, 6000);
    }

    void searchEqualsBruteForce_data() {
        QTest::addColumn<int>("master");
        QTest::addColumn<Objective>("objective");
        const char* names[] = {"最頻値",   "最大ダメージ", "最小ダメージ", "クリティカル",
                               "バランス", "最大負傷率",   "耐久"};
        for (int master : {0, 1}) {
            for (int o = 0; o <= int(Objective::Taikyu); ++o)
                QTest::addRow("%s %s", master ? "synthetic" : "sample", names[o])
                    << master << Objective(o);
        }
    }
    void searchEqualsBruteForce() {
        QFETCH(int, master);
        QFETCH(Objective, objective);
        open(m_masters[master]);
        const QList<qint32> weapons = seqs("SELECT DISTINCT BUKI_SEQ FROM KAIZO_MASTER");
        const QList<qint32> changes = seqs("SELECT SEQ FROM CHANGE_SPEC_MASTER");
        for (int trial = 0; trial < 24; ++trial) {
            const std::optional<Weapon> weapon =
                loadWeapon(storage::cnDatabase(), pick(weapons), pick(changes), randomCharacter());
            QVERIFY(weapon);
            const Evaluator evaluator(*weapon);
            // Fixed steps as the master has them, one of them sometimes a SEQ it lacks.
            std::vector<qint32> fixedSeqs;
            for (int k = 0, count = uniform(0, 2); k < count; ++k) {
                const auto choices = offered(*weapon, k);
                fixedSeqs.push_back(choices.empty() || uniform(0, 4) == 0
                                        ? 77777
                                        : choices[uniform(0, int(choices.size()) - 1)]->seq);
            }
            const std::optional<std::vector<Modification>> fixed =
                loadSteps(storage::cnDatabase(), fixedSeqs);
            QVERIFY(fixed);
            Plan start;
            for (const Modification& m : *fixed)
                start.steps.push_back(&m);
            std::vector<Plan> all;
            everyPlan(*weapon, evaluator, start, all);

            Query query;
            query.objective = objective;
            query.limit = pick(QList<int>{1, 3, 50});
            const auto some = [&](auto figure) -> std::optional<double> {
                if (uniform(0, 1))
                    return std::nullopt;
                return figure(all[uniform(0, int(all.size()) - 1)].figures.weapon);
            };
            query.maxCost = some([](const workTable::StepFigures& f) { return f.cost; });
            query.maxExp = some([](const workTable::StepFigures& f) { return f.exp; });
            query.minTaikyu = some([](const workTable::StepFigures& f) { return f.taikyu; });
            const int longest = std::min<int>(kMaxPlanSteps, weapon->stepCount);
            if (uniform(0, 3) == 0)
                query.steps =
                    qint16(uniform(int(fixed->size()), std::max<int>(longest, fixed->size())));

            const int shortest = query.steps ? *query.steps : int(fixed->size()) + 1;
            std::erase_if(all, [&](const Plan& p) {
                const workTable::StepFigures& f = p.figures.weapon;
                const int length = int(p.steps.size());
                return length < shortest || length > (query.steps ? *query.steps : longest) ||
                       (query.maxCost && f.cost > *query.maxCost) ||
                       (query.maxExp && f.exp > *query.maxExp) ||
                       (query.minTaikyu && f.taikyu < *query.minTaikyu);
            });
            std::sort(all.begin(), all.end(), [objective](const Plan& a, const Plan& b) {
                const auto key = [objective](const Plan& p) {
                    return std::tuple(-objectiveOf(objective, p.figures), p.figures.weapon.cost,
                                      p.figures.weapon.exp, p.steps.size());
                };
                if (key(a) != key(b))
                    return key(a) < key(b);
                return std::lexicographical_compare(
                    a.steps.begin(), a.steps.end(), b.steps.begin(), b.steps.end(),
                    [](const Modification* x, const Modification* y) {
                        return std::pair(x->sortNo, x->seq) < std::pair(y->sortNo, y->seq);
                    });
            });
            all.resize(std::min<std::size_t>(all.size(), std::size_t(query.limit)));

            Control control;
            const Result result = search(*weapon, query, *fixed, &control);
            QCOMPARE(control.done.load(), control.total.load());
            QCOMPARE(result.plans.size(), all.size());
            for (std::size_t i = 0; i < all.size(); ++i) {
                std::vector<qint32> expected;
                for (const Modification* m : all[i].steps)
                    expected.push_back(m->seq);
                QCOMPARE(result.plans[i].steps, expected);
                QCOMPARE(result.plans[i].value, objectiveOf(objective, all[i].figures));
                QCOMPARE(bits(result.plans[i].figures), bits(all[i].figures));
            }
        }
    }

    void searchEachEqualsOneByOne() {
        open(m_masters[0]);
        const std::optional<Character> character = Character{{30, 40, 30, 20}, u"1"_s, u"1"_s, {}};
        const auto weapons = loadShownWeapons(storage::cnDatabase(), 90, character);
        QVERIFY(weapons && weapons->size() > 10);
        Query query;
        query.limit = 2;
        query.maxCost = 20000;
        Control control;
        const std::vector<Result> results = searchEach(*weapons, query, &control, 2);
        QCOMPARE(control.done.load(), qint64(weapons->size()));
        for (std::size_t i = 0; i < weapons->size(); ++i) {
            const std::optional<Weapon> alone =
                loadWeapon(storage::cnDatabase(), (*weapons)[i].seq, 90, character);
            QVERIFY(alone);
            QCOMPARE(bits(Evaluator((*weapons)[i]).evaluate({})),
                     bits(Evaluator(*alone).evaluate({})));
            const Result expected = search(*alone, query);
            QCOMPARE(results[i].plans.size(), expected.plans.size());
            for (std::size_t p = 0; p < expected.plans.size(); ++p)
                QCOMPARE(results[i].plans[p].steps, expected.plans[p].steps);
        }
        control.cancel = true;
        for (const Result& r : searchEach(*weapons, query, &control, 2))
            QVERIFY(r.cancelled && r.plans.empty());
    }
};

QTEST_GUILESS_MAIN(TestPlanSearch)
#include "test_plan_search.moc"
