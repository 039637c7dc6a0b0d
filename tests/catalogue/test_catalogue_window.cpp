// The catalogue window on a copy of the sample master: tabs and weapon rows, starting the
// simulator, database failures, the side-list buttons and what the shutdown saves of them.

#include "app/ReportList.h"
#include "app/RowListModel.h"
#include "app/Twips.h"
#include "catalogue/SideLists.h"
#include "catalogue/frmBuki.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;
using testsupport::doubleClick;
using testsupport::rowCentre;

namespace {

const QByteArray Settings = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=2\r\nEnchantCount=1\r\n"
                            "[PROFILE1]\r\nName=Alice\r\nStr=30\r\n[PROFILE2]\r\nName=Bob\r\n"
                            "[ENCHANT1]\r\nName=Ring\r\nMinDamage=1\r\nMaxDamage=3\r\n";
const QString NotSelected = u"選択されてなす"_s;
const QString DatabaseFailed = u"データベースの処理に失敗しました。"_s;

QString queryText(const QString& sql) {
    storage::Recordset rs;
    return rs.open(sql) ? rs.text(0) : u"error: "_s + rs.lastError();
}

bool run(const QString& sql) {
    return storage::Recordset().open(sql);
}

// A point right of the last column, beside the given row.
QPoint emptySpace(ReportList* list, int row) {
    return {list->viewport()->width() - 4, rowCentre(list, row).y()};
}

QStringList texts(const RowListModel& rows) {
    QStringList result;
    for (const ListRow& row : rows.rows())
        result.append(row.text);
    return result;
}

} // namespace

class CatalogueWindowTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::optional<storage::SettingsFile> m_settings;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<frmBuki> m_window;
    QStringList m_opened;      // dialogs opened, in order
    qint16 m_editorResult = 0; // what the fake editors return
    QString m_simulatorSaw;    // weapon SEQ and work-table row count seen by the fake simulator

    template <typename T> T* child(const char* name) {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }

    void start() {
        m_window = std::make_unique<frmBuki>();
        const auto editor = [this](const QString& name) {
            return [this, name](QWidget*, CatalogueAccess& catalogue) -> qint16 {
                m_opened.append(name);
                if (m_editorResult == 0 && name.endsWith(u"Reg"))
                    (name.startsWith(u"profile") ? catalogue.profileList()
                                                 : catalogue.enchantList())
                        .append(ListRow{u"New"_s, {}, {}, {}, RowColour::Normal});
                return m_editorResult;
            };
        };
        m_window->setDialogs(
            {editor(u"profileReg"_s), editor(u"profileMod"_s), editor(u"enchantReg"_s),
             editor(u"enchantMod"_s), [this](CatalogueAccess& catalogue, QWidget*) -> qint16 {
                 m_opened.append(u"simulator"_s);
                 m_simulatorSaw = QString::number(catalogue.selectedWeaponSeq()) + u'/' +
                                  queryText(u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s);
                 return 0;
             }});
        QCOMPARE(m_window->intFormStart(), qint16(0));
    }

    // Closes the window inside the application's event loop, as a user would; false when the
    // close did not end the loop.
    bool closeWindow() {
        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QTimer guard;
        guard.callOnTimeout(qApp, [] { QCoreApplication::exit(1); });
        guard.start(5000);
        return QCoreApplication::exec() == 0;
    }

private slots:
    void init() {
        m_dir.emplace();
        testsupport::copySampleDatabase(m_dir->path());
        testsupport::writeBytes(m_dir->filePath(u"zelnoa.ini"_s), Settings);
        m_settings.emplace(m_dir->filePath(u"zelnoa.ini"_s));
        storage::setCurrentSettingsFile(&*m_settings);
        QVERIFY(storage::cnDatabase().open(m_dir->filePath(u"vaelbuki.mdb"_s)));
        m_boxes.emplace();
        m_opened.clear();
        m_editorResult = 0;
        m_simulatorSaw.clear();
    }
    void cleanup() {
        m_window.reset();
        storage::cnDatabase().close();
        m_boxes.reset();
        storage::setCurrentSettingsFile(nullptr);
        m_settings.reset();
        m_dir.reset();
    }

    void tabsAndWeaponRows() {
        QVERIFY(run(u"UPDATE BUKI_MASTER SET SPEED = NULL WHERE SEQ = 2"_s));
        start();
        auto* tabs = child<QTabBar>("tabShurui");
        auto* list = child<ReportList>("lvwBuki");
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->count(), queryText(u"SELECT COUNT(*) FROM SHURUI_MASTER"_s).toInt() + 1);
        // Tabs follow SORT_NO, not SEQ.
        QCOMPARE(tabs->tabText(3), queryText(u"SELECT SHURUI_NAME FROM SHURUI_MASTER ORDER BY "
                                             "SORT_NO LIMIT 1 OFFSET 2"_s));

        // Each tab lists the shown weapons of its type (all of them on the first), in order.
        for (int tab = tabs->count() - 1; tab >= 0; --tab) {
            tabs->setCurrentIndex(tab);
            const QString type = u" AND SHURUI = "_s + tabs->tabData(tab).toString();
            QStringList tags;
            for (const ListRow& row : list->rowModel()->rows())
                tags << row.tag;
            QCOMPARE(tags, testsupport::sqlRows(storage::cnDatabase().handle(),
                                                u"SELECT SEQ FROM BUKI_MASTER WHERE HYOUJI = 1"_s +
                                                    (tab == 0 ? QString() : type) +
                                                    u" ORDER BY SHURUI, SORT_NO, MAX_DAMAGE"_s));
        }
        // A NULL cell is empty text and its row is still listed.
        const auto& rows = list->rowModel()->rows();
        const auto it =
            std::find_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.tag == u"2"; });
        QVERIFY(it != rows.end());
        QCOMPARE(it->text, u"鉄の片手剣"_s);
        QCOMPARE(it->subItems, QStringList({u"12～18"_s, u"10～25"_s, u"12"_s, u"55"_s, u"0"_s,
                                            u"17"_s, QString(), u"1"_s}));
        // Refills keep the columns' twip widths.
        for (int column = 0; column < 9; ++column)
            QCOMPARE(list->header()->sectionSize(column),
                     twipsToPixels(list->rowModel()->columns()[column].twips));
    }

    void startButton_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << "empty" << u"武器項目なす"_s;
        QTest::newRow("no current row") << "" << NotSelected;
        QTest::newRow("clicked empty space") << "space" << NotSelected;
        QTest::newRow("row selected") << "select" << QString();
    }
    void startButton() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        if (setup == u"empty")
            QVERIFY(run(u"UPDATE BUKI_MASTER SET HYOUJI = 0"_s));
        // A leftover row of an earlier run must be gone when the simulator starts.
        QVERIFY(run(u"INSERT INTO WORK_BUKI_DATA (SHURUI, KAISU) VALUES (0, 0)"_s));
        start();
        auto* list = child<ReportList>("lvwBuki");
        if (setup == u"space" || setup == u"select")
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 3));
        if (setup == u"space")
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, emptySpace(list, 3));
        bool lockedDuringMessage = false;
        m_boxes->onShow = [&](const auto&) {
            lockedDuringMessage = !list->isEnabled();
        };
        click("cmdSim");
        QCOMPARE(m_boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(lockedDuringMessage, !message.isEmpty());
        QVERIFY(child<QPushButton>("cmdSim")->isEnabled() && list->isEnabled());
        QCOMPARE(m_simulatorSaw,
                 message.isEmpty() ? list->rowModel()->row(3).tag + u"/0"_s : QString());
    }

    void doubleClickOnWeaponList_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("starts");
        QTest::newRow("left on row") << "row" << Qt::LeftButton << true;
        QTest::newRow("right on row") << "row" << Qt::RightButton << false;
        QTest::newRow("left on empty space") << "space" << Qt::LeftButton << false;
        QTest::newRow("left on header") << "header" << Qt::LeftButton << false;
    }
    void doubleClickOnWeaponList() {
        QFETCH(QString, where);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, starts);
        start();
        auto* list = child<ReportList>("lvwBuki");
        // A row is selected first, so only the hit rule can keep the double click from starting.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 2));
        if (where == u"header")
            doubleClick(list->header()->viewport(), QPoint(10, 5), button);
        else
            doubleClick(list->viewport(),
                        where == u"row" ? rowCentre(list, 2) : emptySpace(list, 2), button);
        QCOMPARE(m_opened, starts ? QStringList{u"simulator"_s} : QStringList());
        QVERIFY(m_boxes->shown.isEmpty());
    }

    void databaseFailures() {
        start();
        auto* list = child<ReportList>("lvwBuki");
        QVERIFY(run(u"DROP TABLE BUKI_MASTER"_s));
        QString modalDuringMessage;
        m_boxes->onShow = [&](const auto&) {
            if (QWidget* modal = QApplication::activeModalWidget())
                modalDuringMessage = modal->objectName();
        };
        child<QTabBar>("tabShurui")->setCurrentIndex(2);
        QCOMPARE(m_boxes->texts(), QStringList{DatabaseFailed});
        QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
        QCOMPARE(modalDuringMessage, u"frmWait"_s); // the refill runs behind the loading window
        QCOMPARE(list->rowCount(), 0);
        QVERIFY(list->isEnabled() && child<QTabBar>("tabShurui")->isEnabled());

        // The start cannot empty the work table: no simulator, and the window stays usable.
        QVERIFY(run(u"DROP TABLE WORK_BUKI_DATA"_s));
        m_boxes->shown.clear();
        list->rowModel()->append(ListRow{u"x"_s, {}, u"1"_s, {}, RowColour::Normal});
        list->setCurrentRow(0);
        click("cmdSim");
        QCOMPARE(m_boxes->texts(), QStringList{DatabaseFailed});
        QVERIFY(m_opened.isEmpty() && child<QPushButton>("cmdSim")->isEnabled());
    }

    void realSimulatorStart() {
        start();
        m_window->setDialogs(frmBuki::realDialogs());
        auto* list = child<ReportList>("lvwBuki");
        list->setCurrentRow(1);
        QString modalName;
        bool locked = false;
        testsupport::whenModal([&] {
            QWidget* modal = QApplication::activeModalWidget();
            modalName = modal ? modal->objectName() : QString();
            locked = !list->isEnabled();
            if (modal)
                modal->close();
        });
        click("cmdSim");
        QCOMPARE(modalName, u"frmKaizo"_s);
        QVERIFY(locked && list->isEnabled());
        QVERIFY(m_boxes->shown.isEmpty());
        QCOMPARE(m_window->profileList().count(), 2); // the simulator's working row is gone again
    }

    void lockFormGreysLists() {
        start();
        QVERIFY(!m_window->windowIcon().isNull()); // the icon resource is linked in
        auto* list = child<ReportList>("lvwEnchant");
        const QColor base = list->palette().color(QPalette::Base);
        const QList<QWidget*> controls =
            m_window->findChildren<QWidget*>(QRegularExpression(u"^(lvw|cmd|tab)"_s));
        QCOMPARE(controls.size(), 12);
        for (const bool locked : {true, false}) {
            locked ? m_window->lockForm() : m_window->unlockForm();
            for (QWidget* control : controls)
                QVERIFY2(control->isEnabled() != locked, qPrintable(control->objectName()));
            QCOMPARE(list->palette().color(QPalette::Base),
                     locked ? QPalette().color(QPalette::Button) : base);
        }
    }

    void sideListButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("savedRows"); // profiles or bonus sets in the settings file
        QTest::addColumn<int>("current");   // -1: no current row
        QTest::addColumn<bool>("highlighted");
        QTest::addColumn<int>("editorResult");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        const auto row = [](const char* name, const char* button, int saved, int current,
                            bool highlighted, int result, const QString& message, bool changed) {
            QTest::newRow(name) << QString::fromLatin1(button) << saved << current << highlighted
                                << result << message << changed;
        };
        row("edit profile, empty", "cmdMod", 0, -1, false, 0, u"項目なす"_s, false);
        row("delete profile, empty", "cmdDel", 0, -1, false, 0, u"改造項目なす"_s, false);
        row("edit profile, no current row", "cmdMod", 2, -1, false, 0, NotSelected, false);
        row("edit profile, not highlighted", "cmdMod", 2, 1, false, 0, NotSelected, false);
        row("edit profile", "cmdMod", 2, 1, true, 0, {}, true);
        row("edit profile, cancelled", "cmdMod", 2, 1, true, 1, {}, false);
        row("delete profile, no current row", "cmdDel", 2, -1, false, 0, {}, false);
        row("delete profile, not highlighted", "cmdDel", 2, 0, false, 0, NotSelected, false);
        row("delete profile", "cmdDel", 2, 0, true, 0, {}, true);
        row("new profile", "cmdReg", 0, -1, false, 0, {}, true);
        row("new profile, cancelled", "cmdReg", 2, -1, false, 1, {}, false);
        row("delete set, only the fixed row", "cmdDelEnchant", 0, 0, true, 0,
            u"削除対象なす(´・ω・)"_s, false);
        row("delete set, fixed row current", "cmdDelEnchant", 1, 0, false, 0,
            u"これは消せないのです(´・ω・)"_s, false);
        row("delete set, not highlighted", "cmdDelEnchant", 1, 1, false, 0, NotSelected, false);
        row("delete set", "cmdDelEnchant", 1, 1, true, 0, {}, true);
        row("edit set, fixed row", "cmdModEnchant", 1, 0, true, 0,
            u"これは規定値なのだよ(´・ω・)"_s, false);
        row("edit set, no current row", "cmdModEnchant", 1, -1, false, 0, NotSelected, false);
        row("edit set, cancelled", "cmdModEnchant", 1, 1, true, 1, {}, false);
        row("new set", "cmdRegEnchant", 1, -1, false, 0, {}, true);
    }
    void sideListButtons() {
        QFETCH(QString, button);
        QFETCH(int, savedRows);
        QFETCH(int, current);
        QFETCH(bool, highlighted);
        QFETCH(int, editorResult);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        const bool enchant = button.endsWith(u"Enchant");
        QVERIFY(m_settings->setValue(u"SYSTEM"_s, enchant ? u"EnchantCount"_s : u"Count"_s,
                                     QString::number(savedRows)));
        const QByteArray before = testsupport::readBytes(m_settings->path());
        m_editorResult = qint16(editorResult);
        start();
        auto* view = child<ReportList>(enchant ? "lvwEnchant" : "lvwProfile");
        view->setCurrentRow(current);
        if (!highlighted)
            view->selectionModel()->clearSelection();
        click(button.toLatin1().constData());

        QCOMPARE(m_boxes->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_opened.size(), message.isEmpty() && !button.startsWith(u"cmdDel") ? 1 : 0);
        const QStringList shown = texts(*view->rowModel());
        QVERIFY(closeWindow());
        QCOMPARE(testsupport::readBytes(m_settings->path()) != before, changed);
        // What the window showed is what the next start reads back.
        RowListModel profiles;
        RowListModel enchants;
        sideLists::setProfileList(profiles, enchants);
        if (changed)
            QCOMPARE(texts(enchant ? enchants : profiles), shown);
    }

    void sideListDoubleClicks() {
        start();
        auto* enchant = child<ReportList>("lvwEnchant");
        auto* profile = child<ReportList>("lvwProfile");
        doubleClick(enchant->viewport(), rowCentre(enchant, 0));
        QCOMPARE(m_boxes->texts(), QStringList{u"これは規定値なのだよ(´・ω・)"_s});
        doubleClick(enchant->viewport(), rowCentre(enchant, 1));
        doubleClick(profile->viewport(),
                    QPoint(rowCentre(profile, 1).x(), profile->viewport()->height() - 4));
        doubleClick(profile->viewport(), rowCentre(profile, 1));
        QCOMPARE(m_opened, QStringList({u"enchantMod"_s, u"profileMod"_s}));
        QCOMPARE(m_boxes->shown.size(), 1);
        // The edited profile row is highlighted again afterwards.
        QCOMPARE(m_window->profileCurrentRow(), 1);
        QVERIFY(m_window->profileCurrentSelected());
    }
};

QTEST_MAIN(CatalogueWindowTest)
#include "test_catalogue_window.moc"
