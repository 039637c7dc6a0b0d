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
    QString m_master;
    QString m_settings;

    Output run(const QStringList& arguments) {
        const auto parsed = planCommand::parse(arguments);
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
        m_master = testsupport::copySampleDatabase(m_dir.path());
        m_settings = m_dir.filePath(u"zelnoa.ini"_s);
        testsupport::writeBytes(m_settings, "[SYSTEM]\r\nCount=1\r\nEnchantCount=1\r\n"
                                            "[PROFILE1]\r\nName=Alice\r\nStr=120\r\nDex=150\r\n"
                                            "Will=60\r\nLuck=40\r\n[ENCHANT1]\r\nName=Set\r\n"
                                            "MinDamage=3\r\nMaxDamage=5\r\n");
    }

    void refusedArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no weapon") << QStringList{};
        QTest::newRow("both") << QStringList{u"--weapon"_s, u"2"_s, u"--all-weapons"_s};
        QTest::newRow("unknown objective")
            << QStringList{u"--all-weapons"_s, u"--objective"_s, u"speed"_s};
        QTest::newRow("value missing") << QStringList{u"--all-weapons"_s, u"--top"_s};
        QTest::newRow("not a number") << QStringList{u"--weapon"_s, u"2x"_s};
        QTest::newRow("negative limit")
            << QStringList{u"--all-weapons"_s, u"--max-cost"_s, u"-1"_s};
        QTest::newRow("no rows") << QStringList{u"--all-weapons"_s, u"--top"_s, u"0"_s};
        QTest::newRow("bonus alone") << QStringList{u"--all-weapons"_s, u"--bonus"_s, u"Set"_s};
        QTest::newRow("stray word") << QStringList{u"--all-weapons"_s, u"please"_s};
    }
    void refusedArguments() {
        QFETCH(QStringList, arguments);
        const Output output = run(arguments);
        QCOMPARE(output.status, 2);
        QVERIFY(!output.errors.isEmpty());
    }

    // The rows of one weapon are the search's best plans, ranked, written as the simulator shows
    // them; a character raises the combat figures.
    void oneWeapon() {
        const Output plain = run({u"--weapon"_s, u"2"_s, u"--top"_s, u"3"_s});
        QCOMPARE(plain.status, 0);
        QCOMPARE(plain.rows.size(), 4);
        QCOMPARE(plain.rows[0], u"rank\tweapon\tweapon_name\tplan\tsteps\tvalue\tdamage\twounds\t"
                                u"critical\tbalance\ttaikyu\texp\tcost"_s);
        QCOMPARE(plain.rows[1],
                 u"1\t2\t鉄の片手剣\t101.102.102.102.102.\t"
                 u"刃の研磨→重量増加→重量増加→重量増加→重量増加\t21\t16～27\t10～25\t"
                 u"13\t43\t13\t95\t13,500"_s);
        const Output strong =
            run({u"--weapon"_s, u"2"_s, u"--top"_s, u"1"_s, u"--profile"_s, u"Alice"_s,
                 u"--bonus"_s, u"Set"_s, u"--settings"_s, m_settings});
        QCOMPARE(strong.status, 0);
        QVERIFY(strong.rows[1].section(u'\t', 5, 5).toInt() > 21);
    }

    // Every weapon's best plan, best first under the limits.
    void everyWeapon() {
        const Output output = run({u"--all-weapons"_s, u"--objective"_s, u"max-damage"_s,
                                   u"--max-cost"_s, u"20000"_s, u"--top"_s, u"5"_s});
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

    void unusableFiles_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("missing master")
            << QStringList{u"--all-weapons"_s, u"--master"_s, m_dir.filePath(u"none.mdb"_s)};
        QTest::newRow("master that is no database")
            << QStringList{u"--all-weapons"_s, u"--master"_s, m_settings};
        QTest::newRow("missing settings")
            << QStringList{u"--all-weapons"_s, u"--settings"_s, m_dir.filePath(u"none.ini"_s)};
        QTest::newRow("unknown profile") << QStringList{
            u"--weapon"_s, u"2"_s, u"--profile"_s, u"Bob"_s, u"--settings"_s, m_settings};
        QTest::newRow("unknown weapon") << QStringList{u"--weapon"_s, u"9999"_s};
    }
    void unusableFiles() {
        QFETCH(QStringList, arguments);
        const Output output = run(arguments);
        QCOMPARE(output.status, 1);
        QVERIFY(output.rows.isEmpty());
        QVERIFY(output.errors.startsWith(u"zelnoa-plan: "_s));
    }
};

QTEST_GUILESS_MAIN(TestPlanCommand)
#include "test_plan_command.moc"
