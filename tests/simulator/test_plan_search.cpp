// The plan search against what it stands in for, on random weapons, performance changes,
// characters and bonus sets with fractions, and on rows made to clamp: the evaluator must give the
// Simulation's figures bit for bit, and the search's list must equal brute force over every plan
// for every objective, with random limits and fixed steps.

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

using planSearch::Modification; // the search's own, not the simulator window's
using Steps = std::vector<const Modification*>;

// Rows the shipped masters lack: negative EXP and COST, a step that takes every figure below 0,
// fractions the table keeps, and a performance change with fractions.
const char kHandMade[] = R"(
INSERT INTO KAIZO_MASTER (SEQ, KAIZO_NAME, BUKI_SEQ, KAISU_S, KAISU_E, SORT_NO, MIN_DAMAGE,
    MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE, RANGE, TAIKYU, EXP, COST) VALUES
    (9001, '返金', 2, 0, 4, 15, 0, 0, 0, 0, 0, 0, 0, 0, -60, -9000),
    (9002, '大破', 2, 1, 4, 20, -40, -40, -40, -40, -40, -90, -5, -30, 0, 100),
    (9003, '微調整', 3, 0, 4, 35, 0.5, 1.25, 0, 0, 0.1, 0.2, 0, 0, 2.5, 0.3);
INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL, BLANCE,
    TAIKYU, HYOUJI, SORT_NO) VALUES (90, '端数', '試験', 0.3, 1.7, 0.1, -0.35, 0.25, 1, 90);
)";

template <class Shown> QList<quint64> bits(const Shown& f) {
    const workTable::StepFigures& w = f.weapon;
    const combatCalc::Combat& c = f.combat;
    QList<quint64> all;
    for (double v : {w.minDamage, w.maxDamage, w.minWounds, w.maxWounds, w.critical, w.balance,
                     w.range, w.taikyu, w.exp, w.cost, c.minDamage, c.maxDamage, c.minWounds,
                     c.maxWounds, c.critical, c.balance, c.saihin})
        all.append(std::bit_cast<quint64>(v));
    return all;
}

double objectiveOf(Objective objective, const planSearch::Figures& f) {
    const double values[] = {f.combat.saihin,   f.combat.maxDamage, f.combat.minDamage,
                             f.combat.critical, f.combat.balance,   f.combat.maxWounds,
                             f.weapon.taikyu};
    return values[static_cast<int>(objective)];
}

Steps offered(const Weapon& weapon, int k) {
    Steps list;
    for (const Modification& m : weapon.mods)
        if (m.offeredAt(k))
            list.push_back(&m);
    return list;
}

std::vector<qint32> inOrder(const Steps& plan) {
    std::vector<qint32> list;
    for (const Modification* m : plan)
        list.push_back(m->seq);
    return list;
}

// Every plan from the fixed steps on, up to the longest the weapon allows.
void everyPlan(const Weapon& weapon, const Steps& plan, std::vector<Steps>& all) {
    all.push_back(plan);
    if (int(plan.size()) >= std::min<int>(kMaxPlanSteps, weapon.stepCount))
        return;
    for (const Modification* m : offered(weapon, int(plan.size()))) {
        Steps longer = plan;
        longer.push_back(m);
        everyPlan(weapon, longer, all);
    }
}

} // namespace

class TestPlanSearch : public QObject {
    Q_OBJECT
    using Modification = planSearch::Modification;

    QTemporaryDir m_dir;
    QString m_masters[2];
    storage::Connection m_db;
    std::mt19937 m_random{20240611};

    int uniform(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    template <typename List> auto pick(const List& list) {
        return list[std::size_t(uniform(0, int(list.size()) - 1))];
    }
    // The SEQs a query gives, with the extra ones.
    QList<qint32> seqs(const char* sql, QList<qint32> extra = {}) {
        for (const QString& row : testsupport::sqlRows(m_db.handle(), QString::fromLatin1(sql)))
            extra.append(row.toInt());
        return extra;
    }
    QString fraction() {
        const double v = uniform(0, 3) ? pick(QList<double>{0, 0, 2.5, -0.3, 1e-3, 7, -20})
                                       : std::uniform_real_distribution(-30.0, 30.0)(m_random);
        return QString::number(v, 'g', 17);
    }
    // A profile and a bonus set as the catalogue hands them to the simulator, and what the loader
    // is given of them; nothing while no profile is in use.
    std::optional<Character> randomCharacter(std::optional<Profile>& profile, BonusChoice& bonus) {
        if (uniform(0, 3) == 0)
            return std::nullopt;
        const QStringList ranks =
            testsupport::sqlRows(m_db.handle(), u"SELECT LANK FROM LANK_INDEX"_s) << u"無い"_s;
        QString texts[7];
        for (int i = 0; i < 7; ++i)
            texts[i] = i < 5 ? QString::number(uniform(0, 250)) : pick(ranks);
        profile =
            Profile{u"p"_s, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6]};
        BonusSet set;
        for (QString* value : {&set.minDamage, &set.maxDamage, &set.minWounds, &set.maxWounds,
                               &set.critical, &set.balance})
            *value = fraction();
        set.str = QString::number(uniform(-5, 5));
        set.dex = QString::number(uniform(-5, 5));
        bonus = {u"s"_s, uniform(0, 4) ? std::optional(set) : std::nullopt};
        const bonusCalc::BonusValues values = bonusCalc::values(bonus.set.value_or(BonusSet()));
        return Character{bonusCalc::stats(bonusCalc::totals(*profile, values)), profile->attack,
                         profile->range, values};
    }

private slots:
    void initTestCase() {
        m_masters[0] = testsupport::copySampleDatabase(m_dir.path());
        testsupport::sqlExec(m_masters[0], kHandMade);
        m_masters[1] = m_dir.filePath(u"synthetic.db"_s);
        std::string error;
        QVERIFY2(synthetic::writeMaster(m_masters[1].toStdString(), {300, 20}, error),
                 error.c_str());
    }

    void searchEqualsSimulationAndBruteForce_data() {
        QTest::addColumn<int>("master");
        QTest::newRow("sample") << 0;
        QTest::newRow("synthetic") << 1;
    }
    void searchEqualsSimulationAndBruteForce() {
        QFETCH(int, master);
        QVERIFY(m_db.open(m_masters[master]));
        const QList<qint32> weapons = seqs("SELECT SEQ FROM BUKI_MASTER");
        const QList<qint32> changes = seqs("SELECT SEQ FROM CHANGE_SPEC_MASTER", {0, 999});
        for (int trial = 0; trial < 280; ++trial) {
            const qint32 bukiSeq = pick(weapons);
            const qint32 changeSeq = pick(changes);
            std::optional<Profile> profile;
            BonusChoice bonus;
            const std::optional<Character> character = randomCharacter(profile, bonus);
            const Weapon weapon = loadWeapon(m_db, bukiSeq, changeSeq, character).value();
            const Evaluator evaluator(weapon);
            // Fixed steps as the master has them, one of them sometimes a SEQ it lacks, never more
            // than the weapon offers.
            std::vector<qint32> fixedSeqs;
            for (int k = 0, count = uniform(0, std::min<int>(2, weapon.stepCount)); k < count;
                 ++k) {
                const Steps choices = offered(weapon, k);
                fixedSeqs.push_back(choices.empty() || !uniform(0, 4) ? 77777 : pick(choices)->seq);
            }
            const std::vector<Modification> fixed = loadSteps(m_db, fixedSeqs).value();
            Steps start;
            for (const Modification& m : fixed)
                start.push_back(&m);
            std::vector<Steps> all;
            everyPlan(weapon, start, all);

            // The catalogue empties the work table before each start.
            QVERIFY(workTable::WorkTable(m_db).clear());
            Simulation sim(m_db);
            QCOMPARE(sim.start({bukiSeq, weapon.name}, profile, bonus), Simulation::Status::Ok);
            QCOMPARE(sim.maxKaisu(), weapon.stepCount);
            for (qint16 k = 0; k < weapon.stepCount; ++k) {
                std::vector<qint32> listed, expected = inOrder(offered(weapon, k));
                for (const ::Modification& m :
                     sim.offered(k).value_or(std::vector<::Modification>()))
                    listed.push_back(m.seq);
                std::ranges::sort(listed);
                std::ranges::sort(expected);
                QCOMPARE(listed, expected);
            }
            // 18 plans in each of 280 trials on both masters: over 10,000, compared step by step.
            for (int n = 0; n < 18; ++n) {
                const Steps plan = pick(all);
                QString text;
                for (const Modification* m : plan)
                    text += QString::number(m->seq) + u'.';
                QVERIFY(sim.replayOn(changeSeq, text).ok());
                for (std::size_t k = 0; k <= plan.size(); ++k)
                    QVERIFY2(bits(sim.figures(qint16(k)).value()) ==
                                 bits(evaluator.evaluate(std::span(plan).first(k))),
                             qPrintable(u"weapon %1, change %2, plan %3, step %4"_s.arg(
                                 QString::number(bukiSeq), QString::number(changeSeq), text,
                                 QString::number(k))));
            }

            Query query;
            query.objective = Objective(trial % (int(Objective::Taikyu) + 1));
            query.limit = pick(QList<int>{1, 3, 50});
            const auto some = [&](double workTable::StepFigures::*figure) {
                const double value = evaluator.evaluate(pick(all)).weapon.*figure;
                return uniform(0, 1) ? std::optional(value) : std::nullopt;
            };
            query.maxCost = some(&workTable::StepFigures::cost);
            query.maxExp = some(&workTable::StepFigures::exp);
            query.minTaikyu = some(&workTable::StepFigures::taikyu);
            const int longest = std::min<int>(kMaxPlanSteps, weapon.stepCount);
            if (uniform(0, 3) == 0)
                query.steps =
                    qint16(uniform(int(fixed.size()), std::max<int>(longest, fixed.size())));
            const int shortest = query.steps.value_or(qint16(fixed.size() + 1));
            std::erase_if(all, [&](const Steps& plan) {
                const workTable::StepFigures f = evaluator.evaluate(plan).weapon;
                return int(plan.size()) < shortest ||
                       int(plan.size()) > query.steps.value_or(longest) ||
                       f.cost > query.maxCost.value_or(f.cost) ||
                       f.exp > query.maxExp.value_or(f.exp) ||
                       f.taikyu < query.minTaikyu.value_or(f.taikyu);
            });
            // Best objective first, then lower cost, lower EXP, fewer steps, and step by step
            // SORT_NO, then SEQ.
            const auto key = [&](const Steps& plan) {
                const planSearch::Figures f = evaluator.evaluate(plan);
                std::vector<std::pair<qint64, qint32>> order;
                for (const Modification* m : plan)
                    order.emplace_back(m->sortNo, m->seq);
                return std::tuple(-objectiveOf(query.objective, f), f.weapon.cost, f.weapon.exp,
                                  plan.size(), order);
            };
            std::sort(all.begin(), all.end(),
                      [&](const Steps& a, const Steps& b) { return key(a) < key(b); });
            all.resize(std::min<std::size_t>(all.size(), std::size_t(query.limit)));

            Control control;
            const Result result = search(weapon, query, fixed, &control);
            QCOMPARE(control.done.load(), control.total.load());
            QCOMPARE(result.plans.size(), all.size());
            for (std::size_t i = 0; i < all.size(); ++i) {
                const planSearch::Figures f = evaluator.evaluate(all[i]);
                QCOMPARE(result.plans[i].steps, inOrder(all[i]));
                QCOMPARE(result.plans[i].value, objectiveOf(query.objective, f));
                QCOMPARE(bits(result.plans[i].figures), bits(f));
            }
        }
    }

    // Many weapons on threads of their own give what each gives alone.
    void searchEachEqualsOneByOne() {
        QVERIFY(m_db.open(m_masters[0]));
        const std::optional<Character> character = Character{{30, 40, 30, 20}, u"1"_s, u"1"_s, {}};
        const std::vector<Weapon> weapons = loadShownWeapons(m_db, 90, character).value();
        QVERIFY(weapons.size() > 10);
        Query query;
        query.limit = 2;
        query.maxCost = 20000;
        Control control;
        const std::vector<Result> results = searchEach(weapons, query, &control, 2);
        QCOMPARE(control.done.load(), qint64(weapons.size()));
        for (std::size_t i = 0; i < weapons.size(); ++i) {
            const Weapon alone = loadWeapon(m_db, weapons[i].seq, 90, character).value();
            QCOMPARE(bits(Evaluator(weapons[i]).evaluate({})), bits(Evaluator(alone).evaluate({})));
            const Result expected = search(alone, query);
            QCOMPARE(results[i].plans.size(), expected.plans.size());
            for (std::size_t p = 0; p < expected.plans.size(); ++p)
                QCOMPARE(results[i].plans[p].steps, expected.plans[p].steps);
        }
        control.cancel = true;
        for (const Result& r : searchEach(weapons, query, &control, 2))
            QVERIFY(r.cancelled && r.plans.empty());
    }
};

QTEST_GUILESS_MAIN(TestPlanSearch)
#include "test_plan_search.moc"
