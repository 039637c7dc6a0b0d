// The work table's statements and the simulation engine on a real database: clamping, kinds of
// rows, undo and sums; the plan string and the slots always match the steps in the work table,
// also when a statement fails or a plan is malformed.

#include "SimFixture.h"
#include "simulator/PlanString.h"
#include "simulator/Simulation.h"
#include "simulator/WorkTable.h"

#include <QTemporaryDir>
#include <QtTest>
#include <array>

using namespace Qt::StringLiterals;

using Figures = std::array<double, 10>;
Q_DECLARE_METATYPE(Figures)

class TestSimulation : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Simulation> m_sim;

    // Plan and slots agree with the work table.
    void verifyInvariant() {
        const std::optional<qint16> k = m_sim->stepCount();
        QVERIFY(k);
        const QStringList items = planString::items(m_sim->plan());
        QCOMPARE(items.size(), int(*k));
        for (int i = 0; i < Simulation::MaxSteps; ++i) {
            const StepSlot& slot = m_sim->stepSlots()[static_cast<std::size_t>(i)];
            QCOMPARE(slot.tag, i < *k ? items[i] : QString());
            QCOMPARE(slot.name.isEmpty(), i >= *k);
        }
    }

    static bool start(const QString& change, qint16 weapon) {
        return workTable::deleteWork({}) &&
               workTable::insertValues(change, workTable::ChangeSpecRow) &&
               workTable::insertBase(weapon);
    }

private slots:
    void init() {
        simfixture::openMaster(m_dir.filePath(u"master.db"_s));
        QVERIFY(workTable::deleteWork({}));
        m_sim = std::make_unique<Simulation>();
        QVERIFY(m_sim->load(1, u"ロングソード"_s));
        QVERIFY(m_sim->setChangeSpace(Simulation::DefaultChangeSpec));
        QVERIFY(m_sim->resetState());
    }

    void stepFigures_data() {
        QTest::addColumn<qint16>("weapon");
        QTest::addColumn<QString>("change"); // the performance change row
        QTest::addColumn<QList<qint16>>("mods");
        QTest::addColumn<Figures>("last"); // the ten figures of the last step
        const QString none = u"0,0,0,0,0,0,0"_s;
        QTest::newRow("clamped at 0, then on from 0")
            << qint16(1) << none << QList<qint16>{102, 103}
            << Figures{10, 20, 5, 15, 10, 50, 0, 5, 10, 1000};
        QTest::newRow("every figure clamped at 0") << qint16(9) << none << QList<qint16>{902, 900}
                                                   << Figures{10, 20, 10, 20, 10, 40, 0, 20, 0, 0};
        QTest::newRow("change below 0") << qint16(1) << u"2,4,0,0,3,-60,-50"_s << QList<qint16>{}
                                        << Figures{12, 24, 5, 15, 13, 0, 0, 0, 0, 0};
        QTest::newRow("equal rows both count") << qint16(9) << none << QList<qint16>{900}
                                               << Figures{20, 40, 20, 40, 20, 80, 0, 40, 0, 0};
    }
    void stepFigures() {
        QFETCH(qint16, weapon);
        QFETCH(QString, change);
        QFETCH(QList<qint16>, mods);
        QFETCH(Figures, last);
        QVERIFY(start(change, weapon));
        for (qint16 k = 0; k < mods.size(); ++k)
            QVERIFY(workTable::insertStep(k, mods[k]));
        QCOMPARE(workTable::kaizoCount(), qint16(mods.size()));
        const workTable::StepFigures f = *workTable::step(qint16(mods.size()));
        QCOMPARE((Figures{f.minDamage, f.maxDamage, f.minWounds, f.maxWounds, f.critical, f.balance,
                          f.range, f.taikyu, f.exp, f.cost}),
                 last);
    }

    void undoRemovesOnlyTheLastStepRow() {
        QVERIFY(workTable::insertValues(u"1,1,1,1,1,1,0 "_s, workTable::BonusRow));
        for (qint16 k = 0; k < 3; ++k)
            QVERIFY(workTable::insertStep(k, 101));
        QVERIFY(workTable::deleteWork(u"WHERE KAISU = 3"_s));
        QCOMPARE(workTable::kaizoCount(), qint16(2));
        QVERIFY(!workTable::step(3));
        QCOMPARE(workTable::step(2)->maxDamage, 26.0);
        // The bonus and performance change rows (step 0) are still there.
        const auto sums = workTable::sums(2);
        QVERIFY(sums);
        QCOMPARE(sums->maxDamage, 27.0);
        QCOMPARE(workTable::step(0)->maxDamage, 20.0);
    }

    void sumsAddTheBonusRowWithItsFractions() {
        auto sums = workTable::sums(0);
        QVERIFY(sums);
        QCOMPARE(sums->minDamage, 10.0);
        QCOMPARE(sums->balance, 50.0);
        QVERIFY(workTable::insertValues(u"7.5,10,2,2,2.5,2.5,0 "_s, workTable::BonusRow));
        sums = workTable::sums(0);
        QVERIFY(sums);
        QCOMPARE(sums->minDamage, 17.5);
        QCOMPARE(sums->critical, 12.5);
        QCOMPARE(sums->balance, 52.5);
    }

    void replay_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("applied");
        QTest::addColumn<double>("taikyu"); // durability after the last step
        QTest::newRow("empty") << QString() << QString() << 10.0;
        QTest::newRow("short") << u"101.103."_s << u"101.103."_s << 13.0;
        QTest::newRow("missing SEQ changes nothing")
            << u"101.999.103."_s << u"101.999.103."_s << 13.0;
        QTest::newRow("only the first five")
            << u"103.103.103.103.103.103.103."_s << u"103.103.103.103.103."_s << 35.0;
        QTest::newRow("not a number ends it") << u"101.abc.103."_s << u"101."_s << 8.0;
    }
    void replay() {
        QFETCH(QString, plan);
        QFETCH(QString, applied);
        QFETCH(double, taikyu);
        QVERIFY(m_sim->apply(101, u"攻撃強化"_s, {}).ok()); // replay starts over from step 0
        const Simulation::ReplayResult result = m_sim->replay(plan);
        QVERIFY(result.ok());
        QCOMPARE(m_sim->plan(), applied);
        QCOMPARE(result.applied, qint16(planString::items(applied).size()));
        verifyInvariant();
        QCOMPARE(workTable::step(result.applied)->taikyu, taikyu);
        if (result.applied > 0)
            QVERIFY(m_sim->stepSlots()[0].naiyo.startsWith(u"( "));
    }

    void failedStatementsChangeNothing() {
        QVERIFY(m_sim->apply(101, u"攻撃強化"_s, {}).ok());
        QVERIFY(m_sim->apply(103, u"耐久補強"_s, {}).ok());
        simfixture::exec("ALTER TABLE KAIZO_MASTER RENAME TO KAIZO_GONE");
        QCOMPARE(m_sim->apply(101, u"攻撃強化"_s, {}).status, Simulation::Status::DatabaseFailed);
        // The replay had already gone back to step 0 when its first step failed: all undone.
        QCOMPARE(m_sim->replay(u"101."_s).status, Simulation::Status::DatabaseFailed);
        QCOMPARE(m_sim->plan(), u"101.103."_s);
        verifyInvariant();

        simfixture::exec("ALTER TABLE BUKI_MASTER RENAME TO BUKI_GONE");
        // The base row is deleted and cannot be written again: both are undone.
        QVERIFY(!m_sim->resetState());
        QCOMPARE(m_sim->plan(), u"101.103."_s);
        QVERIFY(workTable::step(0));
        QCOMPARE(workTable::step(2)->taikyu, 13.0);
        verifyInvariant();
    }

    void changeSpace() {
        QVERIFY(m_sim->setChangeSpace(30));
        const auto change = m_sim->setChangeSpace(0); // no such entry: zeros and the ordinary tag
        QVERIFY(change && !change->found);
        QCOMPARE(change->tag, u"23"_s);
        QVERIFY(m_sim->resetState());
        QCOMPARE(workTable::step(0)->maxDamage, 20.0);
        QCOMPARE(workTable::step(0)->taikyu, 10.0);
    }
};

QTEST_GUILESS_MAIN(TestSimulation)
#include "test_simulation.moc"
