// zelnoa-e2e-probe: the end-to-end driver's look inside the program's windows. It runs the real
// window classes on the same X display, with the same fonts, as the program under test, so what it
// reports holds for the program's windows too.
//
//   zelnoa-e2e-probe layout <program folder> <weapon row>
//       prints, as JSON, where the named controls of the catalogue window, of the simulator
//       window (opened for that row of the weapon list) and of its save and load dialogs and the
//       first rows of their lists stand, in pixels from each window's top-left corner
//   zelnoa-e2e-probe fonts <program folder> <texts file>
//       checks that the fonts the windows use hold a glyph for every character of the texts in
//       the file (one a line) and of every text the two windows show; lists what is missing
//   zelnoa-e2e-probe wait
//       shows the loading window over a job of two seconds, long enough for a screenshot
//   zelnoa-e2e-probe msgbox none|exclamation|critical|question <text>
//       shows the program's message box with that text and icon, so the driver can compare the
//       program's box with it pixel for pixel (a message box gives its text to no other program)

#include "app/modMain.h"
#include "catalogue/frmBuki.h"
#include "simulator/frmKaizo.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "ui/MessageBox.h"
#include "ui/ReportList.h"
#include "ui/frmWait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QJsonArray rectJson(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

QJsonObject describe(QWidget* window) {
    QJsonObject controls;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (w->window() != window || w->objectName().isEmpty() ||
            w->objectName().startsWith(u"qt_"_s) || !w->isVisible())
            continue;
        QJsonObject entry{{u"rect"_s, rectJson(QRect(w->mapTo(window, QPoint(0, 0)), w->size()))}};
        if (auto* list = qobject_cast<ReportList*>(w)) {
            QJsonArray rows;
            for (int row = 0; row < std::min(list->rowCount(), 12); ++row) {
                const QRect r = list->visualRect(list->model()->index(row, 0));
                rows.append(rectJson(QRect(list->viewport()->mapTo(window, r.topLeft()),
                                           QSize(list->viewport()->width() - r.x(), r.height()))));
            }
            entry[u"rows"_s] = rows;
        } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            QJsonArray rects;
            for (int i = 0; i < tabs->count(); ++i) {
                const QRect r = tabs->tabRect(i);
                rects.append(rectJson(QRect(tabs->mapTo(window, r.topLeft()), r.size())));
            }
            entry[u"tabs"_s] = rects;
        }
        controls[w->objectName()] = entry;
    }
    return {{u"size"_s, QJsonArray{window->width(), window->height()}},
            {u"title"_s, window->windowTitle()},
            {u"controls"_s, controls}};
}

// The program's two main windows, opened on the sample database of the folder.
struct Windows {
    std::unique_ptr<storage::SettingsFile> settings;
    storage::Connection database;
    std::unique_ptr<storage::Stores> stores;
    std::unique_ptr<frmBuki> buki;
    std::unique_ptr<frmKaizo> kaizo;
};

bool open(Windows& windows, const QString& path, int weaponRow) {
    const ProgramPaths paths = programPaths(path, u"zelnoa"_s);
    windows.settings = std::make_unique<storage::SettingsFile>(paths.settingsFile);
    windows.stores = std::make_unique<storage::Stores>(windows.database, *windows.settings);
    if (modMain::intOpenDatabase(paths, *windows.stores) == 1) {
        std::fprintf(stderr, "the database of %s did not open\n", qPrintable(path));
        return false;
    }
    windows.buki = std::make_unique<frmBuki>(*windows.stores);
    windows.buki->intFormStart();
    if (!QTest::qWaitForWindowExposed(windows.buki.get()))
        return false;
    windows.buki->findChild<ReportList*>(u"lvwBuki"_s)->setCurrentRow(weaponRow);
    windows.kaizo = std::make_unique<frmKaizo>(windows.buki.get(), *windows.stores, *windows.buki);
    if (!windows.kaizo->prepare())
        return false;
    windows.kaizo->show();
    return QTest::qWaitForWindowExposed(windows.kaizo.get());
}

// Describes the modal dialog that open() shows, then closes it through its close box.
QJsonObject describeModal(const std::function<void()>& open) {
    QJsonObject result;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->windowHandle() || !dialog->windowHandle()->isExposed())
            return;
        poll.stop();
        result = describe(dialog);
        dialog->close();
    });
    poll.start(20);
    open();
    return result;
}

int layout(const QString& path, int weaponRow) {
    Windows windows;
    if (!open(windows, path, weaponRow))
        return 1;
    frmKaizo& kaizo = *windows.kaizo;
    const qint32 weapon = windows.buki->selectedWeapon()->seq;
    const QJsonObject out{{u"frmBuki"_s, describe(windows.buki.get())},
                          {u"frmKaizo"_s, describe(&kaizo)},
                          {u"save"_s, describeModal([&] {
                               frmSaveDialog::intFormStartSave(&kaizo, *windows.settings, weapon,
                                                               u"23 "_s, QString(), QString());
                           })},
                          {u"load"_s, describeModal([&] {
                               frmSaveDialog::intFormStartLoad(&kaizo, *windows.settings, weapon);
                           })}};
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    return 0;
}

// Every text a widget shows, with the widget whose font draws it.
void collectShown(QWidget* window, QList<std::pair<QWidget*, QString>>& texts) {
    texts.append({window, window->windowTitle()});
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w))
            texts.append({w, label->text()});
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts.append({w, button->text()});
        else if (auto* frame = qobject_cast<QGroupBox*>(w))
            texts.append({w, frame->title()});
        else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                texts.append({w, tabs->tabText(i)});
        } else if (auto* list = qobject_cast<ReportList*>(w)) {
            const QAbstractItemModel* model = list->model();
            for (int c = 0; model && c < model->columnCount(); ++c) {
                texts.append({w, model->headerData(c, Qt::Horizontal).toString()});
                for (int r = 0; r < model->rowCount(); ++r)
                    texts.append({w, model->index(r, c).data().toString()});
            }
        }
        if (!w->toolTip().isEmpty())
            texts.append({w, w->toolTip()});
    }
}

// The characters of text that font itself (no fallback font) has no glyph for.
QString missingGlyphs(QFont font, const QString& text) {
    font.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetrics metrics(font);
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        if (c > 0x7f && !metrics.inFontUcs4(c) && !missing.contains(QString::fromUcs4(&c, 1)))
            missing += QString::fromUcs4(&c, 1);
    }
    return missing;
}

int fonts(const QString& path, const QString& textsFile) {
    Windows windows;
    if (!open(windows, path, 1))
        return 1;
    QFile file(textsFile);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(textsFile));
        return 1;
    }
    QList<std::pair<QWidget*, QString>> texts;
    // The program's own texts go through the application font and the weapon list's font.
    QWidget* const bukiList = windows.buki->findChild<ReportList*>(u"lvwBuki"_s);
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        texts.append({windows.buki.get(), line});
        texts.append({bukiList, line});
    }
    collectShown(windows.buki.get(), texts);
    collectShown(windows.kaizo.get(), texts);

    int faults = 0;
    QStringList families;
    for (const auto& [widget, text] : texts) {
        const QString family = QFontInfo(widget->font()).family();
        if (!families.contains(family)) {
            families.append(family);
            if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) {
                std::printf("font %s (of %s) is not a Japanese font\n", qPrintable(family),
                            qPrintable(widget->objectName()));
                ++faults;
            }
        }
        const QString missing = missingGlyphs(widget->font(), text);
        if (!missing.isEmpty()) {
            std::printf("%s lacks %s in \"%s\" (%s)\n", qPrintable(family), qPrintable(missing),
                        qPrintable(text), qPrintable(widget->objectName()));
            ++faults;
        }
    }
    std::printf("%lld texts checked in %s: %d faults\n", static_cast<long long>(texts.size()),
                qPrintable(families.join(u", "_s)), faults);
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    modMain::setUpFonts();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == u"layout"_s)
        return layout(args[2], args[3].toInt());
    if (args.size() == 4 && args[1] == u"fonts"_s)
        return fonts(args[2], args[3]);
    if (args.size() == 2 && args[1] == u"wait"_s) {
        frmWait wait;
        wait.setBukiData([] { QThread::msleep(2000); });
        wait.exec();
        return 0;
    }
    if (args.size() == 4 && args[1] == u"msgbox"_s) {
        const QStringList names{u"exclamation"_s, u"critical"_s, u"question"_s};
        const ui::Icon icons[] = {ui::Icon::Exclamation, ui::Icon::Critical, ui::Icon::Question};
        const qsizetype i = names.indexOf(args[2]);
        ui::msgBox(nullptr, args[3], ui::Buttons::Ok, i < 0 ? ui::Icon::None : icons[i]);
        return 0;
    }
    std::fprintf(stderr, "usage: zelnoa-e2e-probe layout <folder> <weapon row> | fonts <folder> "
                         "<texts file> | wait | msgbox <icon> <text>\n");
    return 2;
}
