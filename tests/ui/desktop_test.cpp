#include "support/file_systems.h"
#include "support/listed_volumes.h"
#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui/preview_dialog.h"
#include "ui/quiet_text.h"
#include "window_test_support.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

// Where CI asks that no real-path test be skipped, a missing X server or FUSE mount is a failure.
#define FILARION_QSKIP_WITHOUT_REAL_PATH(message)                                                                      \
    do {                                                                                                               \
        if (::filarion::test::realPathsRequired()) {                                                                   \
            QFAIL("FILARION_REQUIRE_REAL_PATHS=1, yet skipped: " message);                                             \
        }                                                                                                              \
        QSKIP(message);                                                                                                \
    } while (false)

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

QRect inWindow(const QWidget& window, const QWidget& widget, const QRect& rect) {
    return rect.translated(widget.mapTo(&window, QPoint(0, 0)));
}

// A click through the X server, as the user's; the pointer comes from outside, so that the window under it
// sees it enter, whatever an earlier window saw.
bool clickThroughX(QPoint global) {
    return QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"0"_s, u"0"_s, u"sleep"_s, u"0.2"_s, u"mousemove"_s,
                                            QString::number(global.x()), QString::number(global.y()), u"sleep"_s,
                                            u"0.2"_s, u"click"_s, u"1"_s}) == 0;
}

} // namespace

// The window on a real X server, as a desktop shows it: under each style, to a screen reader and the keyboard,
// and over a start folder on a mount that does not answer.
class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void onTheDesktop_data();
    void onTheDesktop();
    void cleanup() { QApplication::setStyle(u"Fusion"_s); }

private:
    void tabsAndFramesUnder(const QString& style, bool moves, bool dark);
    void readTheWindow(const QString& property);
    void startOnAHungMount(bool userMoves);
};

void DesktopTest::onTheDesktop_data() {
    if (QGuiApplication::platformName() != u"xcb"_s) {
        FILARION_QSKIP_WITHOUT_REAL_PATH("needs an X server");
    }
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("moves"); // style: its tab bar is taller than the layout's place; hung: the user moves
    QTest::addColumn<bool>("dark");
    QTest::newRow("style Fusion") << u"style"_s << u"Fusion"_s << false << false;
    QTest::newRow("style Windows") << u"style"_s << u"Windows"_s << false << false;
    QTest::newRow("style adwaita light") << u"style"_s << u"Adwaita"_s << true << false;
    QTest::newRow("style adwaita dark") << u"style"_s << u"Adwaita-Dark"_s << true << true;
    QTest::newRow("screen reader: a window") << u"role"_s << QString() << false << false;
    QTest::newRow("screen reader: the preview's table") << u"table"_s << QString() << false << false;
    QTest::newRow("keyboard: Tab follows the screen") << u"tab order"_s << QString() << false << false;
    QTest::newRow("hung start folder: it answers") << u"hung"_s << QString() << false << false;
    QTest::newRow("hung start folder: the user moves") << u"hung"_s << QString() << true << false;
}

void DesktopTest::onTheDesktop() {
    QFETCH(QString, check);
    QFETCH(QString, style);
    QFETCH(bool, moves);
    QFETCH(bool, dark);
    if (check == u"style"_s) {
        tabsAndFramesUnder(style, moves, dark);
    } else if (check == u"hung"_s) {
        startOnAHungMount(moves);
    } else {
        readTheWindow(check);
    }
}

// The tabs' captions stay whole above the frames. A style whose tab bar fits leaves every place as the layout
// has it; a taller one moves the frames down by what it needs and the window grows by as much. Rows that
// will not change keep a readable contrast in light and dark themes.
void DesktopTest::tabsAndFramesUnder(const QString& style, bool moves, bool dark) {
    QVERIFY2(QStyleFactory::keys().contains(style, Qt::CaseInsensitive), qPrintable(style + u" is not installed"_s));
    QApplication::setStyle(style);
    ListedVolumes volumes;
    volumes.list = {{u"/"_s, {}}};
    const auto window = openWindow(volumes);
    QVERIFY(window);
    const QTabBar* bar = control<QTabWidget>(*window, u"TabFunction"_s)->tabBar();
    const auto* frame = control<QGroupBox>(*window, u"frmRename"_s);
    const QRect frameRect = inWindow(*window, *frame, frame->rect());
    QCOMPARE(inWindow(*window, *control<QGroupBox>(*window, u"frmBill"_s), frame->rect()), frameRect);
    for (int tab = 0; tab < bar->count(); ++tab) {
        const QRect tabRect = inWindow(*window, *bar, bar->tabRect(tab));
        QRect caption = bar->fontMetrics().boundingRect(bar->tabText(tab));
        caption.moveCenter(tabRect.center());
        QVERIFY2(caption.bottom() < frameRect.top(), qPrintable(bar->tabText(tab)));
        QVERIFY(!moves || tabRect.bottom() < frameRect.top());
    }
    const int layoutTop = qRound(420 * window->logicalDpiY() / 1440.0);
    const int clientHeight = qRound(5010 * window->logicalDpiY() / 1440.0);
    QCOMPARE(frameRect.top() > layoutTop, moves);
    QCOMPARE(window->height() - clientHeight, frameRect.top() - layoutTop);
    const QWidget* button = control<QWidget>(*window, u"cmdTrim"_s);
    QVERIFY(frameRect.bottom() < button->y());
    QVERIFY(window->rect().contains(control<QWidget>(*window, u"proCourse"_s)->geometry()));

    const QColor base = window->palette().color(QPalette::Base);
    QCOMPARE(base.lightnessF() < 0.5, dark);
    QVERIFY(ui::contrastRatio(ui::quietTextColour(window->palette()), base) >= 4.5);
    QVERIFY(ui::quietTextColour(window->palette()) != window->palette().color(QPalette::Text));
}

void DesktopTest::readTheWindow(const QString& property) {
    const auto window = openWindow(ListedVolumes());
    QVERIFY(window);
    if (property == u"role"_s) {
        // AT-SPI calls this role "frame".
        QCOMPARE(QAccessible::queryAccessibleInterface(window.get())->role(), QAccessible::Window);
        QCOMPARE(QAccessible::queryAccessibleInterface(window.get())->text(QAccessible::Name), u"Filarion"_s);
    } else if (property == u"table"_s) {
        ui::PreviewDialog dialog(engine::RenamePreview{}, window.get());
        const auto* table = dialog.findChild<QTableView*>(u"tblPreview"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<QTableView*>(table))->text(QAccessible::Name),
                 u"改名预览"_s);
    } else {
        // Tab pressed through the X server visits the controls in reading order: each next one lies in a
        // column further right, or in the same column lower down, or in the same row further right.
        control<QWidget>(*window, u"driTrim"_s)->setFocus(Qt::OtherFocusReason);
        QList<const QWidget*> visited{QApplication::focusWidget()};
        while (visited.size() < 20 && focusedControl() != u"txtHelp"_s) {
            QCOMPARE(QProcess::execute(u"xdotool"_s, {u"key"_s, u"Tab"_s}), 0);
            QTRY_VERIFY(QApplication::focusWidget() != visited.back());
            visited.push_back(QApplication::focusWidget());
        }
        const auto columnOf = [](int x) { return x < 155 ? 0 : x < 328 ? 1 : 2; };
        for (qsizetype i = 1; i < visited.size(); ++i) {
            const QRect a = inWindow(*window, *visited.at(i - 1), visited.at(i - 1)->rect());
            const QRect b = inWindow(*window, *visited.at(i), visited.at(i)->rect());
            const bool sameRow = qAbs(b.center().y() - a.center().y()) < a.height() / 2;
            const bool inOrder =
                columnOf(a.x()) < columnOf(b.x()) ||
                (columnOf(a.x()) == columnOf(b.x()) && (sameRow ? b.x() > a.x() : b.center().y() > a.center().y()));
            QVERIFY2(inOrder, qPrintable(visited.at(i - 1)->objectName() + u" then "_s + visited.at(i)->objectName()));
        }
        QCOMPARE(focusedControl(), u"txtHelp"_s);
    }
}

// The folder given lies on a mount whose daemon is stopped: the window is drawn and answers the user at
// once, and its lists fill when the mount answers, unless the user has gone elsewhere meanwhile.
void DesktopTest::startOnAHungMount(bool userMoves) {
    const QString bindfs = QStandardPaths::findExecutable(u"bindfs"_s);
    if (bindfs.isEmpty() || !QFile::exists(u"/dev/fuse"_s)) {
        FILARION_QSKIP_WITHOUT_REAL_PATH("bindfs or /dev/fuse missing: no FUSE file system to hang");
    }
    const HungMount hung(bindfs);
    if (!hung.mounted()) {
        FILARION_QSKIP_WITHOUT_REAL_PATH("this machine does not let the test mount a FUSE file system");
    }
    QFile(hung.sourcePath() + u"/a.JPG"_s).open(QIODevice::WriteOnly);
    TempFolder elsewhere;
    elsewhere.touch(u"b.JPG"_s);
    const auto window = openWindowIn(elsewhere.path());
    QVERIFY(window);
    window->startIn(hung.mountPoint());
    QVERIFY(window->starting());
    auto* tabs = control<QTabWidget>(*window, u"TabFunction"_s);
    QVERIFY(clickThroughX(tabs->tabBar()->mapToGlobal(tabs->tabBar()->tabRect(1).center())));
    QTRY_COMPARE(tabs->currentIndex(), 1);
    QVERIFY(window->starting());
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    if (userMoves) {
        QVERIFY(folders->setPath(elsewhere.path()));
    }
    hung.resume();
    if (userMoves) {
        // The mount answers the window's reading now; its answer, come too late, changes nothing.
        QTRY_VERIFY(QDir(hung.mountPoint()).exists(u"a.JPG"_s));
        QTest::qWait(500);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!window->starting(), 30000);
    }
    QCOMPARE(folders->path(), userMoves ? elsewhere.path() : hung.mountPoint());
    QCOMPARE(listed(*window), QStringList{userMoves ? u"b.JPG"_s : u"a.JPG"_s});
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::DesktopTest)
#include "desktop_test.moc"
