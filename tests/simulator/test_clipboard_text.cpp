// The clipboard exports: the texts byte for byte from made-up captions, the list export from the
// master, and the three buttons of the simulator window with the clipboard behind a fake.

#include "SimFixture.h"
#include "SimulatorFakes.h"
#include "simulator/Clipboard.h"
#include "simulator/ClipboardText.h"
#include "simulator/WorkTable.h"
#include "storage/Database.h"
#include "support/GuiTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

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
// ロングソード after 攻撃強化 and 耐久補強 in the window.
const QString kWindowFigures =
    u"15式ロングソード　ダメージ10-23　クリティカル10　バランス50　耐久13"_s;

// The worked example: ロングソード after 攻撃強化 and 耐久強化.
ShownFigures example() {
    ShownFigures shown{
        u"45"_s, u"12,300"_s, u"ロングソード"_s, 5,          QStringList(),        u"12～25"_s,
        u"18"_s, u"45"_s,     u"15"_s,           u"(150)"_s, u"鍛冶 : 名匠の作"_s, u"23"_s};
    shown.steps = {u"攻撃強化"_s, u"耐久強化"_s, {}, {}, {}};
    return shown;
}

} // namespace

class TestClipboardText : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<KaizoWindow> m_w;
    std::optional<testsupport::RecordingMessageBoxes> m_boxes;

    void applyTwoSteps() {
        m_w->apply(0); // 攻撃強化 at step 0
        m_w->apply(2); // 耐久補強 at step 1
    }

private slots:
    void init() {
        simfixture::openMaster(m_dir.filePath(u"master.db"_s));
        QVERIFY(workTable::deleteWork({}));
        m_w.emplace();
        QVERIFY(m_w->open());
        m_boxes.emplace();
    }
    void cleanup() {
        m_boxes.reset();
        m_w.reset();
        storage::cnDatabase().close();
    }

    void layouts_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<ShownFigures>("shown");
        QTest::addColumn<QString>("expected");
        const QString figures = u"ダメージ12-25　クリティカル18　バランス45　耐久15"_s;
        const ShownFigures two = example();
        QTest::newRow("1, two steps") << 1 << two << u"45式ロングソード 攻撃強化→耐久強化"_s;
        QTest::newRow("2, two steps") << 2 << two << u"45式ロングソード　"_s + figures;
        QTest::newRow("3, two steps") << 3 << two
                                      << u"○費用12,300\r\n○攻撃強化→耐久強化\r\n○"_s + figures +
                                             u"\r\n○バランス80％達成DEX 150"_s;
        ShownFigures changed = two;
        changed.changeTag = u"30"_s;
        QTest::newRow("2, performance change")
            << 2 << changed << u"鍛冶 : 名匠の作45式ロングソード　"_s + figures;
        ShownFigures free = two;
        free.cost.clear();
        free.balanceTassei = u"(-10)"_s;
        QTest::newRow("3, cost 0 and a negative Dex")
            << 3 << free
            << u"○費用\r\n○攻撃強化→耐久強化\r\n○"_s + figures + u"\r\n○バランス80％達成DEX -10"_s;
        ShownFigures gap = two;
        gap.steps = {u"a"_s, {}, u"c"_s, {}, {}};
        QTest::newRow("1, an empty slot ends the steps") << 1 << gap << u"45式ロングソード a"_s;
        ShownFigures shortWeapon = two;
        shortWeapon.maxKaisu = 2;
        shortWeapon.steps = {u"a"_s, u"b"_s, u"c"_s, {}, {}};
        QTest::newRow("1, no step past the weapon's last")
            << 1 << shortWeapon << u"45式ロングソード a→b"_s;
    }
    void layouts() {
        QFETCH(int, number);
        QFETCH(ShownFigures, shown);
        QFETCH(QString, expected);
        QCOMPARE(number == 1   ? clipboardText::planSteps(shown)
                 : number == 2 ? clipboardText::weaponFigures(shown)
                               : clipboardText::weaponSummary(shown),
                 expected);
    }

    void listLines_data() {
        QTest::addColumn<clipboardText::KaizoLine>("line");
        QTest::addColumn<QString>("expected");
        const clipboardText::KaizoLine attack{
            u"攻撃強化"_s, u"0"_s, u"2"_s, u"15"_s, 4500, {0, 2, 0, 0, 0, -5, 0, 0}, {}};
        QTest::newRow("worked example")
            << attack
            << u"攻撃強化  0-2   15    4,500<Font Color=\"#555a88\">  最大ダメージ+2</font>"
               u"<Font Color=\"#885555\">  バランス-5</font>  \r\n"_s;
        const clipboardText::KaizoLine free{u"攻撃強化"_s,    u"0"_s, u"2"_s, u"1234"_s, 0, {},
                                            u"外見が変わる"_s};
        QTest::newRow("cost 0, EXP 1234, no figures")
            << free << u"攻撃強化  0-2  1234           外見が変わる\r\n"_s;
    }
    void listLines() {
        QFETCH(clipboardText::KaizoLine, line);
        QFETCH(QString, expected);
        QCOMPARE(clipboardText::listLine(line), expected);
    }

    void listFromTheMaster() {
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
    }

    void windowExports() {
        FakeClipboard board;
        clipboard::cmdClipKaizo(m_w->win.get(), ShownFigures{});
        QCOMPARE(board.sets, 0); // nothing at step 0
        QVERIFY(!m_w->child<QPushButton>("cmdClipKaizo")->isEnabled());

        applyTwoSteps();
        m_w->click("cmdClipKaizo");
        const QString steps = u"15式ロングソード 攻撃強化→耐久補強"_s;
        QCOMPARE(board.text(), steps);
        m_w->click("cmdBukiClip");
        QCOMPARE(board.text(), kWindowFigures);
        QCOMPARE(m_boxes->texts(), QStringList({kCopied + steps, kCopied + kWindowFigures}));
        for (const auto& shown : m_boxes->shown) {
            QCOMPARE(shown.buttons, ui::Buttons::Ok);
            QCOMPARE(shown.icon, ui::Icon::None);
        }

        m_w->click("cmdList");
        QVERIFY(board.text().startsWith(u"攻撃強化  0-5   10   12,500<Font Color=\"#555a88\">"_s));
        QCOMPARE(board.text().count(u"\r\n"_s), 5);
        QCOMPARE(m_boxes->texts().last(), kCopied + board.text());
    }

    void modifierRegister() {
        FakeClipboard board;
        applyTwoSteps();
        // Shift held: its key-down fills the register; the click uses it up.
        QTest::keyPress(m_w->win.get(), Qt::Key_Shift);
        m_w->click("cmdBukiClip");
        QCOMPARE(board.text(), u"○費用13,500\r\n○攻撃強化→耐久補強\r\n"
                               u"○ダメージ10-23　クリティカル10　バランス50　耐久13\r\n"
                               u"○バランス80％達成DEX 130"_s);
        QCOMPARE(m_w->win->shiftState(), qint16(0));
        m_w->click("cmdBukiClip");
        QCOMPARE(board.text(), kWindowFigures);
        // A key-up empties the register without any click.
        QTest::keyPress(m_w->win.get(), Qt::Key_Shift);
        QTest::keyRelease(m_w->win.get(), Qt::Key_Shift, Qt::ShiftModifier);
        m_w->click("cmdBukiClip");
        QCOMPARE(board.text(), kWindowFigures);
    }

    void failuresAreReported() {
        FakeClipboard board;
        board.refuse = true;
        m_w->apply(0);
        m_w->click("cmdBukiClip");
        QCOMPARE(m_boxes->texts(), QStringList{kFailed});
        QCOMPARE(m_boxes->shown[0].icon, ui::Icon::Critical);

        board.refuse = false;
        simfixture::exec("DROP TABLE KAIZO_MASTER");
        m_w->click("cmdList");
        QCOMPARE(m_boxes->texts(), QStringList({kFailed, kFailed}));
        QCOMPARE(board.sets, 1); // the list never reached the clipboard
    }

    void systemClipboard() {
        QVERIFY(clipboard::placeText(u"○費用\r\n～"_s));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"○費用\r\n～"_s);
    }
};

QTEST_MAIN(TestClipboardText)
#include "test_clipboard_text.moc"
