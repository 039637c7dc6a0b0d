// The performance change dialog on the fixture master: what it lists and preselects, how a row
// is chosen or refused, and the weapon performance button of the real simulator window.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "app/ReportList.h"
#include "simulator/WorkTable.h"
#include "simulator/frmBukiSpec.h"
#include "simulator/frmKaizo.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Beside the fixture's 23 (一般) and 30 (鍛冶): a second entry in each category, a hidden one in
// 鍛冶 and a category whose only entry is hidden.
const char kMoreChanges[] = R"(
INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL, BLANCE,
    TAIKYU, HYOUJI, SORT_NO) VALUES
    (24, '粗悪品', '一般', -1, -2, 0, 0, -5, 1, 3),
    (31, '業物', '鍛冶', 1, 2, 1, 0, 0, 1, 4),
    (32, '試作品', '鍛冶', 0, 0, 0, 0, 0, 0, 5),
    (40, '封印品', '封印', 9, 9, 9, 9, 9, 0, 6);
)";

enum class Act { Ok, Enter, Cancel, Esc, CloseBox, DoubleClickRow, DoubleClickBelow };

struct Step {
    int row; // made current first; -1 leaves the preselection
    Act act;
};

QDialog* openDialog() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

ReportList* listOf(QDialog* dialog) {
    return dialog->findChild<ReportList*>(u"lvwSpecList"_s);
}

QPoint rowPoint(ReportList* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
}

void perform(QDialog* dialog, const Step& step) {
    ReportList* list = listOf(dialog);
    if (step.row >= 0)
        list->setCurrentRow(step.row);
    switch (step.act) {
    case Act::Ok:
        dialog->findChild<QPushButton*>(u"cmdOK"_s)->click();
        break;
    case Act::Enter:
        QTest::keyClick(list, Qt::Key_Return);
        break;
    case Act::Cancel:
        dialog->findChild<QPushButton*>(u"cmdCancel"_s)->click();
        break;
    case Act::Esc:
        QTest::keyClick(list, Qt::Key_Escape);
        break;
    case Act::CloseBox:
        dialog->close();
        break;
    case Act::DoubleClickRow:
        doubleClick(list, rowPoint(list, list->currentRow()));
        break;
    case Act::DoubleClickBelow:
        doubleClick(list, QPoint(20, list->viewport()->height() - 5));
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestBukiSpec : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsEveryShownChange();
    void choosing_data();
    void choosing();
    void nothingToOffer_data();
    void nothingToOffer();
    void failuresPassToTheCaller();
    void weaponPerformanceButton();

private:
    // Runs the start function with the steps done inside the dialog, in order.
    qint16 run(const QList<Step>& steps);

    QTemporaryDir m_dir;
    FakeSimulator* m_sim = nullptr;
    testsupport::RecordingMessageBoxes* m_boxes = nullptr;
    bool m_shown = false;
};

void TestBukiSpec::init() {
    simfixture::openMaster(m_dir.filePath(u"master.db"_s));
    simfixture::exec(kMoreChanges);
    m_sim = new FakeSimulator;
    m_boxes = new testsupport::RecordingMessageBoxes;
    m_shown = false;
}

void TestBukiSpec::cleanup() {
    delete m_boxes;
    delete m_sim;
}

qint16 TestBukiSpec::run(const QList<Step>& steps) {
    testsupport::whenModal([this, steps] {
        QDialog* dialog = openDialog();
        if (!dialog)
            return;
        m_shown = true;
        for (const Step& step : steps) {
            if (dialog->isVisible())
                perform(dialog, step);
        }
        if (dialog->isVisible()) {
            QTest::qFail("the dialog stayed open", __FILE__, __LINE__);
            dialog->reject();
        }
    });
    const qint16 result = frmBukiSpec::intFormStartChange(*m_sim);
    // When no dialog opened, the action is still queued; let it find none now.
    QCoreApplication::processEvents();
    return result;
}

void TestBukiSpec::listsEveryShownChange() {
    m_sim->tag = u"30"_s;
    testsupport::whenModal([this] {
        QDialog* dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"武器性能変化"_s);
        ReportList* list = listOf(dialog);
        QCOMPARE(list->toolTip(),
                 u"ダブルクリックで選択できます。空行やカテゴリ行は選択できません。"_s);
        const RowListModel& model = *list->rowModel();
        QStringList headers;
        for (const ColumnSpec& column : model.columns())
            headers << column.caption + u':' + QString::number(column.twips);
        QCOMPARE(headers, QStringList({u"武器名:1400"_s, u"ダメージ:900"_s, u"クリティカル:1100"_s,
                                       u"バランス:900"_s, u"耐久:600"_s}));

        QStringList rows;
        for (const ListRow& row : model.rows())
            rows << row.text + u'|' + row.subItems.join(u',') + u'|' + row.tag + u'|' + row.key;
        const QStringList expected = {u"○ 一般||選べません|"_s,
                                      u"  一般品|0～0,0,0,0|23|LIST_23"_s,
                                      u"  粗悪品|-1～-2,0,0,-5|24|LIST_24"_s,
                                      u"||選べません|"_s,
                                      u"○ 鍛冶||選べません|"_s,
                                      u"  名匠の作|2～4,3,-60,-50|30|LIST_30"_s,
                                      u"  業物|1～2,1,0,0|31|LIST_31"_s,
                                      u"||選べません|"_s};
        QCOMPARE(rows, expected);
        QCOMPARE(model.row(0).colour, RowColour::ButtonShadow);
        QCOMPARE(model.row(4).colour, RowColour::ButtonShadow);
        QCOMPARE(model.row(5).colour, RowColour::Normal);
        QCOMPARE(list->currentRow(), 5);
        QCOMPARE(dialog->focusWidget(), list);
        dialog->findChild<QPushButton*>(u"cmdCancel"_s)->click();
    });
    QCOMPARE(frmBukiSpec::intFormStartChange(*m_sim), qint16(1));
    QVERIFY(m_sim->calls.isEmpty());
}

void TestBukiSpec::choosing_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("applied");
    QTest::addColumn<int>("refusals"); // "空行やカテゴリ行は選択できません。" shown

    QTest::newRow("OK at once re-applies the change in force")
        << u"30"_s << QList<Step>{{-1, Act::Ok}} << 0 << QStringList{u"change 30"_s} << 0;
    QTest::newRow("Enter presses OK")
        << u"24"_s << QList<Step>{{-1, Act::Enter}} << 0 << QStringList{u"change 24"_s} << 0;
    QTest::newRow("change in force hidden: first entry")
        << u"32"_s << QList<Step>{{-1, Act::Ok}} << 0 << QStringList{u"change 23"_s} << 0;
    QTest::newRow("OK on a category row, then Cancel")
        << u"23"_s << QList<Step>{{4, Act::Ok}, {-1, Act::Cancel}} << 1 << QStringList{} << 1;
    QTest::newRow("OK on a blank row, then an entry")
        << u"23"_s << QList<Step>{{3, Act::Ok}, {7, Act::Ok}, {2, Act::Ok}} << 0
        << QStringList{u"change 24"_s} << 2;
    QTest::newRow("Esc") << u"23"_s << QList<Step>{{5, Act::Esc}} << 1 << QStringList{} << 0;
    QTest::newRow("close box") << u"23"_s << QList<Step>{{5, Act::CloseBox}} << 1 << QStringList{}
                               << 0;
    QTest::newRow("double-click on an entry") << u"23"_s << QList<Step>{{6, Act::DoubleClickRow}}
                                              << 0 << QStringList{u"change 31"_s} << 0;
    QTest::newRow("double-click on category and blank rows does nothing")
        << u"23"_s
        << QList<Step>{{0, Act::DoubleClickRow}, {3, Act::DoubleClickRow}, {-1, Act::Cancel}} << 1
        << QStringList{} << 0;
    QTest::newRow("double-click below the rows does nothing")
        << u"30"_s << QList<Step>{{-1, Act::DoubleClickBelow}, {-1, Act::Cancel}} << 1
        << QStringList{} << 0;
}

void TestBukiSpec::choosing() {
    QFETCH(QString, tag);
    QFETCH(QList<Step>, steps);
    QFETCH(int, result);
    QFETCH(QStringList, applied);
    QFETCH(int, refusals);
    m_sim->tag = tag;
    QCOMPARE(run(steps), qint16(result));
    QCOMPARE(m_sim->calls, applied);
    QCOMPARE(m_boxes->shown.size(), refusals);
    for (const auto& shown : m_boxes->shown) {
        QCOMPARE(shown.text, u"空行やカテゴリ行は選択できません。"_s);
        QCOMPARE(shown.icon, ui::Icon::Exclamation);
    }
}

void TestBukiSpec::nothingToOffer_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("no change at all") << u"DELETE FROM CHANGE_SPEC_MASTER"_s;
    QTest::newRow("every change hidden") << u"UPDATE CHANGE_SPEC_MASTER SET HYOUJI = 0"_s;
}

void TestBukiSpec::nothingToOffer() {
    QFETCH(QString, sql);
    simfixture::exec(sql.toUtf8().constData());
    QCOMPARE(run({{-1, Act::Cancel}}), qint16(0));
    QVERIFY(!m_shown);
    QVERIFY(m_sim->calls.isEmpty());
}

void TestBukiSpec::failuresPassToTheCaller() {
    m_sim->changeSucceeds = false;
    QCOMPARE(run({{-1, Act::Ok}}), qint16(-1));
    QCOMPARE(m_sim->calls, QStringList{u"change 23"_s});

    m_shown = false;
    simfixture::exec("DROP TABLE CHANGE_SPEC_MASTER");
    QCOMPARE(run({{-1, Act::Ok}}), qint16(-1));
    QVERIFY(!m_shown);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestBukiSpec::weaponPerformanceButton() {
    QVERIFY(workTable::deleteWork({}));
    FakeCatalogue catalogue;
    frmKaizo window(catalogue, nullptr);
    QVERIFY(window.prepare());
    auto* list = window.findChild<ReportList*>(u"lvwKaizo"_s);
    list->setCurrentRow(0); // 攻撃強化: max damage +3, durability -2
    window.findChild<QPushButton*>(u"cmdKaizo"_s)->click();
    auto label = [&window](const QString& name) {
        return window.findChild<QLabel*>(name);
    };

    testsupport::whenModal([] { perform(openDialog(), {5, Act::Ok}); });
    window.findChild<QPushButton*>(u"cmdBukiSpec"_s)->click();
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(window.changeSpecTag(), u"30"_s);
    QCOMPARE(label(u"lblBukiSpecChange"_s)->text(), u"鍛冶 : 名匠の作"_s);
    QCOMPARE(label(u"lblSpec1"_s)->text(), u"12～27"_s);
    QCOMPARE(label(u"lblSpec6"_s)->text(), u"0"_s);
    QCOMPARE(window.simulation().plan(), u"101."_s);

    // Cancelling changes nothing; the next opening starts on the change now in force.
    testsupport::whenModal([] {
        QCOMPARE(listOf(openDialog())->currentRow(), 5);
        perform(openDialog(), {0, Act::Cancel});
    });
    window.findChild<QPushButton*>(u"cmdBukiSpec"_s)->click();
    QCOMPARE(window.changeSpecTag(), u"30"_s);
    QCOMPARE(label(u"lblSpec1"_s)->text(), u"12～27"_s);
}

QTEST_MAIN(TestBukiSpec)
#include "test_buki_spec.moc"
