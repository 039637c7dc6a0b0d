// One running program per user and program folder, and no stale lock after a crash.

#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using State = SingleInstance::State;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void secondStart_data();
    void secondStart();
    void killedHolderLeavesNoLock();

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_folders;
};

void TestSingleInstance::initTestCase() {
    QVERIFY(m_runtime.isValid() && m_folders.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    QDir root(m_folders.path());
    QVERIFY(root.mkpath(QStringLiteral("a/bin")) && root.mkpath(QStringLiteral("b/bin")));
    QVERIFY(
        QFile::link(root.filePath(QStringLiteral("a/bin")), root.filePath(QStringLiteral("link"))));
}

void TestSingleInstance::secondStart_data() {
    QTest::addColumn<QString>("second");
    QTest::addColumn<State>("expected");
    QTest::newRow("same folder") << QStringLiteral("a/bin") << State::RunningElsewhere;
    QTest::newRow("same folder spelled differently")
        << QStringLiteral("a/../a/bin/") << State::RunningElsewhere;
    QTest::newRow("same folder through a link")
        << QStringLiteral("link") << State::RunningElsewhere;
    QTest::newRow("another folder") << QStringLiteral("b/bin") << State::Acquired;
}

void TestSingleInstance::secondStart() {
    QFETCH(QString, second);
    QFETCH(State, expected);
    const QDir root(m_folders.path());
    SingleInstance first;
    QCOMPARE(first.acquire(root.filePath(QStringLiteral("a/bin"))), State::Acquired);
    SingleInstance other;
    QCOMPARE(other.acquire(root.filePath(second)), expected);
}

void TestSingleInstance::killedHolderLeavesNoLock() {
    const QString folder = QDir(m_folders.path()).filePath(QStringLiteral("a/bin"));
    const QByteArray lockPath = QFile::encodeName(SingleInstance::lockFilePath(folder));
    QVERIFY(lockPath.startsWith(QFile::encodeName(m_runtime.path())));

    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // Only async-signal-safe calls in the child of a possibly threaded process.
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
    ::close(ready[0]);
    QCOMPARE(ok, '1');

    SingleInstance whileHeld;
    const State held = whileHeld.acquire(folder);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QCOMPARE(held, State::RunningElsewhere);

    QVERIFY(QFile::exists(QFile::decodeName(lockPath)));
    SingleInstance afterCrash;
    QCOMPARE(afterCrash.acquire(folder), State::Acquired);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
