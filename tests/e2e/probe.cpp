// zelnoa-e2e-probe: the end-to-end driver's look inside the program's windows. It runs the real
// window classes on the same X display, with the same fonts, as the program under test, so what it
// reports holds for the program's windows too.
//
//   layout <program folder>: "window.control x y width height" for the named controls of the
//       catalogue ("buki"), of the simulator of the weapon list's second row ("kaizo") and of its
//       load dialog ("load") from the window's corner; of a list its first row, of a tab bar
//       each tab as "control.index" too
//   fonts <program folder> <texts file>: whether every font the two windows use is a Japanese
//       one with a glyph for every character of the texts (one a line); lists what is missing
//   wait: the loading window over a job of two seconds, long enough for a screenshot
//   msgbox none|exclamation|critical <text>: the program's message box, to compare with
//   shot <out.png> <x> <y> <width> <height>: that part of the screen (-1: to the screen's edge)

#include "app/modMain.h"
#include "catalogue/frmBuki.h"
#include "simulator/frmKaizo.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "ui/MessageBox.h"
#include "ui/ReportList.h"
#include "ui/frmWait.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

void describe(const char* prefix, QWidget* window) {
    const auto print = [&](const QString& name, QWidget* of, const QRect& r) {
        const QPoint at = of->mapTo(window, r.topLeft());
        std::printf("%s.%s %d %d %d %d\n", prefix, qPrintable(name), at.x(), at.y(), r.width(),
                    r.height());
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || w->objectName().isEmpty() || !w->isVisible())
            continue;
        if (auto* list = qobject_cast<ReportList*>(w); list && list->rowCount() > 0)
            print(w->objectName(), list->viewport(), list->visualRect(list->model()->index(0, 0)));
        else
            print(w->objectName(), w, w->rect());
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                print(w->objectName() + u'.' + QString::number(i), w, tabs->tabRect(i));
        }
    }
}

// The program's two main windows, opened on the sample database of the folder.
struct Windows {
    std::unique_ptr<storage::SettingsFile> settings;
    storage::Connection database;
    std::unique_ptr<storage::Stores> stores;
    std::unique_ptr<frmBuki> buki;
    std::unique_ptr<frmKaizo> kaizo;
};

bool open(Windows& windows, const QString& path) {
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
    windows.buki->findChild<ReportList*>(u"lvwBuki"_s)->setCurrentRow(1);
    windows.kaizo = std::make_unique<frmKaizo>(windows.buki.get(), *windows.stores, *windows.buki);
    if (!windows.kaizo->prepare())
        return false;
    windows.kaizo->show();
    return QTest::qWaitForWindowExposed(windows.kaizo.get());
}

int layout(const QString& path) {
    Windows windows;
    if (!open(windows, path))
        return 1;
    describe("buki", windows.buki.get());
    describe("kaizo", windows.kaizo.get());
    // The load dialog is modal: described and closed from within its own event loop.
    QTimer::singleShot(0, [] {
        describe("load", QApplication::activeModalWidget());
        QApplication::activeModalWidget()->close();
    });
    frmSaveDialog::intFormStartLoad(windows.kaizo.get(), *windows.settings,
                                    windows.buki->selectedWeapon()->seq);
    return 0;
}

int fonts(const QString& path, const QString& textsFile) {
    Windows windows;
    QFile file(textsFile);
    if (!open(windows, path) || !file.open(QIODevice::ReadOnly))
        return 1;
    const QStringList texts = QString::fromUtf8(file.readAll()).split(u'\n');
    QStringList checked; // by font key
    int faults = 0;
    QList<QWidget*> widgets{windows.buki.get(), windows.kaizo.get()};
    widgets += windows.buki->findChildren<QWidget*>() + windows.kaizo->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        QFont font = w->font();
        if (checked.contains(font.key()))
            continue;
        checked.append(font.key());
        const QString family = QFontInfo(font).family();
        if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese)) {
            std::printf("font %s (of %s) is not a Japanese font\n", qPrintable(family),
                        qPrintable(w->objectName()));
            ++faults;
        }
        // The font itself must hold the glyphs: no fallback to another font.
        font.setStyleStrategy(QFont::NoFontMerging);
        const QFontMetrics metrics(font);
        for (const QString& text : texts) {
            QString missing;
            for (const char32_t c : text.toUcs4()) {
                if (c > 0x7f && !metrics.inFontUcs4(c))
                    missing += QString::fromUcs4(&c, 1);
            }
            if (!missing.isEmpty()) {
                std::printf("%s lacks %s in \"%s\" (%s)\n", qPrintable(family), qPrintable(missing),
                            qPrintable(text), qPrintable(w->objectName()));
                ++faults;
            }
        }
    }
    std::printf("%lld texts checked in %lld fonts: %d faults\n",
                static_cast<long long>(texts.size()), static_cast<long long>(checked.size()),
                faults);
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    modMain::setUpFonts();
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    if (args.size() == 3 && mode == u"layout"_s)
        return layout(args[2]);
    if (args.size() == 4 && mode == u"fonts"_s)
        return fonts(args[2], args[3]);
    if (args.size() == 2 && mode == u"wait"_s) {
        frmWait wait;
        wait.setBukiData([] { QThread::msleep(2000); });
        wait.exec();
        return 0;
    }
    if (args.size() == 4 && mode == u"msgbox"_s) {
        const ui::Icon icon = args[2] == u"critical"_s      ? ui::Icon::Critical
                              : args[2] == u"exclamation"_s ? ui::Icon::Exclamation
                                                            : ui::Icon::None;
        ui::msgBox(nullptr, args[3], ui::Buttons::Ok, icon);
        return 0;
    }
    if (args.size() == 7 && mode == u"shot"_s) {
        const QPixmap shot = QApplication::primaryScreen()->grabWindow(
            0, args[3].toInt(), args[4].toInt(), args[5].toInt(), args[6].toInt());
        return shot.save(args[2], "PNG") ? 0 : 1;
    }
    std::fprintf(stderr, "usage: zelnoa-e2e-probe layout <folder> | fonts <folder> <texts> | wait "
                         "| msgbox <icon> <text> | shot <out.png> <x> <y> <width> <height>\n");
    return 2;
}
