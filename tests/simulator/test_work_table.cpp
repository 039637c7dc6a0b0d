// The work table's statements on a real database: clamping, kinds of rows, undo and sums.

#include "SimFixture.h"
#include "simulator/WorkTable.h"

#include <QTemporaryDir>
#include <QtTest>
#include <array>

using namespace Qt::StringLiterals;

using Figures = std::array<double, 10>;
Q_DECLARE_METATYPE(Figures)

namespace {

Figures figures(const workTable::StepFigures& f) {
    return {f.minDamage, f.maxDamage, f.minWounds, f.maxWounds, f.critical,
            f.balance,   f.range,     f.taikyu,    f.exp,       f.cost};
}

} // namespace

class TestWorkTable : public QObject {
    Q_OBJECT

private slots:
    void init();
    void stepFigures_data();
    void stepFigures();
    void undoRemovesOnlyTheLastStepRow();
    void sumsAddTheBonusRowWithItsFractions();
    void longChainOnLargeMaster();

private:
    QTemporaryDir m_dir;
};

void TestWorkTable::init() {
    simfixture::openMaster(m_dir.filePath(u"master.db"_s));
    QVERIFY(workTable::deleteWork({}));
    QVERIFY(workTable::insertValues(u"0,0,0,0,0,0,0"_s, workTable::ChangeSpecRow));
    QVERIFY(workTable::insertBase(1));
}

void TestWorkTable::stepFigures_data() {
    QTest::addColumn<qint16>("weapon");
    QTest::addColumn<QString>("change"); // the performance change row
    QTest::addColumn<QList<qint16>>("mods");
    QTest::addColumn<Figures>("last"); // the ten figures of the last step
    const QString none = u"0,0,0,0,0,0,0"_s;
    QTest::newRow("clamped at 0, then on from 0") << qint16(1) << none << QList<qint16>{102, 103}
                                                  << Figures{10, 20, 5, 15, 10, 50, 0, 5, 10, 1000};
    QTest::newRow("change below 0") << qint16(1) << u"2,4,0,0,3,-60,-50"_s << QList<qint16>{}
                                    << Figures{12, 24, 5, 15, 13, 0, 0, 0, 0, 0};
    QTest::newRow("equal rows both count")
        << qint16(9) << none << QList<qint16>{900} << Figures{20, 40, 20, 40, 20, 80, 0, 40, 0, 0};
}

void TestWorkTable::stepFigures() {
    QFETCH(qint16, weapon);
    QFETCH(QString, change);
    QFETCH(QList<qint16>, mods);
    QFETCH(Figures, last);
    QVERIFY(workTable::deleteWork({}));
    QVERIFY(workTable::insertValues(change, workTable::ChangeSpecRow));
    QVERIFY(workTable::insertBase(weapon));
    for (qint16 k = 0; k < mods.size(); ++k)
        QVERIFY(workTable::insertStep(k, mods[k]));
    QCOMPARE(workTable::kaizoCount(), qint16(mods.size()));
    QCOMPARE(figures(*workTable::step(qint16(mods.size()))), last);
}

void TestWorkTable::undoRemovesOnlyTheLastStepRow() {
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

void TestWorkTable::sumsAddTheBonusRowWithItsFractions() {
    auto sums = workTable::sums(0);
    QVERIFY(sums);
    QCOMPARE(sums->minDamage, 10.0);
    QCOMPARE(sums->balance, 50.0);
    QVERIFY(workTable::insertValues(u"7.5,10,2,2,2.5,2.5,0 "_s, workTable::BonusRow));
    sums = workTable::sums(0);
    QCOMPARE(sums->minDamage, 17.5);
    QCOMPARE(sums->critical, 12.5);
    QCOMPARE(sums->balance, 52.5);
}

// Hundreds of steps over a master of twenty thousand modifications give the clamped running
// totals, step after step.
void TestWorkTable::longChainOnLargeMaster() {
    constexpr int kMods = 20000;
    constexpr int kSteps = 400;
    simfixture::addLargeWeapon(kMods);
    QVERIFY(workTable::deleteWork(u"WHERE SHURUI = 0"_s));
    QVERIFY(workTable::insertBase(9));
    Figures expected = {10, 20, 10, 20, 10, 40, 0, 20, 0, 0};
    for (int k = 0; k < kSteps; ++k) {
        const int index = (k * 7919) % kMods;
        QVERIFY(workTable::insertStep(static_cast<qint16>(k), static_cast<qint16>(1000 + index)));
        for (int f = 0; f < 10; ++f)
            expected[f] = std::max(0.0, expected[f] + simfixture::deltaOf(index, f));
    }
    QCOMPARE(workTable::kaizoCount(), qint16(kSteps));
    QCOMPARE(figures(*workTable::step(kSteps)), expected);
}

QTEST_GUILESS_MAIN(TestWorkTable)
#include "test_work_table.moc"
