// zelnoa-plan's command: what it accepts, the rows it prints for one weapon and for every weapon,
// and how it fails on files it cannot use.

#include "support/TestSupport.h"
#include "tools/plan/PlanCommand.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Output {
    int status;
    QStringList rows;
    QString errors;
};

} // namespace

class TestPlanCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Arguments separated by blanks, "$DIR" standing for the test's folder.
    Output run(const QString& arguments) {
        const auto parsed = planCommand::parse(
            QString(arguments).replace(u"$DIR"_s, m_dir.path()).split(u' ', Qt::SkipEmptyParts));
        const auto* options = std::get_if<planCommand::Options>(&parsed);
        if (!options)
            return {2, {}, std::get<QString>(parsed)};
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = planCommand::run(*options, programPaths(m_dir.path(), u"zelnoa"_s),
                                            outStream, errStream);
        outStream.flush();
        errStream.flush();
        return {status, out.split(u'\n', Qt::SkipEmptyParts), err};
    }

private slots:
    void initTestCase() {
        testsupport::copySampleDatabase(m_dir.path());
        testsupport::writeBytes(m_dir.filePath(u"zelnoa.ini"_s),
                                "[SYSTEM]\r\nCount=1\r\nEnchantCount=1\r\n"
                                "[PROFILE1]\r\nName=Alice\r\nStr=120\r\nDex=150\r\n"
                                "Will=60\r\nLuck=40\r\n[ENCHANT1]\r\nName=Set\r\n"
                                "MinDamage=3\r\nMaxDamage=5\r\n");
    }

    // Arguments it refuses (2) and files it cannot use (1): a reason and no rows.
    void refusals_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        for (const char* arguments :
             {"--top 3", "--weapon 2 --all-weapons", "--all-weapons --objective speed",
              "--all-weapons --top", "--weapon 2x", "--all-weapons --max-cost -1",
              "--all-weapons --top 0", "--all-weapons --bonus Set", "--all-weapons please"})
            QTest::newRow(arguments) << QString::fromLatin1(arguments) << 2;
        for (const char* arguments :
             {"--all-weapons --master $DIR/none.mdb", "--all-weapons --master $DIR/zelnoa.ini",
              "--all-weapons --settings $DIR/none.ini", "--weapon 9999",
              "--weapon 2 --profile Bob --settings $DIR/zelnoa.ini"})
            QTest::newRow(arguments) << QString::fromLatin1(arguments) << 1;
    }
    void refusals() {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        const Output output = run(arguments);
        QCOMPARE(output.status, status);
        QVERIFY(output.rows.isEmpty());
        QVERIFY(status == 2 ? !output.errors.isEmpty()
                            : output.errors.startsWith(u"zelnoa-plan: "_s));
    }

    // The rows of one weapon are the search's best plans, ranked, written as the simulator shows
    // them; a character raises the combat figures.
    void oneWeapon() {
        const Output plain = run(u"--weapon 2 --top 3"_s);
        QCOMPARE(plain.status, 0);
        QCOMPARE(plain.rows.size(), 4);
        QCOMPARE(plain.rows[0], u"rank\tweapon\tweapon_name\tplan\tsteps\tvalue\tdamage\twounds\t"
                                u"critical\tbalance\ttaikyu\texp\tcost"_s);
        QCOMPARE(plain.rows[1],
                 u"1\t2\t鉄の片手剣\t101.102.102.102.102.\t"
                 u"刃の研磨→重量増加→重量増加→重量増加→重量増加\t21\t16～27\t10～25\t"
                 u"13\t43\t13\t95\t13,500"_s);
        const Output strong =
            run(u"--weapon 2 --top 1 --profile Alice --bonus Set --settings $DIR/zelnoa.ini"_s);
        QCOMPARE(strong.status, 0);
        QVERIFY(strong.rows[1].section(u'\t', 5, 5).toInt() > 21);
    }

    // Every weapon's best plan, best first under the limits.
    void everyWeapon() {
        const Output output =
            run(u"--all-weapons --objective max-damage --max-cost 20000 --top 5"_s);
        QCOMPARE(output.status, 0);
        QCOMPARE(output.rows.size(), 6);
        double previous = 1e9;
        for (int i = 1; i < output.rows.size(); ++i) {
            const QStringList cells = output.rows[i].split(u'\t');
            QCOMPARE(cells[0], QString::number(i));
            QVERIFY(cells[5].toDouble() <= previous);
            QVERIFY(QString(cells[12]).remove(u',').toInt() <= 20000);
            previous = cells[5].toDouble();
        }
    }
};

QTEST_GUILESS_MAIN(TestPlanCommand)
#include "test_plan_command.moc"
