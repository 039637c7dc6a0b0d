// The clipboard exports: the texts byte for byte from made-up captions, the list export from the
// master, and the three buttons of the simulator window with the clipboard behind a fake. Every
// case runs beside an open simulator window on the small fixture master.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "app/ReportList.h"
#include "simulator/Clipboard.h"
#include "simulator/ClipboardText.h"
#include "simulator/WorkTable.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ShownFigures)
Q_DECLARE_METATYPE(clipboardText::KaizoLine)

namespace {

// Records what is placed; a refusing clipboard keeps nothing, as one held by another program.
class FakeClipboard : public clipboard::Access {
public:
    FakeClipboard() { clipboard::setAccess(this); }
    ~FakeClipboard() override { clipboard::setAccess(nullptr); }
    void clear() override { m_text.clear(); }
    void setText(const QString& text) override {
        ++sets;
        if (!refuse)
            m_text = text;
    }
    QString text() const override { return m_text; }

    bool refuse = false;
    int sets = 0;

private:
    QString m_text;
};

const QString kCopied = u"クリップボードにコピーしました。\r\n"
                        u"Ctrl+[V]でコピーした情報を貼り付けることが出来ます。\r\n\r\n"_s;
const QString kFailed = u"クリップボードの初期化に失敗しました。再度実行してください。"_s;

// The worked example: ロングソード after 攻撃強化 and 耐久強化.
ShownFigures example() {
    ShownFigures shown;
    shown.jukuren = u"45"_s;
    shown.cost = u"12,300"_s;
    shown.bukiName = u"ロングソード"_s;
    shown.maxKaisu = 5;
    shown.steps = {u"攻撃強化"_s, u"耐久強化"_s, {}, {}, {}};
    shown.damage = u"12～25"_s;
    shown.critical = u"18"_s;
    shown.balance = u"45"_s;
    shown.taikyu = u"15"_s;
    shown.balanceTassei = u"(150)"_s;
    shown.changeCaption = u"鍛冶 : 名匠の作"_s;
    shown.changeTag = u"23"_s;
    return shown;
}

clipboardText::KaizoLine attackLine() {
    clipboardText::KaizoLine line;
    line.name = u"攻撃強化"_s;
    line.kaisuS = u"0"_s;
    line.kaisuE = u"2"_s;
    line.exp = u"15"_s;
    line.cost = 4500;
    line.figures = {0, 2, 0, 0, 0, -5, 0, 0};
    return line;
}

QString layout(int number, const ShownFigures& shown) {
    switch (number) {
    case 1:
        return clipboardText::planSteps(shown);
    case 2:
        return clipboardText::weaponFigures(shown);
    default:
        return clipboardText::weaponSummary(shown);
    }
}

} // namespace

class TestClipboardText : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layouts_data();
    void layouts();
    void listLines_data();
    void listLines();
    void listFromTheMaster();
    void windowExports();
    void modifierRegister();
    void failuresAreReported();
    void systemClipboard();

private:
    QPushButton* button(const char* name) const {
        return m_win->findChild<QPushButton*>(QLatin1String(name));
    }
    void apply(int row);

    QTemporaryDir m_dir;
    FakeCatalogue* m_catalogue = nullptr;
    frmKaizo* m_win = nullptr;
    testsupport::RecordingMessageBoxes* m_boxes = nullptr;
};

void TestClipboardText::layouts_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<ShownFigures>("shown");
    QTest::addColumn<QString>("expected");

    const ShownFigures two = example();
    QTest::newRow("1, two steps") << 1 << two << u"45式ロングソード 攻撃強化→耐久強化"_s;
    QTest::newRow("2, two steps")
        << 2 << two << u"45式ロングソード　ダメージ12-25　クリティカル18　バランス45　耐久15"_s;
    QTest::newRow("3, two steps") << 3 << two
                                  << u"○費用12,300\r\n○攻撃強化→耐久強化\r\n"
                                     u"○ダメージ12-25　クリティカル18　バランス45　耐久15\r\n"
                                     u"○バランス80％達成DEX 150"_s;

    ShownFigures one = example();
    one.steps = {u"攻撃強化"_s, {}, {}, {}, {}};
    QTest::newRow("1, one step") << 1 << one << u"45式ロングソード 攻撃強化"_s;
    QTest::newRow("3, one step") << 3 << one
                                 << u"○費用12,300\r\n○攻撃強化\r\n"
                                    u"○ダメージ12-25　クリティカル18　バランス45　耐久15\r\n"
                                    u"○バランス80％達成DEX 150"_s;

    ShownFigures changed = example();
    changed.changeTag = u"30"_s;
    QTest::newRow("2, performance change")
        << 2 << changed
        << u"鍛冶 : 名匠の作45式ロングソード　ダメージ12-25　クリティカル18　バランス45　耐久15"_s;
    ShownFigures free = example();
    free.cost.clear();
    free.balanceTassei = u"(-10)"_s;
    QTest::newRow("3, cost 0 and a negative Dex")
        << 3 << free
        << u"○費用\r\n○攻撃強化→耐久強化\r\n"
           u"○ダメージ12-25　クリティカル18　バランス45　耐久15\r\n"
           u"○バランス80％達成DEX -10"_s;

    ShownFigures gap = example();
    gap.steps = {u"a"_s, {}, u"c"_s, {}, {}};
    QTest::newRow("1, an empty slot ends the steps") << 1 << gap << u"45式ロングソード a"_s;
    ShownFigures short2 = example();
    short2.maxKaisu = 2;
    short2.steps = {u"a"_s, u"b"_s, u"c"_s, {}, {}};
    QTest::newRow("1, no step past the weapon's last") << 1 << short2 << u"45式ロングソード a→b"_s;
}

void TestClipboardText::layouts() {
    QFETCH(int, number);
    QFETCH(ShownFigures, shown);
    QFETCH(QString, expected);
    QCOMPARE(layout(number, shown), expected);
}

void TestClipboardText::listLines_data() {
    QTest::addColumn<clipboardText::KaizoLine>("line");
    QTest::addColumn<QString>("expected");
    const clipboardText::KaizoLine attack = attackLine();
    QTest::newRow("worked example")
        << attack
        << u"攻撃強化  0-2   15    4,500<Font Color=\"#555a88\">  最大ダメージ+2</font>"
           u"<Font Color=\"#885555\">  バランス-5</font>  \r\n"_s;

    clipboardText::KaizoLine free = attack;
    free.cost = 0;
    free.exp = u"1234"_s;
    free.figures = {};
    free.etc = u"外見が変わる"_s;
    QTest::newRow("cost 0, EXP 1234, no figures")
        << free << u"攻撃強化  0-2  1234           外見が変わる\r\n"_s;
}

void TestClipboardText::listLines() {
    QFETCH(clipboardText::KaizoLine, line);
    QFETCH(QString, expected);
    QCOMPARE(clipboardText::listLine(line), expected);
}

void TestClipboardText::listFromTheMaster() {
    storage::Recordset rs;
    QCOMPARE(clipboardText::modificationList(2, rs),
             std::optional<QString>(u"研ぎ  0-4    1      100<Font Color=\"#555a88\">  "
                                    u"最小ダメージ+1</font>  \r\n"_s));
    const std::optional<QString> all = clipboardText::modificationList(1, rs);
    QVERIFY(all);
    const QStringList lines = all->split(u"\r\n"_s);
    QCOMPARE(lines.size(), 6); // five modifications and the empty text after the last CRLF
    QCOMPARE(lines[3], u"見た目変更  0-5    0           外見が変わる"_s);
    QVERIFY(lines[4].startsWith(u"バランス調整  1-5   20    3,000"_s));
    QCOMPARE(clipboardText::modificationList(3, rs), std::optional<QString>(QString()));
    simfixture::exec("DROP TABLE KAIZO_MASTER");
    QCOMPARE(clipboardText::modificationList(1, rs), std::nullopt);
}

void TestClipboardText::init() {
    simfixture::openMaster(m_dir.filePath(u"master.db"_s));
    QVERIFY(workTable::deleteWork({}));
    m_catalogue = new FakeCatalogue;
    m_win = new frmKaizo(*m_catalogue, nullptr);
    QVERIFY(m_win->prepare());
    m_win->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_win));
    m_boxes = new testsupport::RecordingMessageBoxes;
}

void TestClipboardText::cleanup() {
    delete m_boxes;
    delete m_win;
    m_win = nullptr;
    delete m_catalogue;
    m_catalogue = nullptr;
    storage::cnDatabase().close();
}

// 攻撃強化 (row 0 at step 0), then 耐久補強 (row 2 at step 1).
void TestClipboardText::apply(int row) {
    auto* list = m_win->findChild<ReportList*>(u"lvwKaizo"_s);
    list->setCurrentRow(row);
    button("cmdKaizo")->click();
}

void TestClipboardText::windowExports() {
    FakeClipboard board;
    clipboard::cmdClipKaizo(m_win, ShownFigures{});
    QCOMPARE(board.sets, 0); // nothing at step 0
    QVERIFY(!button("cmdClipKaizo")->isEnabled());

    apply(0);
    apply(2);
    button("cmdClipKaizo")->click();
    const QString steps = u"15式ロングソード 攻撃強化→耐久補強"_s;
    QCOMPARE(board.text(), steps);
    button("cmdBukiClip")->click();
    const QString figures =
        u"15式ロングソード　ダメージ10-23　クリティカル10　バランス50　耐久13"_s;
    QCOMPARE(board.text(), figures);
    QCOMPARE(m_boxes->texts(), QStringList({kCopied + steps, kCopied + figures}));
    for (const auto& shown : m_boxes->shown) {
        QCOMPARE(shown.buttons, ui::Buttons::Ok);
        QCOMPARE(shown.icon, ui::Icon::None);
    }

    button("cmdList")->click();
    QVERIFY(board.text().startsWith(u"攻撃強化  0-5   10   12,500<Font Color=\"#555a88\">"_s));
    QCOMPARE(board.text().count(u"\r\n"_s), 5);
    QCOMPARE(m_boxes->texts().last(), kCopied + board.text());
}

void TestClipboardText::modifierRegister() {
    FakeClipboard board;
    apply(0);
    apply(2);
    const QString summary = u"○費用13,500\r\n○攻撃強化→耐久補強\r\n"
                            u"○ダメージ10-23　クリティカル10　バランス50　耐久13\r\n"
                            u"○バランス80％達成DEX 130"_s;
    const QString line = u"15式ロングソード　ダメージ10-23　クリティカル10　バランス50　耐久13"_s;

    // Shift held: its key-down fills the register; the click uses it up.
    QTest::keyPress(m_win, Qt::Key_Shift);
    button("cmdBukiClip")->click();
    QCOMPARE(board.text(), summary);
    QCOMPARE(m_win->shiftState(), qint16(0));
    button("cmdBukiClip")->click();
    QCOMPARE(board.text(), line);
    // A key-up empties the register without any click.
    QTest::keyPress(m_win, Qt::Key_Shift);
    QTest::keyRelease(m_win, Qt::Key_Shift, Qt::ShiftModifier);
    button("cmdBukiClip")->click();
    QCOMPARE(board.text(), line);
}

void TestClipboardText::failuresAreReported() {
    FakeClipboard board;
    board.refuse = true;
    apply(0);
    button("cmdBukiClip")->click();
    QCOMPARE(m_boxes->texts(), QStringList{kFailed});
    QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);

    board.refuse = false;
    simfixture::exec("DROP TABLE KAIZO_MASTER");
    button("cmdList")->click();
    QCOMPARE(m_boxes->texts(), QStringList({kFailed, kFailed}));
    QCOMPARE(board.sets, 1); // the list never reached the clipboard
}

void TestClipboardText::systemClipboard() {
    QVERIFY(clipboard::placeText(u"○費用\r\n～"_s));
    QCOMPARE(QGuiApplication::clipboard()->text(), u"○費用\r\n～"_s);
}

QTEST_MAIN(TestClipboardText)
#include "test_clipboard_text.moc"
