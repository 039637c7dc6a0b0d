// The performance change dialog on the fixture master: what it lists and preselects, how a row
// is chosen or refused, and the weapon performance button of the real simulator window.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "simulator/WorkTable.h"
#include "simulator/frmBukiSpec.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

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

const QString kRefused = u"空行やカテゴリ行は選択できません。"_s;

QDialog* openDialog() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

ReportList* listOf(QDialog* dialog) {
    return dialog->findChild<ReportList*>(u"lvwSpecList"_s);
}

} // namespace

class TestBukiSpec : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<FakeSimulator> m_sim;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;

    // Runs the start function with the steps played inside the dialog; opened tells whether a
    // dialog opened.
    qint16 run(const QString& steps, bool* opened = nullptr) {
        const auto shown = playInDialog(steps);
        const qint16 result = frmBukiSpec::intFormStartChange(*m_sim);
        // When no dialog opened, the steps are still queued; let them find none now.
        QCoreApplication::processEvents();
        if (opened)
            *opened = *shown;
        return result;
    }

private slots:
    void init() {
        simfixture::openMaster(m_dir.filePath(u"master.db"_s));
        simfixture::exec(kMoreChanges);
        m_sim.emplace();
        m_boxes.emplace();
    }
    void cleanup() {
        m_boxes.reset();
        m_sim.reset();
    }

    void listsEveryShownChange() {
        m_sim->tag = u"30"_s;
        testsupport::whenModal([] {
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
            QCOMPARE(headers,
                     QStringList({u"武器名:1400"_s, u"ダメージ:900"_s, u"クリティカル:1100"_s,
                                  u"バランス:900"_s, u"耐久:600"_s}));
            QStringList rows;
            for (const ListRow& row : model.rows())
                rows << row.text + u'|' + row.subItems.join(u',') + u'|' + row.tag + u'|' + row.key;
            QCOMPARE(rows, QStringList(
                               {u"○ 一般||選べません|"_s, u"  一般品|0～0,0,0,0|23|LIST_23"_s,
                                u"  粗悪品|-1～-2,0,0,-5|24|LIST_24"_s, u"||選べません|"_s,
                                u"○ 鍛冶||選べません|"_s, u"  名匠の作|2～4,3,-60,-50|30|LIST_30"_s,
                                u"  業物|1～2,1,0,0|31|LIST_31"_s, u"||選べません|"_s}));
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

    void choosing_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("applied");
        QTest::addColumn<int>("refusals");
        const auto row = [](const char* name, const char* tag, const char* steps, int result,
                            const char* applied, int refusals) {
            QTest::newRow(name) << QString::fromLatin1(tag) << QString::fromLatin1(steps) << result
                                << QString::fromLatin1(applied) << refusals;
        };
        row("OK at once re-applies the change in force", "30", "cmdOK", 0, "change 30", 0);
        row("Enter presses OK", "24", "Enter", 0, "change 24", 0);
        row("change in force hidden: first entry", "32", "cmdOK", 0, "change 23", 0);
        row("OK on a category row, then Cancel", "23", "@4,cmdOK,cmdCancel", 1, "", 1);
        row("OK on a blank row, then an entry", "23", "@3,cmdOK,@7,cmdOK,@2,cmdOK", 0, "change 24",
            2);
        row("Esc", "23", "@5,Esc", 1, "", 0);
        row("close box", "23", "@5,close", 1, "", 0);
        row("double-click on an entry", "23", "dbl6", 0, "change 31", 0);
        row("double-click on category and blank rows does nothing", "23", "dbl0,dbl3,cmdCancel", 1,
            "", 0);
        row("double-click below the rows does nothing", "30", "dbl-,cmdCancel", 1, "", 0);
    }
    void choosing() {
        QFETCH(QString, tag);
        QFETCH(QString, steps);
        QFETCH(int, result);
        QFETCH(QString, applied);
        QFETCH(int, refusals);
        m_sim->tag = tag;
        QCOMPARE(run(steps), qint16(result));
        QCOMPARE(m_sim->calls, applied.isEmpty() ? QStringList() : QStringList{applied});
        QCOMPARE(m_boxes->shown.size(), refusals);
        for (const auto& shown : m_boxes->shown) {
            QCOMPARE(shown.text, kRefused);
            QCOMPARE(shown.icon, ui::Icon::Exclamation);
        }
    }

    void nothingToOffer_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("no change at all") << u"DELETE FROM CHANGE_SPEC_MASTER"_s;
        QTest::newRow("every change hidden") << u"UPDATE CHANGE_SPEC_MASTER SET HYOUJI = 0"_s;
    }
    void nothingToOffer() {
        QFETCH(QString, sql);
        simfixture::exec(sql.toUtf8().constData());
        bool opened = true;
        QCOMPARE(run(u"cmdCancel"_s, &opened), qint16(0));
        QVERIFY(!opened);
        QVERIFY(m_sim->calls.isEmpty());
    }

    void failuresPassToTheCaller() {
        m_sim->changeSucceeds = false;
        QCOMPARE(run(u"cmdOK"_s), qint16(-1));
        QCOMPARE(m_sim->calls, QStringList{u"change 23"_s});

        simfixture::exec("DROP TABLE CHANGE_SPEC_MASTER");
        bool opened = true;
        QCOMPARE(run(u"cmdOK"_s, &opened), qint16(-1));
        QVERIFY(!opened);
        QVERIFY(m_boxes->shown.isEmpty());
    }

    // The simulator's button opens the real dialog, and the chosen change is recomputed there.
    void weaponPerformanceButton() {
        QVERIFY(workTable::deleteWork({}));
        KaizoWindow w;
        QVERIFY(w.open());
        w.apply(0); // 攻撃強化: max damage +3, durability -2
        playInDialog(u"@5,cmdOK"_s);
        w.click("cmdBukiSpec");
        QVERIFY(m_boxes->shown.isEmpty());
        QCOMPARE(w.win->changeSpecTag(), u"30"_s);
        QCOMPARE(w.texts({"lblSpec1", "lblSpec6"}), (QStringList{u"12～27"_s, u"0"_s}));
        QCOMPARE(w.plan(), u"101."_s);
    }
};

QTEST_MAIN(TestBukiSpec)
#include "test_buki_spec.moc"
