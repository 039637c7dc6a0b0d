// The start-up with an Access master whose converter fails: it crashes, refuses, or hangs until it
// is killed. The program's own start-up is called; it must end in its message, with the loading
// window gone and no working copy or temporary file left in the program folder.
//
// The start-up looks for the converter beside the running executable, so this test has a folder
// of its own and puts a stand-in converter there for each case.

#include "app/ProgramFolder.h"
#include "app/modMain.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestConverterFaults : public QObject {
    Q_OBJECT

private slots:
    void startUpReportsTheFailure_data();
    void startUpReportsTheFailure();
    void cleanup();

private:
    static QString converterPath() {
        return QDir(QCoreApplication::applicationDirPath()).filePath(u"zelnoa-import"_s);
    }
};

void TestConverterFaults::cleanup() {
    QFile::remove(converterPath());
}

void TestConverterFaults::startUpReportsTheFailure_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("crashes after writing") << QByteArray("printf partial > \"$2\"; kill -SEGV $$");
    QTest::newRow("refuses") << QByteArray("echo '壊れたファイルです' >&2; exit 1");
    // Killed from outside while the loading window waits, as the user's task manager would.
    QTest::newRow("hangs until killed") << QByteArray("echo $$ > \"$2.pid\"; exec sleep 600");
}

void TestConverterFaults::startUpReportsTheFailure() {
    QFETCH(QByteArray, script);
    QFile converter(converterPath());
    QVERIFY(converter.open(QIODevice::WriteOnly | QIODevice::Truncate));
    converter.write("#!/bin/sh\n" + script + '\n');
    converter.close();
    converter.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QTemporaryDir folder;
    QVERIFY(QFile::copy(QStringLiteral(ZELNOA_TEST_DATA "/access/DateTestDatabase.mdb"),
                        folder.filePath(u"vaelbuki.mdb"_s)));
    // The hung converter names itself in a file beside the copy it was to write.
    QTimer killer;
    QObject::connect(&killer, &QTimer::timeout, &killer, [&folder] {
        for (const QString& name : QDir(folder.path()).entryList({u"*.pid"_s}, QDir::Files)) {
            QFile pid(folder.filePath(name));
            if (pid.open(QIODevice::ReadOnly) && pid.size() > 0)
                QProcess::execute(u"kill"_s,
                                  {u"-KILL"_s, QString::fromLatin1(pid.readAll().trimmed())});
        }
    });
    killer.start(500);

    testsupport::RecordingMessageBoxes boxes;
    QElapsedTimer clock;
    clock.start();
    const int code = modMain::Main({folder.path(), u"zelnoa"_s});
    killer.stop();

    QCOMPARE(code, 1);
    QCOMPARE(boxes.texts(), QStringList{u"データベース接続に失敗しました。"_s});
    QCOMPARE(boxes.shown.first().icon, ui::Icon::Critical);
    QVERIFY(clock.elapsed() < 30000);
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeIf([](const QString& name) { return name.endsWith(u".pid"_s); });
    QCOMPARE(left, (QStringList{u"vaelbuki.mdb"_s, u"zelnoa.ini"_s}));
}

QTEST_MAIN(TestConverterFaults)
#include "test_converter_faults.moc"
