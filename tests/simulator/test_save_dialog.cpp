// The save and load dialog driven like a user, with the settings file compared afterwards: what
// each way of closing writes, overwriting, deleting and loading, and a plan saved and loaded
// back through the real simulator window.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "app/ReportList.h"
#include "simulator/WorkTable.h"
#include "simulator/frmKaizo.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Cp932.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class FixedClock : public planStore::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)); }
};

enum class Act { Select, Del, Ok, Cancel, Esc, CloseBox, Name, DoubleClick, DoubleClickBelow };
struct Step {
    Step(Act a = Act::Ok, int r = -1, QString t = {})
        : act(a)
        , row(r)
        , text(std::move(t)) {}
    Act act;
    int row;
    QString text;
};
Step sel(int row) {
    return {Act::Select, row, {}};
}
Step name(const QString& text) {
    return {Act::Name, -1, text};
}
const Step kDel{Act::Del};
const Step kOk{Act::Ok};
const Step kCancel{Act::Cancel};

const QString kData = u"23 101.102."_s;
const QString kSpec = u"10～23 クリティカル10 バランス50 耐久13"_s;

// The three plans the file starts with: name, figures, date and record of A, B and C.
const QStringList kPlans[3] = {{u"A式"_s, u"s1"_s, u"d1"_s, u"23 101."_s},
                               {u"B式"_s, u"s2"_s, u"d2"_s, u"30 102."_s},
                               {u"C式"_s, u"s3"_s, u"d3"_s, u"23 103."_s}};
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

IniLines initialFile(const QStringList& names) {
    IniLines ini{{u"[WEAPON1]"_s, u"Count=3"_s}};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 4; ++k) {
            const QString value = k == 0 ? names[i] : kPlans[i][k];
            ini.lines << kKeys[k] + QString::number(i + 1) + u'=' + value;
        }
    }
    ini.lines << u"[SYSTEM]"_s << u"Database=vaelbuki.mdb"_s;
    return ini;
}

QString inUse(const QString& name) {
    return name + u"は使われている名前です。既存の項目を上書きしますか？"_s;
}
const QString kNoName = u"名前が入力されていません。"_s;
const QString kApplyDeletion = u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s;
const QString kNoItems = u"改造項目なす"_s;
const QString kNoSelection = u"選択されてなす"_s;

QDialog* openDialog() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

void perform(QDialog* dialog, const Step& step) {
    auto* list = dialog->findChild<ReportList*>(u"lvwSaveData"_s);
    auto click = [dialog](const QString& button) {
        dialog->findChild<QPushButton*>(button)->click();
    };
    switch (step.act) {
    case Act::Select:
        list->setCurrentRow(step.row);
        break;
    case Act::Del:
        click(u"cmdDel"_s);
        break;
    case Act::Ok:
        click(u"cmdOK"_s);
        break;
    case Act::Cancel:
        click(u"cmdCancel"_s);
        break;
    case Act::Esc:
        QTest::keyClick(list, Qt::Key_Escape);
        break;
    case Act::CloseBox:
        dialog->close();
        break;
    case Act::Name:
        dialog->findChild<QLineEdit*>(u"txtName"_s)->setText(step.text);
        break;
    case Act::DoubleClick:
        doubleClick(list, list->visualRect(list->model()->index(step.row, 0)).center());
        break;
    case Act::DoubleClickBelow:
        doubleClick(list, QPoint(20, list->viewport()->height() - 5));
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestSaveDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void script_data();
    void script();
    void opening();
    void firstPlanOfAWeapon();
    void loadingRecords_data();
    void loadingRecords();
    void failedWriteIsReported();
    void savedPlanLoadsBackTheSameFigures();

private:
    void useFile(const QByteArray& bytes);
    // Runs the steps inside the dialog once it is modal; a dialog still open afterwards fails.
    void whenOpen(const QList<Step>& steps);
    QByteArray fileBytes() const { return testsupport::readBytes(m_path); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    RefusingFileSystem m_fileSystem;
    std::unique_ptr<storage::SettingsFile> m_settings;
    std::unique_ptr<FakeSimulator> m_sim;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;
    FixedClock m_clock;
};

void TestSaveDialog::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"zelnoa.ini"_s);
    m_fileSystem.refuse = false;
    m_sim = std::make_unique<FakeSimulator>();
    m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
}

void TestSaveDialog::cleanup() {
    storage::setCurrentSettingsFile(nullptr);
    m_boxes.reset();
}

void TestSaveDialog::useFile(const QByteArray& bytes) {
    testsupport::writeBytes(m_path, bytes);
    m_settings =
        std::make_unique<storage::SettingsFile>(m_path, m_fileSystem, std::chrono::milliseconds(0));
    storage::setCurrentSettingsFile(m_settings.get());
}

void TestSaveDialog::whenOpen(const QList<Step>& steps) {
    testsupport::whenModal([steps] {
        QDialog* dialog = openDialog();
        QVERIFY(dialog);
        for (const Step& step : steps)
            perform(dialog, step);
        if (dialog->isVisible()) {
            dialog->close();
            QFAIL("the dialog stayed open");
        }
    });
}

void TestSaveDialog::script_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QStringList>("names"); // of the three stored plans
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QList<ui::Answer>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("result");
    // "=" the file unchanged; otherwise the plans written back (A, B, C), "+" the new one.
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("loaded");

    const QStringList abc = {u"A式"_s, u"B式"_s, u"C式"_s};
    const QList<ui::Answer> none;
    const QList<ui::Answer> yes{ui::Answer::Yes};
    const QList<ui::Answer> no{ui::Answer::No};
    const QStringList loadC = {u"change 23"_s, u"reset for replay"_s, u"replay 103."_s};

    QTest::newRow("save confirmed") << true << abc << QList<Step>{kOk} << none << QStringList{} << 0
                                    << u"ABC+"_s << QStringList{};
    QTest::newRow("save confirmed after a deletion: no question")
        << true << abc << QList<Step>{sel(1), kDel, kOk} << none << QStringList{} << 0 << u"AC+"_s
        << QStringList{};
    QTest::newRow("save cancelled after a deletion, Yes")
        << true << abc << QList<Step>{sel(1), kDel, kCancel} << yes << QStringList{kApplyDeletion}
        << 1 << u"AC"_s << QStringList{};
    QTest::newRow("save cancelled after a deletion, No")
        << true << abc << QList<Step>{sel(1), kDel, kCancel} << no << QStringList{kApplyDeletion}
        << 1 << u"="_s << QStringList{};
    QTest::newRow("save cancelled") << true << abc << QList<Step>{kCancel} << none << QStringList{}
                                    << 1 << u"="_s << QStringList{};
    QTest::newRow("save, Esc after a deletion, Yes")
        << true << abc << QList<Step>{sel(1), kDel, {Act::Esc}} << yes
        << QStringList{kApplyDeletion} << 1 << u"AC"_s << QStringList{};
    QTest::newRow("save closed by the box after a deletion")
        << true << abc << QList<Step>{sel(1), kDel, {Act::CloseBox}} << none << QStringList{} << 1
        << u"="_s << QStringList{};
    QTest::newRow("save, double-click does nothing")
        << true << abc << QList<Step>{{Act::DoubleClick, 0}, kCancel} << none << QStringList{} << 1
        << u"="_s << QStringList{};

    QTest::newRow("overwrite, Yes")
        << true << abc << QList<Step>{name(u"B式"_s), kOk} << yes << QStringList{inUse(u"B式"_s)}
        << 0 << u"AC+"_s << QStringList{};
    QTest::newRow("overwrite, No stays open")
        << true << abc << QList<Step>{name(u"B式"_s), kOk, kCancel} << no
        << QStringList{inUse(u"B式"_s)} << 1 << u"="_s << QStringList{};
    QTest::newRow("overwrite a name typed with blanks")
        << true << abc << QList<Step>{name(u"　B式 "_s), kOk} << yes << QStringList{inUse(u"B式"_s)}
        << 0 << u"AC+"_s << QStringList{};
    const QStringList aba = {u"A式"_s, u"B式"_s, u"A式"_s};
    QTest::newRow("two rows of the same name, Yes twice")
        << true << aba << QList<Step>{name(u"A式"_s), kOk}
        << QList<ui::Answer>{ui::Answer::Yes, ui::Answer::Yes}
        << QStringList{inUse(u"A式"_s), inUse(u"A式"_s)} << 0 << u"B+"_s << QStringList{};
    QTest::newRow("two rows of the same name, No at the second")
        << true << aba << QList<Step>{name(u"A式"_s), kOk, kCancel}
        << QList<ui::Answer>{ui::Answer::Yes, ui::Answer::No}
        << QStringList{inUse(u"A式"_s), inUse(u"A式"_s)} << 1 << u"="_s << QStringList{};
    QTest::newRow("marks of a refused overwrite are cleared")
        << true << aba << QList<Step>{name(u"A式"_s), kOk, name(u"B式"_s), kOk}
        << QList<ui::Answer>{ui::Answer::Yes, ui::Answer::No, ui::Answer::Yes}
        << QStringList{inUse(u"A式"_s), inUse(u"A式"_s), inUse(u"B式"_s)} << 0 << u"AC+"_s
        << QStringList{};
    for (const QString& blank : {u"   "_s, u" 　 "_s}) {
        QTest::addRow("blank name \"%s\"", qPrintable(blank))
            << true << abc << QList<Step>{name(blank), kOk, kCancel} << none << QStringList{kNoName}
            << 1 << u"="_s << QStringList{};
    }
    QTest::newRow("name the file cannot hold")
        << true << abc << QList<Step>{name(u"😀式"_s), kOk, kCancel} << none
        << QStringList{u"保存できない文字が含まれています。"_s} << 1 << u"="_s << QStringList{};

    QTest::newRow("load confirmed after a deletion, Yes")
        << false << abc << QList<Step>{sel(1), kDel, sel(1), kOk} << yes
        << QStringList{kApplyDeletion} << 0 << u"AC"_s << loadC;
    QTest::newRow("load confirmed after a deletion, No")
        << false << abc << QList<Step>{sel(1), kDel, sel(1), kOk} << no
        << QStringList{kApplyDeletion} << 0 << u"="_s << loadC;
    QTest::newRow("load cancelled after a deletion, Yes")
        << false << abc << QList<Step>{sel(0), kDel, kCancel} << yes << QStringList{kApplyDeletion}
        << 1 << u"BC"_s << QStringList{};
    QTest::newRow("load closed by the box after a deletion")
        << false << abc << QList<Step>{sel(1), kDel, sel(1), {Act::CloseBox}} << none
        << QStringList{} << 1 << u"="_s << QStringList{};
    QTest::newRow("load by double-click") << false << abc << QList<Step>{{Act::DoubleClick, 2}}
                                          << none << QStringList{} << 0 << u"="_s << loadC;
    QTest::newRow("load, double-click below the rows does nothing")
        << false << abc << QList<Step>{sel(2), {Act::DoubleClickBelow}, kCancel} << none
        << QStringList{} << 1 << u"="_s << QStringList{};
    QTest::newRow("load without a selection")
        << false << abc << QList<Step>{kOk, kDel, kCancel} << none
        << QStringList{kNoSelection, kNoSelection} << 1 << u"="_s << QStringList{};
    QTest::newRow("delete every plan, then cancel with Yes")
        << false << abc << QList<Step>{sel(0), kDel, sel(0), kDel, sel(0), kDel, kDel, kOk, kCancel}
        << yes << QStringList{kNoItems, kNoItems, kApplyDeletion} << 1 << QString()
        << QStringList{};
}

void TestSaveDialog::script() {
    QFETCH(bool, save);
    QFETCH(QStringList, names);
    QFETCH(QList<Step>, steps);
    QFETCH(QList<ui::Answer>, answers);
    QFETCH(QStringList, messages);
    QFETCH(int, result);
    QFETCH(QString, written);
    QFETCH(QStringList, loaded);

    IniLines expected = initialFile(names);
    useFile(expected.bytes());
    m_boxes->answers = answers;
    whenOpen(steps);
    const qint16 outcome =
        save ? frmSaveDialog::intFormStartSave(*m_sim, kData, kSpec, u"45"_s, m_clock)
             : frmSaveDialog::intFormStartLoad(*m_sim);
    QCOMPARE(outcome, qint16(result));
    QCOMPARE(m_boxes->texts(), messages);
    QVERIFY(m_boxes->answers.isEmpty());
    QCOMPARE(m_sim->calls, loaded);

    if (written != u"=") {
        const QString kept = QString(written).remove(u'+');
        for (int i = 0; i < kept.size(); ++i) {
            const QStringList& plan = kPlans[kept[i].unicode() - u'A'];
            for (int k = 0; k < 4; ++k) {
                expected.set(kKeys[k] + QString::number(i + 1),
                             k == 0 ? names[kept[i].unicode() - u'A'] : plan[k]);
            }
        }
        const QString n = QString::number(kept.size() + 1);
        expected.set(u"Count"_s, QString::number(kept.size() + (written.endsWith(u'+') ? 1 : 0)));
        if (written.endsWith(u'+')) {
            QString typed = u"45式"_s;
            for (const Step& step : steps) {
                if (step.act == Act::Name)
                    typed = step.text;
            }
            expected.set(u"Name"_s + n, typed);
            expected.set(u"Data"_s + n, kData);
            expected.set(u"Spec"_s + n, kSpec);
            expected.set(u"Date"_s + n, u"2024/03/05 9:07:03"_s);
        }
    }
    QCOMPARE(fileBytes(), expected.bytes());
}

void TestSaveDialog::opening() {
    useFile(initialFile({u"A式"_s, u"B式"_s, u"C式"_s}).bytes());
    testsupport::whenModal([] {
        QDialog* dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"改造データ保存"_s);
        auto* txtName = dialog->findChild<QLineEdit*>(u"txtName"_s);
        QCOMPARE(dialog->focusWidget(), txtName);
        QCOMPARE(txtName->selectedText(), u"鍛冶 : 名匠の作45式"_s);
        QCOMPARE(dialog->findChild<QLabel*>(u"lblSpec"_s)->text(), kSpec);
        QCOMPARE(dialog->findChild<QPushButton*>(u"cmdOK"_s)->text(), u"保存(&S)"_s);
        const RowListModel& model = *dialog->findChild<ReportList*>(u"lvwSaveData"_s)->rowModel();
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.row(1).text + model.row(1).cell(1) + model.row(1).cell(2) + model.row(1).tag,
                 u"B式s2d230 102."_s);
        QStringList headers;
        for (const ColumnSpec& column : model.columns())
            headers << column.caption + u':' + QString::number(column.twips);
        QCOMPARE(headers, QStringList({u"改造式:1600"_s, u"性能:3500"_s, u"日付:1200"_s}));
        dialog->close();
    });
    frmSaveDialog::intFormStartSave(*m_sim, kData, kSpec, u"鍛冶 : 名匠の作45"_s, m_clock);

    testsupport::whenModal([] {
        QDialog* dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"改造データ読み出し"_s);
        QVERIFY(dialog->findChild<QLineEdit*>(u"txtName"_s)->isHidden());
        QVERIFY(dialog->findChild<QLabel*>(u"lblSpec"_s)->isHidden());
        QCOMPARE(dialog->findChild<QPushButton*>(u"cmdOK"_s)->text(), u"読み出し(&L)"_s);
        dialog->close();
    });
    frmSaveDialog::intFormStartLoad(*m_sim);
}

void TestSaveDialog::firstPlanOfAWeapon() {
    const QByteArray system = storage::cp932Encode(u"[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n"_s);
    useFile(system);
    m_sim->fakeCatalogue.weaponSeq = 12;
    whenOpen({kOk});
    QCOMPARE(frmSaveDialog::intFormStartSave(*m_sim, kData, kSpec, u"45"_s, m_clock), qint16(0));
    QCOMPARE(fileBytes(),
             system + storage::cp932Encode(u"[WEAPON12]\r\nCount=1\r\nName1=45式\r\n"
                                           u"Data1=23 101.102.\r\n"
                                           u"Spec1=10～23 クリティカル10 バランス50 "
                                           u"耐久13\r\nDate1=2024/03/05 9:07:03\r\n"_s));
}

void TestSaveDialog::loadingRecords_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");
    const QStringList broken{u"改造データが壊れています。"_s};
    QTest::newRow("performance change and steps")
        << u"1"_s << u"30 101.105."_s << 0
        << QStringList{u"change 30"_s, u"reset for replay"_s, u"replay 101.105."_s}
        << QStringList{};
    QTest::newRow("no space: nothing to load")
        << u"1"_s << u"101.105."_s << 0 << QStringList{} << QStringList{};
    QTest::newRow("Count beyond the stored plans")
        << u"3"_s << u"23 101."_s << 2 << QStringList{} << QStringList{};
    QTest::newRow("not a number before the space")
        << u"1"_s << u"一般 101."_s << 0 << QStringList{} << broken;
    QTest::newRow("beyond 16 bits") << u"1"_s << u"70000 101."_s << 0 << QStringList{} << broken;
}

void TestSaveDialog::loadingRecords() {
    QFETCH(QString, count);
    QFETCH(QString, record);
    QFETCH(int, row);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);
    useFile(storage::cp932Encode(u"[WEAPON1]\r\nCount="_s + count + u"\r\nName1=x\r\nData1="_s +
                                 record + u"\r\n"_s));
    whenOpen({sel(row), kOk});
    QCOMPARE(frmSaveDialog::intFormStartLoad(*m_sim), qint16(0));
    QCOMPARE(m_sim->calls, calls);
    QCOMPARE(m_boxes->texts(), messages);
    if (!messages.isEmpty())
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Exclamation);
}

void TestSaveDialog::failedWriteIsReported() {
    const QByteArray before = initialFile({u"A式"_s, u"B式"_s, u"C式"_s}).bytes();
    useFile(before);
    m_fileSystem.refuse = true;
    whenOpen({kOk});
    QCOMPARE(frmSaveDialog::intFormStartSave(*m_sim, kData, kSpec, u"45"_s, m_clock), qint16(1));
    QCOMPARE(m_boxes->texts(), QStringList{u"設定ファイルの保存に失敗しました。"_s});
    QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);
    QCOMPARE(fileBytes(), before);

    // A replay the database refuses is reported as well.
    m_fileSystem.refuse = false;
    m_sim->replaySucceeds = false;
    whenOpen({sel(0), kOk});
    QCOMPARE(frmSaveDialog::intFormStartLoad(*m_sim), qint16(0));
    QCOMPARE(m_boxes->texts().last(), u"データベースの処理に失敗しました。"_s);
}

void TestSaveDialog::savedPlanLoadsBackTheSameFigures() {
    useFile({});
    QTemporaryDir dbDir;
    simfixture::openMaster(dbDir.filePath(u"master.db"_s));
    QVERIFY(workTable::deleteWork({}));
    FakeCatalogue catalogue;
    frmKaizo window(catalogue, nullptr);
    QVERIFY(window.prepare());
    auto label = [&window](const QString& name) {
        return window.findChild<QLabel*>(name)->text();
    };
    auto click = [&window](const QString& name) {
        window.findChild<QPushButton*>(name)->click();
    };
    auto figures = [&] {
        QStringList shown;
        for (const QString& name :
             {u"lblSpec1"_s, u"lblSpec2"_s, u"lblSpec3"_s, u"lblSpec4"_s, u"lblSpec6"_s,
              u"lblJukuren"_s, u"lblCost"_s, u"lblBukiSpecChange"_s, u"lblKaizo1"_s})
            shown << label(name);
        return shown;
    };

    QVERIFY(window.setChangeSpace(30) && window.ResetState(false));
    auto* list = window.findChild<ReportList*>(u"lvwKaizo"_s);
    list->setCurrentRow(0);
    click(u"cmdKaizo"_s);
    list->setCurrentRow(4); // バランス調整, offered from step 1
    click(u"cmdKaizo"_s);
    const QStringList saved = figures();

    whenOpen({name(u"試し"_s), kOk});
    click(u"cmdSave"_s);
    const QString spec = label(u"lblSpec1"_s) + u" クリティカル"_s + label(u"lblSpec3"_s) +
                         u" バランス"_s + label(u"lblSpec4"_s) + u" 耐久"_s + label(u"lblSpec6"_s);
    const QString file = storage::cp932Decode(fileBytes());
    QVERIFY2(QRegularExpression(u"^\\[WEAPON1\\]\r\nCount=1\r\nName1=試し\r\n"
                                u"Data1=30 101\\.105\\.\r\nSpec1=(.*)\r\n"
                                u"Date1=\\d{4}/\\d\\d/\\d\\d \\d?\\d:\\d\\d:\\d\\d\r\n$"_s)
                 .match(file)
                 .hasMatch(),
             qPrintable(file));
    QVERIFY(file.contains(u"Spec1="_s + spec + u"\r\n"_s));

    QVERIFY(window.setChangeSpace(23));
    click(u"cmdReset"_s);
    QVERIFY(figures() != saved);
    whenOpen({sel(0), kOk});
    click(u"cmdLoad"_s);
    QCOMPARE(figures(), saved);
    QCOMPARE(window.simulation().plan(), u"101.105."_s);
    QVERIFY(m_boxes->shown.isEmpty());
    storage::cnDatabase().close();
}

QTEST_MAIN(TestSaveDialog)
#include "test_save_dialog.moc"
