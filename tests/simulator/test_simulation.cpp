// The simulation engine on a real database: the plan string and the slots always match the
// steps in the work table, also when a statement fails or a plan is malformed.

#include "SimFixture.h"
#include "simulator/PlanString.h"
#include "simulator/Simulation.h"
#include "simulator/WorkTable.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestSimulation : public QObject {
    Q_OBJECT

private slots:
    void init();
    void weaponFacts();
    void replay_data();
    void replay();
    void failedStatementsChangeNothing();
    void changeSpace();

private:
    // Plan and slots agree with the work table.
    void verifyInvariant();

    QTemporaryDir m_dir;
    std::unique_ptr<Simulation> m_sim;
};

void TestSimulation::init() {
    simfixture::openMaster(m_dir.filePath(u"master.db"_s));
    QVERIFY(workTable::deleteWork({}));
    m_sim = std::make_unique<Simulation>();
    QVERIFY(m_sim->load(1, u"ロングソード"_s));
    QVERIFY(m_sim->setChangeSpace(Simulation::DefaultChangeSpec));
    QVERIFY(m_sim->resetState());
}

void TestSimulation::verifyInvariant() {
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

void TestSimulation::weaponFacts() {
    QCOMPARE(m_sim->maxKaisu(), qint16(6));
    QCOMPARE(m_sim->combatType(), qint16(1));
    QCOMPARE(m_sim->offered(0)->size(), std::size_t(4)); // 105 comes from step 1 on
    QCOMPARE(m_sim->offered(1)->front().subItems,
             (QStringList{u"10"_s, u"12,500"_s, u"最大ダメージ+3　耐久-2　"_s}));
    Simulation other;
    QVERIFY(other.load(4, u"長弓"_s));
    QCOMPARE(other.combatType(), qint16(2));
    QVERIFY(other.load(3, u"飾り剣"_s));
    QCOMPARE(other.maxKaisu(), qint16(0));
}

void TestSimulation::replay_data() {
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("applied");
    QTest::addColumn<double>("taikyu"); // durability after the last step
    QTest::newRow("empty") << QString() << QString() << 10.0;
    QTest::newRow("short") << u"101.103."_s << u"101.103."_s << 13.0;
    QTest::newRow("missing SEQ changes nothing") << u"101.999.103."_s << u"101.999.103."_s << 13.0;
    QTest::newRow("trailing text") << u"101.103.7"_s << u"101.103."_s << 13.0;
    QTest::newRow("only the first five")
        << u"103.103.103.103.103.103.103."_s << u"103.103.103.103.103."_s << 35.0;
    QTest::newRow("not a number ends it") << u"101.abc.103."_s << u"101."_s << 8.0;
    QTest::newRow("past 16 bits ends it") << u"101.40000.103."_s << u"101."_s << 8.0;
}

void TestSimulation::replay() {
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
    if (plan.contains(u"999"))
        QCOMPARE(m_sim->stepSlots()[1].name, u"(未登録の改造 999)"_s);
    else if (result.applied > 0)
        QVERIFY(m_sim->stepSlots()[0].naiyo.startsWith(u"( "));
}

void TestSimulation::failedStatementsChangeNothing() {
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

void TestSimulation::changeSpace() {
    QVERIFY(m_sim->setChangeSpace(30));
    const auto change = m_sim->setChangeSpace(0); // no such entry: zeros and the ordinary tag
    QVERIFY(change && !change->found);
    QCOMPARE(change->tag, u"23"_s);
    QVERIFY(m_sim->resetState());
    QCOMPARE(workTable::step(0)->maxDamage, 20.0);
    QCOMPARE(workTable::step(0)->taikyu, 10.0);
}

QTEST_GUILESS_MAIN(TestSimulation)
#include "test_simulation.moc"
