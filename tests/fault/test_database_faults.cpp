// The master database failing under a running simulation: locked by another process, turned
// read-only, deleted or emptied behind the program's back, and each single statement of a command
// interrupted in turn. The real simulator window runs a plan, the fault strikes, and the user
// keeps trying commands. Each command either works and shows the figures a fault-free run shows,
// or says "データベースの処理に失敗しました。" and leaves the figures as they were; once the fault
// is gone the same window works as before.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "simulator/PlanString.h"
#include "simulator/WorkTable.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"

#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kDatabaseFailed = u"データベースの処理に失敗しました。"_s;

// Every figure and step the window shows, by object name.
using Shown = QMap<QString, QString>;

enum class Command { Apply, Undo, Reset };

// A fault that starts and ends on demand; ending it must always be safe to call.
struct Fault {
    std::function<void()> start;
    std::function<void()> end;
};

// Interrupts the n-th statement that starts running on the program's connection (0: none).
class StatementFault {
public:
    explicit StatementFault(int failing)
        : m_failing(failing) {
        sqlite3* db = storage::cnDatabase().handle();
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementFault::started, this);
        sqlite3_progress_handler(db, 1, &StatementFault::progress, this);
    }
    ~StatementFault() {
        sqlite3* db = storage::cnDatabase().handle();
        sqlite3_trace_v2(db, 0, nullptr, nullptr);
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
    }
    int started() const { return m_started; }

private:
    static int started(unsigned, void* self, void*, void*) {
        ++static_cast<StatementFault*>(self)->m_started;
        return 0;
    }
    static int progress(void* self) {
        const auto* fault = static_cast<StatementFault*>(self);
        return fault->m_failing > 0 && fault->m_started == fault->m_failing ? 1 : 0;
    }
    int m_failing;
    int m_started = 0;
};

} // namespace

class TestDatabaseFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultsMidSimulation_data();
    void faultsMidSimulation();
    void everyStatementFailing_data();
    void everyStatementFailing();

private:
    Shown shown() const;
    void run(Command command);
    void checkOutcome(const Shown& before, const QList<Shown>& reference);
    Fault lockedByAnotherProcess();
    Fault turnedReadOnly();
    Fault deleted();
    Fault emptied();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_master;
    KaizoWindow m_kaizo;
    testsupport::RecordingMessageBoxes* m_boxes = nullptr;
    std::unique_ptr<QProcess> m_locker;
};

void TestDatabaseFaults::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_master = m_dir->filePath(u"master.db"_s);
    simfixture::openMaster(m_master);
    QVERIFY(workTable::deleteWork({}));
    m_boxes = new testsupport::RecordingMessageBoxes;
    // A profile, so that the combat figures are drawn too.
    m_kaizo.catalogue.addProfile(
        {u"勇者"_s, u"35"_s, u"20"_s, u"45"_s, u"30"_s, u"10"_s, u"1"_s, u"F"_s});
    QVERIFY(m_kaizo.open());
}

void TestDatabaseFaults::cleanup() {
    m_kaizo.win.reset();
    m_kaizo.catalogue.profiles.clear();
    delete m_boxes;
    storage::cnDatabase().close();
    m_locker.reset();
    m_dir.reset();
}

Shown TestDatabaseFaults::shown() const {
    Shown result;
    for (const QLabel* label : m_kaizo.win->findChildren<QLabel*>()) {
        if (label->objectName().startsWith(u"lbl"_s))
            result.insert(label->objectName(), label->text());
    }
    result.insert(u"fraBukiSpac"_s, m_kaizo.frame());
    return result;
}

void TestDatabaseFaults::run(Command command) {
    switch (command) {
    case Command::Apply:
        m_kaizo.apply(0);
        break;
    case Command::Undo:
        m_kaizo.click("cmdBack");
        break;
    case Command::Reset:
        m_kaizo.click("cmdReset");
        break;
    }
}

// With a failure message a command may leave the figures as they were, or blank figures beside
// the steps the simulation now holds; without one it must show what a fault-free run shows at that
// step. Either way the rest of the window stays as it was.
void TestDatabaseFaults::checkOutcome(const Shown& before, const QList<Shown>& reference) {
    const Shown now = shown();
    const qsizetype steps = planString::items(m_kaizo.plan()).size();
    QVERIFY(steps < reference.size());
    if (m_boxes->shown.isEmpty()) {
        QCOMPARE(now, reference[steps]);
        return;
    }
    QCOMPARE(m_boxes->texts(), QStringList{kDatabaseFailed});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
    if (now == before)
        return;
    static const QRegularExpression figure(
        u"^lbl(Spec\\d|Combat\\d|BalanceTassei|Jukuren|Cost|StaSaihin)$"_s);
    static const QRegularExpression step(u"^(lblKaizo|lblKaizoNaiyo)\\d$|^fraBukiSpac$"_s);
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (figure.match(it.key()).hasMatch())
            QVERIFY2(it.value().isEmpty(), qPrintable(it.key()));
        else if (step.match(it.key()).hasMatch())
            QCOMPARE(it.value(), reference[steps].value(it.key()));
        else
            QCOMPARE(it.value(), before.value(it.key()));
    }
    QCOMPARE(m_kaizo.list()->model()->rowCount(), 0);
}

// A second connection in the sqlite3 shell holds the write lock in an open transaction.
Fault TestDatabaseFaults::lockedByAnotherProcess() {
    return {[this] {
                m_locker = std::make_unique<QProcess>();
                m_locker->start(u"sqlite3"_s, {m_master});
                QVERIFY(m_locker->waitForStarted());
                m_locker->write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
                while (!m_locker->readAllStandardOutput().contains("held"))
                    QVERIFY(m_locker->waitForReadyRead(10000));
            },
            [this] {
                if (!m_locker)
                    return;
                m_locker->write("ROLLBACK;\n.quit\n");
                m_locker->closeWriteChannel();
                m_locker->waitForFinished(10000);
            }};
}

// The immutable flag refuses writes even through descriptors already open, as a file system
// remounted read-only does. The memory-mapped lock file stays writable: SQLite needs it to read.
Fault TestDatabaseFaults::turnedReadOnly() {
    const auto flag = [this](const char* change) {
        for (const QString& file : {m_master, m_master + u"-wal"_s})
            QProcess::execute(u"chattr"_s, {QString::fromLatin1(change), file});
    };
    return {[flag] { flag("+i"); },
            [flag] {
                flag("-i");
            }};
}

Fault TestDatabaseFaults::deleted() {
    return {[this] {
                for (const QString& suffix : {u""_s, u"-wal"_s, u"-shm"_s})
                    QFile::remove(m_master + suffix);
            },
            [] {
            }};
}

Fault TestDatabaseFaults::emptied() {
    return {[this] {
                for (const QString& suffix : {u""_s, u"-wal"_s})
                    QFile(m_master + suffix).resize(0);
            },
            [] {
            }};
}

void TestDatabaseFaults::faultsMidSimulation_data() {
    QTest::addColumn<int>("fault");
    // Every command writes, so a refused write must be reported by each one.
    QTest::addColumn<bool>("refusesWrites");
    QTest::addColumn<bool>("recovers");
    QTest::newRow("locked by another process") << 0 << true << true;
    QTest::newRow("turned read-only") << 1 << true << true;
    // SQLite keeps working on the open files, so the run goes on unharmed.
    QTest::newRow("deleted") << 2 << false << true;
    QTest::newRow("emptied") << 3 << false << false;
}

void TestDatabaseFaults::faultsMidSimulation() {
    QFETCH(int, fault);
    QFETCH(bool, refusesWrites);
    QFETCH(bool, recovers);
    const bool root = geteuid() == 0;
    if (fault == 0 && QStandardPaths::findExecutable(u"sqlite3"_s).isEmpty())
        QSKIP("needs the sqlite3 shell");
    if (fault == 1 && (!root || QStandardPaths::findExecutable(u"chattr"_s).isEmpty()))
        QSKIP("needs root and chattr");
    const Fault injected =
        std::array{lockedByAnotherProcess(), turnedReadOnly(), deleted(), emptied()}[fault];

    // The figures of a fault-free run, step by step: 0, 1, 2, 3 applied modifications.
    QList<Shown> reference{shown()};
    for (int i = 0; i < 3; ++i) {
        run(Command::Apply);
        reference.append(shown());
    }
    run(Command::Undo);
    QCOMPARE(shown(), reference[2]);
    QVERIFY(m_boxes->shown.isEmpty());

    const auto endFault = qScopeGuard([&injected] { injected.end(); });
    injected.start();
    for (Command command : {Command::Apply, Command::Undo, Command::Undo, Command::Apply,
                            Command::Reset, Command::Apply}) {
        const Shown before = shown();
        m_boxes->shown.clear();
        run(command);
        QVERIFY(m_kaizo.win->isVisible() && m_kaizo.win->isEnabled());
        QVERIFY(!refusesWrites || !m_boxes->shown.isEmpty());
        checkOutcome(before, reference);
    }
    injected.end();
    if (!recovers)
        return;

    // The same window, the fault gone: a fresh plan runs as before.
    m_boxes->shown.clear();
    run(Command::Reset);
    QCOMPARE(shown(), reference[0]);
    for (int i = 1; i <= 3; ++i) {
        run(Command::Apply);
        QCOMPARE(shown(), reference[i]);
    }
    QCOMPARE(m_boxes->texts(), QStringList());
}

void TestDatabaseFaults::everyStatementFailing_data() {
    QTest::addColumn<Command>("command");
    QTest::newRow("apply") << Command::Apply;
    QTest::newRow("undo") << Command::Undo;
    QTest::newRow("reset") << Command::Reset;
}

void TestDatabaseFaults::everyStatementFailing() {
    QFETCH(Command, command);
    QList<Shown> reference{shown()};
    for (int i = 0; i < 3; ++i) {
        run(Command::Apply);
        reference.append(shown());
    }
    const int after = command == Command::Apply ? 3 : command == Command::Undo ? 1 : 0;
    const auto toStepTwo = [&] {
        run(Command::Reset);
        run(Command::Apply);
        run(Command::Apply);
        QCOMPARE(shown(), reference[2]);
    };

    toStepTwo();
    int statements = 0;
    {
        const StatementFault counting(0);
        run(command);
        statements = counting.started();
    }
    QCOMPARE(shown(), reference[after]);
    QVERIFY(statements > 0);
    QVERIFY(m_boxes->shown.isEmpty());

    for (int failing = 1; failing <= statements; ++failing) {
        toStepTwo();
        m_boxes->shown.clear();
        {
            const StatementFault fault(failing);
            run(command);
        }
        const QString where = u"statement %1 of %2"_s.arg(failing).arg(statements);
        checkOutcome(reference[2], reference);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(where));
        // The window goes on from there.
        m_boxes->shown.clear();
        run(Command::Reset);
        QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(where));
        QVERIFY2(shown() == reference[0], qPrintable(where));
    }
}

QTEST_MAIN(TestDatabaseFaults)
#include "test_database_faults.moc"
