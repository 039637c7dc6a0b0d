// The master database failing under a running simulation: locked by another process, deleted or
// emptied behind the program's back, and each single statement of a command
// interrupted in turn. The real simulator window runs a plan, the fault strikes, and the user
// keeps trying commands. Each command either works and shows the figures a fault-free run shows,
// or says "データベースの処理に失敗しました。" and leaves the figures as they were or blank; once
// the fault is gone the same window works as before.

#include "simulator/PlanString.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/FakeCatalogue.h"
#include "support/FixtureMaster.h"
#include "support/GuiTestSupport.h"
#include "ui/ReportList.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Every text the window shows, by object name.
using Shown = QMap<QString, QString>;

enum class Fault { Locked, Deleted, Emptied };

// Interrupts the n-th statement that starts running on a connection (0: none), in place of the
// connection's own progress handler.
class StatementFault {
public:
    StatementFault(sqlite3* db, int failing)
        : m_db(db)
        , m_failing(failing) {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementFault::onStart, this);
        sqlite3_progress_handler(db, 1, &StatementFault::progress, this);
    }
    ~StatementFault() {
        sqlite3_trace_v2(m_db, 0, nullptr, nullptr);
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
    int started = 0;

private:
    static int onStart(unsigned, void* self, void*, void*) {
        return (++static_cast<StatementFault*>(self)->started, 0);
    }
    static int progress(void* self) {
        const auto* fault = static_cast<StatementFault*>(self);
        return fault->m_failing > 0 && fault->started == fault->m_failing;
    }
    sqlite3* m_db;
    int m_failing;
};

} // namespace

class TestDatabaseFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_master;
    storage::Connection m_db;
    storage::SettingsFile m_settings{QString()};
    std::unique_ptr<testsupport::FakeCatalogue> m_catalogue;
    std::unique_ptr<frmKaizo> m_win;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;
    QList<Shown> m_reference; // a fault-free run after 0, 1, 2, 3 steps
    QProcess m_locker;

    Shown shown() const {
        Shown result{{u"fraBukiSpac"_s,
                      m_win->findChild<QWidget*>(u"fraBukiSpac"_s)->property("title").toString()}};
        for (const QLabel* label : m_win->findChildren<QLabel*>(QRegularExpression(u"^lbl"_s)))
            result.insert(label->objectName(), label->text());
        return result;
    }
    // The list's first modification, or undo or reset.
    void run(const QString& command) {
        if (command == u"cmdKaizo"_s)
            m_win->findChild<ReportList*>(u"lvwKaizo"_s)->setCurrentRow(0);
        m_win->findChild<QPushButton*>(command)->click();
    }
    void runFromScratch(int steps) {
        run(u"cmdReset"_s);
        for (int i = 0; i < steps; ++i)
            run(u"cmdKaizo"_s);
    }
    // Without a message the window shows what a fault-free run shows at its step; with one,
    // either what it showed before or every figure and the list blank.
    void checkOutcome(const Shown& before) {
        const Shown now = shown();
        const qsizetype steps = planString::items(m_win->simulation().plan()).size();
        QVERIFY(m_win->isVisible() && m_win->isEnabled() && steps < m_reference.size());
        if (m_boxes->shown.isEmpty()) {
            QCOMPARE(now, m_reference[steps]);
            return;
        }
        QCOMPARE(m_boxes->texts(), QStringList{u"データベースの処理に失敗しました。"_s});
        QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
        if (now == before)
            return;
        static const QRegularExpression figure(
            u"^lbl(Spec\\d|Combat\\d|BalanceTassei|Jukuren|Cost|StaSaihin)$"_s);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (figure.match(it.key()).hasMatch())
                QVERIFY2(it.value().isEmpty(), qPrintable(it.key()));
            else
                QCOMPARE(it.value(), m_reference[steps].value(it.key()));
        }
        QCOMPARE(m_win->findChild<ReportList*>(u"lvwKaizo"_s)->rowCount(), 0);
    }
    void inject(Fault fault, bool start) {
        switch (fault) {
        case Fault::Locked:
            // A second connection in the sqlite3 shell holds the write lock in a transaction.
            if (start) {
                m_locker.start(u"sqlite3"_s, {m_master});
                m_locker.write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
                while (!m_locker.readAllStandardOutput().contains("held"))
                    QVERIFY(m_locker.waitForReadyRead(10000));
            } else if (m_locker.state() != QProcess::NotRunning) {
                m_locker.write("ROLLBACK;\n.quit\n");
                m_locker.waitForFinished(10000);
            }
            break;
        case Fault::Deleted:
            QVERIFY(!start || QFile::remove(m_master));
            break;
        case Fault::Emptied:
            QVERIFY(!start || QFile(m_master).resize(0));
            break;
        }
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_master = m_dir->filePath(u"master.db"_s);
        testsupport::openFixtureMaster(m_db, m_master);
        m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
        // A profile in use, so that the combat figures are drawn too.
        m_catalogue = std::make_unique<testsupport::FakeCatalogue>();
        m_catalogue->profiles.assignProfiles(
            {{u"勇者"_s, u"35"_s, u"20"_s, u"45"_s, u"30"_s, u"10"_s, u"1"_s, u"F"_s}});
        m_catalogue->profileRow = 0;
        m_win =
            std::make_unique<frmKaizo>(nullptr, storage::Stores{m_db, m_settings}, *m_catalogue);
        QVERIFY(m_win->prepare());
        m_win->show();
        m_reference = {shown()};
        for (int i = 1; i <= 3; ++i) {
            run(u"cmdKaizo"_s);
            m_reference.append(shown());
        }
        QVERIFY(m_boxes->shown.isEmpty());
    }
    void cleanup() {
        m_win.reset();
        m_boxes.reset();
        m_db.close();
    }

    void faultsMidSimulation_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("recovers");
        // The master is only read, without locks, and the work table lives in memory: a lock
        // does not touch the run, and SQLite keeps reading the open file.
        QTest::newRow("locked by another process") << Fault::Locked << true;
        QTest::newRow("deleted") << Fault::Deleted << true;
        QTest::newRow("emptied") << Fault::Emptied << false;
    }
    void faultsMidSimulation() {
        QFETCH(Fault, fault);
        QFETCH(bool, recovers);
        runFromScratch(2);
        const auto endFault = qScopeGuard([&] { inject(fault, false); });
        inject(fault, true);
        for (const QString& command : {u"cmdKaizo"_s, u"cmdBack"_s, u"cmdBack"_s, u"cmdKaizo"_s,
                                       u"cmdReset"_s, u"cmdKaizo"_s}) {
            const Shown before = shown();
            m_boxes->shown.clear();
            run(command);
            checkOutcome(before);
        }
        inject(fault, false);
        if (!recovers)
            return;
        m_boxes->shown.clear();
        for (int steps = 0; steps <= 3; ++steps) {
            runFromScratch(steps);
            QCOMPARE(shown(), m_reference[steps]);
        }
        QCOMPARE(m_boxes->texts(), QStringList());
    }

    void everyStatementFailing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("after"); // the steps a fault-free command leaves
        QTest::newRow("apply") << u"cmdKaizo"_s << 3;
        QTest::newRow("undo") << u"cmdBack"_s << 1;
        QTest::newRow("reset") << u"cmdReset"_s << 0;
    }
    void everyStatementFailing() {
        QFETCH(QString, command);
        QFETCH(int, after);
        // Round 0 counts the statements; each round starts from step 2, which also shows that
        // the window goes on after the failure before.
        for (int failing = 0, statements = 0; failing <= statements; ++failing) {
            m_boxes->shown.clear();
            runFromScratch(2);
            QVERIFY(m_boxes->shown.isEmpty() && shown() == m_reference[2]);
            const StatementFault fault(m_db.handle(), failing);
            run(command);
            if (failing == 0) {
                statements = fault.started;
                QVERIFY(statements > 0 && m_boxes->shown.isEmpty());
                QCOMPARE(shown(), m_reference[after]);
            }
            checkOutcome(m_reference[2]);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(u"statement %1 of %2"_s.arg(failing).arg(statements)));
        }
    }
};

QTEST_MAIN(TestDatabaseFaults)
#include "test_database_faults.moc"
