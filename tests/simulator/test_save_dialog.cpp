// Saved plans: how the settings file is read and a failed write, plan records and the texts a
// plan is saved with; then the save and load dialog driven like a user, with the settings file
// compared afterwards, and a plan saved and loaded back through the real simulator window.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "simulator/WorkTable.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Cp932.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using planStore::ParsedRecord;

Q_DECLARE_METATYPE(planStore::ParsedRecord::Status)

namespace {

class FixedClock : public planStore::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)); }
};

const QString kData = u"23 101.102."_s;
const QString kSpec = u"10～23 クリティカル10 バランス50 耐久13"_s;

// The three plans the file starts with, A, B and C: figures, date and record after the name.
const QStringList kPlans[3] = {{u"s1"_s, u"d1"_s, u"23 101."_s},
                               {u"s2"_s, u"d2"_s, u"30 102."_s},
                               {u"s3"_s, u"d3"_s, u"23 103."_s}};
const QStringList kKeys = {u"Name"_s, u"Spec"_s, u"Date"_s, u"Data"_s};

// The settings file as lines. set() changes it the way one write does: the key's line where it
// stands, or a new line after the last key of the section.
struct IniLines {
    QStringList lines;
    void set(const QString& key, const QString& value) {
        int end = lines.indexOf(u"[WEAPON1]"_s) + 1;
        for (; end < lines.size() && !lines[end].startsWith(u'['); ++end) {
            if (lines[end].startsWith(key + u'=')) {
                lines[end] = key + u'=' + value;
                return;
            }
        }
        lines.insert(end, key + u'=' + value);
    }
    QByteArray bytes() const { return storage::cp932Encode(lines.join(u"\r\n"_s) + u"\r\n"_s); }
};

// names: the stored plans' names as letters, "ABA" naming C "A式".
QString nameOf(const QString& names, int i) {
    return names[i] + u'式';
}

IniLines initialFile(const QString& names = u"ABC"_s) {
    IniLines ini{{u"[WEAPON1]"_s, u"Count=3"_s}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k)
            ini.lines << kKeys[k] + QString::number(i + 1) + u'=' +
                             (k == 0 ? nameOf(names, i) : kPlans[i][k - 1]);
    ini.lines << u"[SYSTEM]"_s << u"Database=vaelbuki.mdb"_s;
    return ini;
}

QString inUse(const QString& name) {
    return name + u"は使われている名前です。既存の項目を上書きしますか？"_s;
}
const QString kApplyDeletion = u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s;
const QString kNoItems = u"改造項目なす"_s;
const QString kNoSelection = u"選択されてなす"_s;

} // namespace

class TestSaveDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    RefusingFileSystem m_fileSystem;
    std::unique_ptr<storage::SettingsFile> m_settings;
    std::optional<FakeSimulator> m_sim;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;
    FixedClock m_clock;

    void useFile(const QByteArray& bytes) {
        testsupport::writeBytes(m_path, bytes);
        m_settings = std::make_unique<storage::SettingsFile>(m_path, m_fileSystem,
                                                             std::chrono::milliseconds(0));
        storage::setCurrentSettingsFile(m_settings.get());
    }
    qint16 save(const QString& jukuren = u"45"_s) {
        return frmSaveDialog::intFormStartSave(*m_sim, kData, kSpec, jukuren, m_clock);
    }
    QByteArray fileBytes() const { return testsupport::readBytes(m_path); }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"zelnoa.ini"_s);
        m_fileSystem.refuse = false;
        m_sim.emplace();
        m_boxes.emplace();
    }
    void cleanup() {
        storage::setCurrentSettingsFile(nullptr);
        m_boxes.reset();
    }

    void countReading_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("more than stored") << u"5"_s << 5;
        QTest::newRow("leading number") << u"2abc"_s << 2;
        QTest::newRow("half, to even") << u"2.5"_s << 2;
        QTest::newRow("not a number") << u"abc"_s << 0;
        QTest::newRow("negative") << u"-3"_s << 0;
    }
    void countReading() {
        QFETCH(QString, count);
        QFETCH(int, rows);
        IniLines file = initialFile();
        file.set(u"Count"_s, count);
        useFile(file.bytes());
        const std::vector<planStore::Plan> plans = planStore::read(1);
        QCOMPARE(int(plans.size()), rows);
        for (int i = 3; i < rows; ++i) {
            const planStore::Plan& missing = plans[std::size_t(i)];
            QVERIFY(missing.name.isEmpty() && missing.spec.isEmpty() && missing.date.isEmpty() &&
                    missing.data.isEmpty());
        }
        if (rows >= 3)
            QCOMPARE(plans[2].data, u"23 103."_s);
    }

    void failedWriteLeavesTheFile() {
        useFile(initialFile().bytes());
        const QByteArray before = fileBytes();
        m_fileSystem.refuse = true;
        const planStore::Plan plan{u"新"_s, u"spec"_s, u"date"_s, u"23 1."_s};
        QVERIFY(!planStore::write(1, planStore::read(1), &plan).saved);
        QVERIFY(!planStore::write(1, {}).saved);
        QCOMPARE(fileBytes(), before);
        QCOMPARE(planStore::read(1).size(), std::size_t(3));
    }

    void planRecords_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<ParsedRecord::Status>("status");
        QTest::addColumn<int>("seq");
        QTest::addColumn<QString>("plan");
        QTest::newRow("three steps") << u"23 12.57.3."_s << ParsedRecord::Ok << 23 << u"12.57.3."_s;
        QTest::newRow("no steps") << u"30 "_s << ParsedRecord::Ok << 30 << QString();
        QTest::newRow("only the first space splits")
            << u"30 1. 2."_s << ParsedRecord::Ok << 30 << u"1. 2."_s;
        QTest::newRow("no space") << u"12.57."_s << ParsedRecord::NoSpace << 0 << QString();
        QTest::newRow("letters") << u"abc 12."_s << ParsedRecord::Broken << 0 << QString();
        QTest::newRow("number then letters")
            << u"23x 12."_s << ParsedRecord::Broken << 0 << QString();
        QTest::newRow("space first") << u" 23 12."_s << ParsedRecord::Broken << 0 << QString();
        QTest::newRow("beyond 16 bits") << u"40000 12."_s << ParsedRecord::Broken << 0 << QString();
        QTest::newRow("tab before the number")
            << u"\t23 12."_s << ParsedRecord::Broken << 0 << QString();
    }
    void planRecords() {
        QFETCH(QString, data);
        QFETCH(ParsedRecord::Status, status);
        QFETCH(int, seq);
        QFETCH(QString, plan);
        const ParsedRecord parsed = planStore::parseRecord(data);
        QCOMPARE(parsed.status, status);
        if (status == ParsedRecord::Ok) {
            QCOMPARE(int(parsed.changeSeq), seq);
            QCOMPARE(parsed.plan, plan);
        }
    }

    void savedTexts() {
        ShownFigures shown{
            u"45"_s, QString(), QString(), 0,         QStringList(),        u"12～25"_s,
            u"18"_s, u"45"_s,   u"15"_s,   QString(), u"鍛冶 : 名匠の作"_s, u"23"_s};
        QCOMPARE(planStore::specText(shown), u"12～25 クリティカル18 バランス45 耐久15"_s);
        QCOMPARE(planStore::jukurenText(shown), u"45"_s);
        QCOMPARE(planStore::record(shown.changeTag, u"12.57.3."_s), u"23 12.57.3."_s);
        shown.changeTag = u"30"_s;
        QCOMPARE(planStore::jukurenText(shown), u"鍛冶 : 名匠の作45"_s);
        QCOMPARE(planStore::dateText(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))),
                 u"1999/12/31 23:59:59"_s);
    }

    void script_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("names"); // of the three stored plans
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("answers"); // Y and N, in order
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("result");
        // "=" the file unchanged; otherwise the plans written back (A, B, C), "+" the new one.
        QTest::addColumn<QString>("written");
        const auto row = [](const char* name, bool saving, const char* names, const char* steps,
                            const char* answers, const QStringList& messages, int result,
                            const char* written) {
            QTest::newRow(name) << saving << QString::fromLatin1(names) << QString::fromUtf8(steps)
                                << QString::fromLatin1(answers) << messages << result
                                << QString::fromLatin1(written);
        };
        const QStringList ask{kApplyDeletion};
        const bool save = true;
        const bool load = false;
        row("save confirmed", save, "ABC", "cmdOK", "", {}, 0, "ABC+");
        row("save confirmed after a deletion: no question", save, "ABC", "@1,cmdDel,cmdOK", "", {},
            0, "AC+");
        row("save cancelled after a deletion, Yes", save, "ABC", "@1,cmdDel,cmdCancel", "Y", ask, 1,
            "AC");
        row("save cancelled after a deletion, No", save, "ABC", "@1,cmdDel,cmdCancel", "N", ask, 1,
            "=");
        row("save cancelled", save, "ABC", "cmdCancel", "", {}, 1, "=");
        row("save, Esc after a deletion, Yes", save, "ABC", "@1,cmdDel,Esc", "Y", ask, 1, "AC");
        row("save closed by the box after a deletion", save, "ABC", "@1,cmdDel,close", "", {}, 1,
            "=");
        row("save, double-click does nothing", save, "ABC", "dbl0,cmdCancel", "", {}, 1, "=");
        row("overwrite, Yes", save, "ABC", "=B式,cmdOK", "Y", {inUse(u"B式"_s)}, 0, "AC+");
        row("overwrite, No stays open", save, "ABC", "=B式,cmdOK,cmdCancel", "N", {inUse(u"B式"_s)},
            1, "=");
        row("overwrite a name typed with blanks", save, "ABC", "=　B式 ,cmdOK", "Y",
            {inUse(u"B式"_s)}, 0, "AC+");
        row("two rows of the same name, Yes twice", save, "ABA", "=A式,cmdOK", "YY",
            {inUse(u"A式"_s), inUse(u"A式"_s)}, 0, "B+");
        row("marks of a refused overwrite are cleared", save, "ABA", "=A式,cmdOK,=B式,cmdOK", "YNY",
            {inUse(u"A式"_s), inUse(u"A式"_s), inUse(u"B式"_s)}, 0, "AC+");
        row("blank name", save, "ABC", "= 　 ,cmdOK,cmdCancel", "",
            {u"名前が入力されていません。"_s}, 1, "=");
        row("name the file cannot hold", save, "ABC", "=😀式,cmdOK,cmdCancel", "",
            {u"保存できない文字が含まれています。"_s}, 1, "=");
        // Every load that goes through replays plan C.
        row("load confirmed after a deletion, Yes", load, "ABC", "@1,cmdDel,@1,cmdOK", "Y", ask, 0,
            "AC");
        row("load confirmed after a deletion, No", load, "ABC", "@1,cmdDel,@1,cmdOK", "N", ask, 0,
            "=");
        row("load by double-click", load, "ABC", "dbl2", "", {}, 0, "=");
        row("load, double-click below the rows does nothing", load, "ABC", "@2,dbl-,cmdCancel", "",
            {}, 1, "=");
        row("load without a selection", load, "ABC", "cmdOK,cmdDel,cmdCancel", "",
            {kNoSelection, kNoSelection}, 1, "=");
        row("delete every plan, then cancel with Yes", load, "ABC",
            "@0,cmdDel,@0,cmdDel,@0,cmdDel,cmdDel,cmdOK,cmdCancel", "Y",
            {kNoItems, kNoItems, kApplyDeletion}, 1, "");
    }
    void script() {
        QFETCH(bool, saving);
        QFETCH(QString, names);
        QFETCH(QString, steps);
        QFETCH(QString, answers);
        QFETCH(QStringList, messages);
        QFETCH(int, result);
        QFETCH(QString, written);

        IniLines expected = initialFile(names);
        useFile(expected.bytes());
        for (QChar answer : answers)
            m_boxes->answers << (answer == u'Y' ? ui::Answer::Yes : ui::Answer::No);
        playInDialog(steps);
        QCOMPARE(saving ? save() : frmSaveDialog::intFormStartLoad(*m_sim), qint16(result));
        QCOMPARE(m_boxes->texts(), messages);
        QVERIFY(m_boxes->answers.isEmpty());
        QCOMPARE(m_sim->calls,
                 !saving && result == 0
                     ? QStringList({u"change 23"_s, u"reset for replay"_s, u"replay 103."_s})
                     : QStringList());

        if (written != u"=") {
            const QString kept = QString(written).remove(u'+');
            for (int i = 0; i < kept.size(); ++i) {
                const int plan = kept[i].unicode() - u'A';
                for (int k = 0; k < 4; ++k)
                    expected.set(kKeys[k] + QString::number(i + 1),
                                 k == 0 ? nameOf(names, plan) : kPlans[plan][k - 1]);
            }
            const bool added = written.endsWith(u'+');
            expected.set(u"Count"_s, QString::number(kept.size() + (added ? 1 : 0)));
            if (added) {
                const QString n = QString::number(kept.size() + 1);
                const qsizetype typed = steps.lastIndexOf(u'=');
                expected.set(u"Name"_s + n,
                             typed < 0 ? u"45式"_s : steps.mid(typed + 1).section(u',', 0, 0));
                expected.set(u"Data"_s + n, kData);
                expected.set(u"Spec"_s + n, kSpec);
                expected.set(u"Date"_s + n, u"2024/03/05 9:07:03"_s);
            }
        }
        QCOMPARE(fileBytes(), expected.bytes());
    }

    void opening() {
        useFile(initialFile().bytes());
        testsupport::whenModal([] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"改造データ保存"_s);
            auto* txtName = dialog->findChild<QLineEdit*>(u"txtName"_s);
            QCOMPARE(dialog->focusWidget(), txtName);
            QCOMPARE(txtName->selectedText(), u"鍛冶 : 名匠の作45式"_s);
            QCOMPARE(dialog->findChild<QLabel*>(u"lblSpec"_s)->text(), kSpec);
            QCOMPARE(dialog->findChild<QPushButton*>(u"cmdOK"_s)->text(), u"保存(&S)"_s);
            const RowListModel& model = *dialog->findChild<ReportList*>()->rowModel();
            QCOMPARE(model.count(), 3);
            const ListRow& b = model.row(1);
            QCOMPARE(b.text + b.cell(1) + b.cell(2) + b.tag, u"B式s2d230 102."_s);
            QStringList headers;
            for (const ColumnSpec& column : model.columns())
                headers << column.caption + u':' + QString::number(column.twips);
            QCOMPARE(headers, QStringList({u"改造式:1600"_s, u"性能:3500"_s, u"日付:1200"_s}));
            dialog->close();
        });
        save(u"鍛冶 : 名匠の作45"_s);

        testsupport::whenModal([] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"改造データ読み出し"_s);
            QVERIFY(dialog->findChild<QLineEdit*>(u"txtName"_s)->isHidden());
            QVERIFY(dialog->findChild<QLabel*>(u"lblSpec"_s)->isHidden());
            QCOMPARE(dialog->findChild<QPushButton*>(u"cmdOK"_s)->text(), u"読み出し(&L)"_s);
            dialog->close();
        });
        frmSaveDialog::intFormStartLoad(*m_sim);
    }

    void firstPlanOfAWeapon() {
        const QByteArray system = storage::cp932Encode(u"[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n"_s);
        useFile(system);
        m_sim->fakeCatalogue.weaponSeq = 12;
        playInDialog(u"cmdOK"_s);
        QCOMPARE(save(), qint16(0));
        QCOMPARE(fileBytes(),
                 system + storage::cp932Encode(u"[WEAPON12]\r\nCount=1\r\nName1=45式\r\n"
                                               u"Data1=23 101.102.\r\n"
                                               u"Spec1=10～23 クリティカル10 バランス50 耐久13\r\n"
                                               u"Date1=2024/03/05 9:07:03\r\n"_s));
    }

    void loadingRecords_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("performance change and steps")
            << u"30 101.105."_s
            << QStringList{u"change 30"_s, u"reset for replay"_s, u"replay 101.105."_s}
            << QStringList{};
        QTest::newRow("no space: nothing to load")
            << u"101.105."_s << QStringList{} << QStringList{};
        QTest::newRow("not a number before the space")
            << u"一般 101."_s << QStringList{} << QStringList{u"改造データが壊れています。"_s};
    }
    void loadingRecords() {
        QFETCH(QString, record);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, messages);
        useFile(storage::cp932Encode(u"[WEAPON1]\r\nCount=1\r\nName1=x\r\nData1="_s + record +
                                     u"\r\n"_s));
        playInDialog(u"@0,cmdOK"_s);
        QCOMPARE(frmSaveDialog::intFormStartLoad(*m_sim), qint16(0));
        QCOMPARE(m_sim->calls, calls);
        QCOMPARE(m_boxes->texts(), messages);
        if (!messages.isEmpty())
            QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Exclamation);
    }

    void failedWriteIsReported() {
        const QByteArray before = initialFile().bytes();
        useFile(before);
        m_fileSystem.refuse = true;
        playInDialog(u"cmdOK"_s);
        QCOMPARE(save(), qint16(1));
        QCOMPARE(m_boxes->texts(), QStringList{u"設定ファイルの保存に失敗しました。"_s});
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);
        QCOMPARE(fileBytes(), before);

        // A replay the database refuses is reported as well.
        m_fileSystem.refuse = false;
        m_sim->replaySucceeds = false;
        playInDialog(u"@0,cmdOK"_s);
        QCOMPARE(frmSaveDialog::intFormStartLoad(*m_sim), qint16(0));
        QCOMPARE(m_boxes->texts().last(), u"データベースの処理に失敗しました。"_s);
    }

    void savedPlanLoadsBackTheSameFigures() {
        useFile({});
        QTemporaryDir dbDir;
        simfixture::openMaster(dbDir.filePath(u"master.db"_s));
        QVERIFY(workTable::deleteWork({}));
        KaizoWindow w;
        QVERIFY(w.open());
        const auto figures = [&w] {
            return w.texts({"lblSpec1", "lblSpec2", "lblSpec3", "lblSpec4", "lblSpec6",
                            "lblJukuren", "lblCost", "lblBukiSpecChange", "lblKaizo1"});
        };

        QVERIFY(w.win->setChangeSpace(30) && w.win->ResetState(false));
        w.apply(0);
        w.apply(4); // バランス調整, offered from step 1
        const QStringList saved = figures();

        playInDialog(u"=試し,cmdOK"_s);
        w.click("cmdSave");
        const QString spec = w.text("lblSpec1") + u" クリティカル"_s + w.text("lblSpec3") +
                             u" バランス"_s + w.text("lblSpec4") + u" 耐久"_s + w.text("lblSpec6");
        const QString file = storage::cp932Decode(fileBytes());
        QVERIFY2(QRegularExpression(u"^\\[WEAPON1\\]\r\nCount=1\r\nName1=試し\r\n"
                                    u"Data1=30 101\\.105\\.\r\nSpec1="_s +
                                    QRegularExpression::escape(spec) +
                                    u"\r\nDate1=\\d{4}/\\d\\d/\\d\\d \\d?\\d:\\d\\d:\\d\\d\r\n$"_s)
                     .match(file)
                     .hasMatch(),
                 qPrintable(file));

        QVERIFY(w.win->setChangeSpace(23));
        w.click("cmdReset");
        QVERIFY(figures() != saved);
        playInDialog(u"@0,cmdOK"_s);
        w.click("cmdLoad");
        QCOMPARE(figures(), saved);
        QCOMPARE(w.win->simulation().plan(), u"101.105."_s);
        QVERIFY(m_boxes->shown.isEmpty());
        w.win.reset();
        storage::cnDatabase().close();
    }
};

QTEST_MAIN(TestSaveDialog)
#include "test_save_dialog.moc"
