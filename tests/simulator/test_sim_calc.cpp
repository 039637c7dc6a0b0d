// The simulator's arithmetic without any database: bonus row, marks, combat limits, mode value
// and the reading of plan strings.

#include "app/RowListModel.h"
#include "simulator/BonusCalc.h"
#include "simulator/CombatCalc.h"
#include "simulator/PlanString.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

ListRow rowWithCells(int first, const QString& cells) {
    ListRow row;
    const QStringList values = cells.split(u',');
    for (int i = 0; i < values.size(); ++i)
        row.setCell(first + i, values[i]);
    return row;
}

} // namespace

class TestSimCalc : public QObject {
    Q_OBJECT

private slots:
    void bonusRow_data() {
        QTest::addColumn<qint16>("combatType");
        QTest::addColumn<QList<qint16>>("stats"); // Str, Dex, Will, Luck
        QTest::addColumn<QList<qint16>>("skill");
        QTest::addColumn<double>("setMinDamage");
        QTest::addColumn<QString>("values");
        QTest::newRow("attack") << qint16(1) << QList<qint16>{35, 20, 30, 15}
                                << QList<qint16>{0, 0, 0} << 0.0 << u"7.5,10,2,2,2.5,2.5,0 "_s;
        QTest::newRow("range, wound ties to even")
            << qint16(2) << QList<qint16>{10, 45, 25, 25} << QList<qint16>{1, 2, 3} << 0.0
            << u"11.5,16,2,3,3,11.75,0 "_s;
        QTest::newRow("bonus set below zero")
            << qint16(1) << QList<qint16>{35, 20, 30, 15} << QList<qint16>{0, 0, 0} << -20.0
            << u"0,10,2,2,2.5,2.5,0 "_s;
        QTest::newRow("weak character") << qint16(1) << QList<qint16>{5, 5, 5, 5}
                                        << QList<qint16>{0, 0, 0} << 0.0 << u"0,0,0,0,0,0,0 "_s;
    }
    void bonusRow() {
        QFETCH(qint16, combatType);
        QFETCH(QList<qint16>, stats);
        QFETCH(QList<qint16>, skill);
        QFETCH(double, setMinDamage);
        QFETCH(QString, values);
        bonusCalc::BonusSet set;
        set.minDamage = setMinDamage;
        const bonusCalc::Bonus bonus =
            bonusCalc::bonus(combatType, {stats[0], stats[1], stats[2], stats[3]},
                             {skill[0], skill[1], skill[2]}, set);
        QCOMPARE(bonusCalc::valueText(bonus), values);
    }

    void marksAndTotals() {
        const bonusCalc::BonusSet set =
            bonusCalc::fromRow(rowWithCells(3, u"-2.5,0,1.5,0,0,0,3,,x,0,-1"_s));
        const bonusCalc::Marks marks = bonusCalc::marks(set);
        QCOMPARE(marks.critical, u" (-2)"_s);
        QCOMPARE(marks.balance, QString());
        QCOMPARE(marks.damage, u" (+2～+0)"_s);
        QCOMPARE(marks.wounds, QString());
        QCOMPARE(marks.str, u" (+3)"_s);
        QCOMPARE(marks.dex, QString());
        QCOMPARE(marks.luck, u" (-1)"_s);

        const bonusCalc::Totals totals =
            bonusCalc::totals(rowWithCells(1, u"35,10,abc,1e999,20.5"_s), set);
        QCOMPARE(totals.str, u"38"_s);
        QCOMPARE(totals.dex, u"0"_s);  // no number
        QCOMPARE(totals.will, u"0"_s); // absurdly large: a safe 0
        QCOMPARE(totals.luck, u"19.5"_s);
        QCOMPARE(bonusCalc::stats(totals).luck, qint16(20)); // read back, ties to even
    }

    void saihin_data() {
        QTest::addColumn<double>("minDamage");
        QTest::addColumn<double>("maxDamage");
        QTest::addColumn<double>("balance");
        QTest::addColumn<double>("mode");
        QTest::newRow("10.5 to even") << 10.0 << 11.0 << 50.0 << 10.0;
        QTest::newRow("11.5 to even") << 10.0 << 13.0 << 50.0 << 12.0;
        QTest::newRow("8.85") << 5.0 << 16.0 << 35.0 << 9.0;
        QTest::newRow("min above max") << 20.0 << 15.0 << 80.0 << 20.0;
        QTest::newRow("past 16 bits") << 40000.0 << 60000.0 << 50.0 << 50000.0;
    }
    void saihin() {
        QFETCH(double, minDamage);
        QFETCH(double, maxDamage);
        QFETCH(double, balance);
        QFETCH(double, mode);
        QCOMPARE(combatCalc::saihin(minDamage, maxDamage, balance), mode);
    }

    void combatLimits() {
        const combatCalc::Combat c = combatCalc::fromSums({5, 16.5, 130.4, 130, 140, 92});
        QCOMPARE(c.maxDamage, 16.0);
        QCOMPARE(c.minWounds, 100.0);
        QCOMPARE(c.maxWounds, 100.0);
        QCOMPARE(c.critical, 140.0);
        QCOMPARE(c.balance, 80.0);
        QCOMPARE(c.saihin, 14.0); // 0.8 x 11 + 5 = 13.8 with the limited balance
        QCOMPARE(combatCalc::text(combatCalc::fromSums({70000, 70001, 0, 0, 0, 0}).minDamage),
                 u"70000"_s);
    }

    void planParse_data() {
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QList<qint16>>("seqs");
        QTest::addColumn<bool>("invalid");
        QTest::addColumn<bool>("truncated");
        QTest::newRow("empty") << QString() << QList<qint16>{} << false << false;
        QTest::newRow("three") << u"12.57.3."_s << QList<qint16>{12, 57, 3} << false << false;
        QTest::newRow("trailing text")
            << u"12.57.3.99"_s << QList<qint16>{12, 57, 3} << false << false;
        QTest::newRow("more than five")
            << u"1.2.3.4.5.6.7."_s << QList<qint16>{1, 2, 3, 4, 5} << false << true;
        QTest::newRow("not a number") << u"12.abc.3."_s << QList<qint16>{12} << true << false;
        QTest::newRow("empty item") << u"12..3."_s << QList<qint16>{12} << true << false;
        QTest::newRow("past 16 bits") << u"12.70000.3."_s << QList<qint16>{12} << true << false;
        QTest::newRow("negative") << u"-4."_s << QList<qint16>{-4} << false << false;
    }
    void planParse() {
        QFETCH(QString, plan);
        QFETCH(QList<qint16>, seqs);
        QFETCH(bool, invalid);
        QFETCH(bool, truncated);
        const planString::Parsed parsed = planString::parse(plan, 5);
        QCOMPARE(parsed.seqs, seqs);
        QCOMPARE(parsed.invalid, invalid);
        QCOMPARE(parsed.truncated, truncated);
    }
};

QTEST_GUILESS_MAIN(TestSimCalc)
#include "test_sim_calc.moc"
