// The bonus set editor driven by its controls: what a confirmed dialog writes into the bonus set
// list, the checks on OK, and the Enter and focus behaviour its fields share with the profile
// editor.

#include "EditorFakes.h"
#include "editors/frmEnchant.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

class TestFrmEnchant : public QObject {
    Q_OBJECT
private slots:
    void newSetStoresTheRow_data();
    void newSetStoresTheRow();
    void editRewritesOnlyItsCells();
    void refusedOnOk_data();
    void refusedOnOk();
    void enterMovesOnAndFocusSelects();
    void cancelLeavesTheRow_data();
    void cancelLeavesTheRow();
};

void TestFrmEnchant::newSetStoresTheRow_data() {
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("unchanged") << QStringList{u"txtName=セット"_s}
                               << QStringList{u"0～0"_s, u"0～0"_s, u"0"_s, u"0"_s, u"0"_s,
                                              u"0"_s,    u"0"_s,    u"0"_s, u"0"_s, u"0"_s,
                                              u"0"_s,    u"0"_s,    u"0"_s};
    // Combat values as typed (no check across bounds), statistics as number text.
    QTest::newRow("typed") << QStringList{u"txtName= 名 "_s,    u"txtMinDamage=12abc"_s,
                                          u"txtMaxDamage=3"_s,  u"txtMaxWounds=+3"_s,
                                          u"txtCritical=-20"_s, u"txtBalance= 7"_s,
                                          u"txtStr=12abc"_s,    u"txtLuck=12.50"_s,
                                          u"txtWill="_s}
                           << QStringList{u"12abc～3"_s, u"0～+3"_s, u"-20"_s, u" 7"_s, u"12abc"_s,
                                          u"3"_s,        u"0"_s,     u"+3"_s,  u"12"_s, u"0"_s,
                                          u"0"_s,        u"0"_s,     u"12.5"_s};
}

void TestFrmEnchant::newSetStoresTheRow() {
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, cells);
    FakeCatalogue catalogue;
    operateDialog([&](QDialog* d) {
        QCOMPARE(d->windowTitle(), u"エンチャント＆タイトル補正"_s);
        enter(d, inputs);
        press(d, u"cmdOK"_s);
    });
    QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 0);
    QCOMPARE(catalogue.enchants.count(), 2);
    QCOMPARE(catalogue.enchants.row(1).text, inputs[0].section(u'=', 1));
    QVERIFY(catalogue.enchants.row(1).key.isEmpty());
    QCOMPARE(catalogue.enchants.row(1).subItems, cells);
}

void TestFrmEnchant::editRewritesOnlyItsCells() {
    FakeCatalogue catalogue;
    ListRow set = listRow(u"旧"_s, {});
    for (int i = 1; i <= 15; ++i)
        set.setCell(i, QString::number(i));
    set.tag = u"tag"_s;
    catalogue.enchants.append(set);
    catalogue.enchantCurrent = 1;
    operateDialog([](QDialog* d) {
        QCOMPARE(child<QLineEdit>(d, u"txtCritical"_s)->text(), u"3"_s);
        QCOMPARE(child<QLineEdit>(d, u"txtMaxWounds"_s)->text(), u"8"_s);
        QCOMPARE(child<QLineEdit>(d, u"txtStr"_s)->text(), u"9"_s);
        enter(d, {u"txtName=新"_s, u"txtMinDamage=-2"_s});
        press(d, u"cmdOK"_s);
    });
    QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 0);
    const ListRow& row = catalogue.enchants.row(1);
    QCOMPARE(row.text, u"新"_s);
    QCOMPARE(row.tag, u"tag"_s);
    QCOMPARE(row.subItems,
             QStringList({u"-2～6"_s, u"7～8"_s, u"3"_s, u"4"_s, u"-2"_s, u"6"_s, u"7"_s, u"8"_s,
                          u"9"_s, u"10"_s, u"11"_s, u"12"_s, u"13"_s, u"14"_s, u"15"_s}));

    // The fixed first row is never edited.
    catalogue.enchantCurrent = 0;
    bool opened = false;
    watchForDialog(opened);
    QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 1);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
}

void TestFrmEnchant::refusedOnOk_data() {
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");
    const QString blank = u"名前が入力されていません。"_s;
    const QString limit = u"入力制限を超過しています。-999～999の間で値を入力してください。"_s;
    const QString unsavable = u"保存できない文字が含まれています。"_s;
    QTest::newRow("blank name first")
        << QStringList{u"txtName=  "_s, u"txtStr=5000"_s} << blank << u"txtName"_s;
    QTest::newRow("full-width blank name")
        << QStringList{u"txtName=\u3000"_s} << blank << u"txtName"_s;
    QTest::newRow("first of two out of range")
        << QStringList{u"txtName=a"_s, u"txtBalance=-1e3"_s, u"txtInt=1000"_s} << limit
        << u"txtInt"_s;
    QTest::newRow("overflowing bonus")
        << QStringList{u"txtName=a"_s, u"txtMaxDamage=1e400"_s} << limit << u"txtMaxDamage"_s;
    // é and 丂 have no Shift_JIS code, so the settings file would lose them.
    QTest::newRow("unsavable name") << QStringList{u"txtName=Café"_s} << unsavable << u"txtName"_s;
    QTest::newRow("unsavable bonus")
        << QStringList{u"txtName=a"_s, u"txtCritical=5丂"_s} << unsavable << u"txtCritical"_s;
}

void TestFrmEnchant::refusedOnOk() {
    QFETCH(QStringList, inputs);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    FakeCatalogue catalogue;
    testsupport::RecordingMessageBoxes boxes;
    operateDialog([&](QDialog* d) {
        enter(d, inputs);
        press(d, u"cmdOK"_s);
        QCOMPARE(boxes.texts(), QStringList{message});
        QCOMPARE(boxes.shown.at(0).icon, ui::Icon::Exclamation);
        auto* field = child<QLineEdit>(d, focused);
        QCOMPARE(d->focusWidget(), field);
        if (focused != u"txtName"_s)
            QCOMPARE(field->selectedText(), field->text());
        QVERIFY(d->isVisible());
    });
    QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 1);
    QCOMPARE(catalogue.enchants.count(), 1);
}

void TestFrmEnchant::enterMovesOnAndFocusSelects() {
    FakeCatalogue catalogue;
    operateDialog([](QDialog* d) {
        const QStringList order = {u"txtStr"_s,       u"txtInt"_s,       u"txtDex"_s,
                                   u"txtWill"_s,      u"txtLuck"_s,      u"txtMinDamage"_s,
                                   u"txtMaxDamage"_s, u"txtMinWounds"_s, u"txtMaxWounds"_s,
                                   u"txtCritical"_s,  u"txtBalance"_s,   u"cmdOK"_s};
        enter(d, {u"txtName=セット"_s, u"txtDex=12345"_s});
        child<QLineEdit>(d, u"txtName"_s)->setFocus();
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        QVERIFY(d->isVisible());
        for (auto* button : d->findChildren<QPushButton*>())
            QVERIFY(!button->isDefault() && !button->autoDefault());

        // Selected from the caret to the end; typing replaces the selection, nothing is filtered.
        auto* dex = child<QLineEdit>(d, u"txtDex"_s);
        dex->setCursorPosition(0);
        dex->setFocus(Qt::TabFocusReason);
        QCOMPARE(dex->selectedText(), u"12345"_s);
        dex->setCursorPosition(2);
        child<QWidget>(d, u"cmdOK"_s)->setFocus();
        dex->setFocus(Qt::MouseFocusReason);
        QCOMPARE(dex->selectedText(), u"345"_s);
        QTest::keyClicks(dex, u"x"_s);
        QCOMPARE(dex->text(), u"12x"_s);

        // On a button, Enter presses that button.
        child<QWidget>(d, u"cmdOK"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QVERIFY(!d->isVisible());
    });
    QCOMPARE(frmEnchant::intFormStartReg(nullptr, catalogue), 0);
    QCOMPARE(catalogue.enchants.row(1).cell(11), u"12"_s);
}

void TestFrmEnchant::cancelLeavesTheRow_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("Space on Cancel") << 2;
    QTest::newRow("close box") << 3;
}

void TestFrmEnchant::cancelLeavesTheRow() {
    QFETCH(int, how);
    FakeCatalogue catalogue;
    const ListRow set = listRow(u"旧"_s, {u"1～2"_s, u"0～0"_s, u"-20"_s});
    catalogue.enchants.append(set);
    catalogue.enchantCurrent = 1;
    operateDialog([how](QDialog* d) {
        enter(d, {u"txtName=新"_s, u"txtCritical=5"_s});
        auto* cancel = child<QWidget>(d, u"cmdCancel"_s);
        if (how == 0)
            press(d, u"cmdCancel"_s);
        if (how == 1)
            QTest::keyClick(child<QWidget>(d, u"txtCritical"_s), Qt::Key_Escape);
        if (how == 2) {
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_Space);
        }
        if (how == 3)
            d->close();
    });
    QCOMPARE(frmEnchant::intFormStartMod(nullptr, catalogue), 1);
    QCOMPARE(catalogue.enchants.row(1).text, set.text);
    QCOMPARE(catalogue.enchants.row(1).subItems, set.subItems);
}

QTEST_MAIN(TestFrmEnchant)
#include "test_frmEnchant.moc"
