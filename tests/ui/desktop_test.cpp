#include "support/file_systems.h"
#include "support/listed_volumes.h"
#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui/quiet_text.h"
#include "window_test_support.h"

#include <QApplication>
#include <QGroupBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

// Where CI asks that no real-path test be skipped, a missing X server or FUSE mount is a failure.
#define FILARION_QSKIP_WITHOUT_REAL_PATH(message)                                                                      \
    if (::filarion::test::realPathsRequired())                                                                         \
        QFAIL("FILARION_REQUIRE_REAL_PATHS=1, yet skipped: " message);                                                 \
    else                                                                                                               \
        QSKIP(message)

namespace filarion::test {

using namespace Qt::StringLiterals;

// The window on a real X server, as a desktop shows it: under each style, and over a start folder on a mount that
// does not answer. What a screen reader and the Tab key meet is read over AT-SPI (tests/desktop).
class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != u"xcb"_s) {
            FILARION_QSKIP_WITHOUT_REAL_PATH("needs an X server");
        }
    }
    void tabsAndFramesUnder_data();
    void tabsAndFramesUnder();
    void startOnAHungMount_data();
    void startOnAHungMount();
    void cleanup() { QApplication::setStyle(u"Fusion"_s); }
};

void DesktopTest::tabsAndFramesUnder_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("moves"); // its tab bar is taller than the layout's place
    QTest::addColumn<bool>("dark");
    QTest::newRow("Fusion") << u"Fusion"_s << false << false;
    QTest::newRow("Windows") << u"Windows"_s << false << false;
    QTest::newRow("adwaita light") << u"Adwaita"_s << true << false;
    QTest::newRow("adwaita dark") << u"Adwaita-Dark"_s << true << true;
}

// The tabs' captions stay whole above the frames. A style whose tab bar fits leaves every place as the layout
// has it; a taller one moves the frames down by what it needs and the window grows by as much. Rows that
// will not change keep a readable contrast in light and dark themes.
void DesktopTest::tabsAndFramesUnder() {
    QFETCH(QString, style);
    QFETCH(bool, moves);
    QFETCH(bool, dark);
    QVERIFY2(QStyleFactory::keys().contains(style, Qt::CaseInsensitive), qPrintable(style + u" is not installed"_s));
    QApplication::setStyle(style);
    ListedVolumes volumes;
    volumes.list = {{u"/"_s, {}}};
    const auto window = openWindow(volumes);
    QVERIFY(window);
    const auto inWindow = [&](const QWidget& widget, const QRect& rect) {
        return rect.translated(widget.mapTo(window.get(), QPoint(0, 0)));
    };
    const QTabBar* bar = control<QTabWidget>(*window, u"TabFunction"_s)->tabBar();
    const auto* frame = control<QGroupBox>(*window, u"frmRename"_s);
    const QRect frameRect = inWindow(*frame, frame->rect());
    QCOMPARE(inWindow(*control<QGroupBox>(*window, u"frmBill"_s), frame->rect()), frameRect);
    for (int tab = 0; tab < bar->count(); ++tab) {
        const QRect tabRect = inWindow(*bar, bar->tabRect(tab));
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

// The folder given lies on a mount whose daemon is stopped: the window is drawn and answers the user at
// once, and its lists fill when the mount answers, unless the user has gone elsewhere meanwhile.
void DesktopTest::startOnAHungMount_data() {
    QTest::addColumn<bool>("userMoves");
    QTest::newRow("it answers") << false;
    QTest::newRow("the user moves") << true;
}

void DesktopTest::startOnAHungMount() {
    QFETCH(bool, userMoves);
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
    // A click on the list tab through the X server, as the user's; the pointer comes from outside, so that the
    // window under it sees it enter, whatever an earlier window saw.
    auto* tabs = control<QTabWidget>(*window, u"TabFunction"_s);
    const QPoint tab = tabs->tabBar()->mapToGlobal(tabs->tabBar()->tabRect(1).center());
    QCOMPARE(QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"0"_s, u"0"_s, u"sleep"_s, u"0.2"_s, u"mousemove"_s,
                                              QString::number(tab.x()), QString::number(tab.y()), u"sleep"_s, u"0.2"_s,
                                              u"click"_s, u"1"_s}),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(tabs->currentIndex(), 1, kEventWait);
    QVERIFY(window->starting());
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    if (userMoves) {
        QVERIFY(folders->setPath(elsewhere.path()));
    }
    hung.resume();
    if (userMoves) {
        // The mount answers the window's reading now; its answer, come too late, changes nothing.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(hung.mountPoint()).exists(u"a.JPG"_s), kEventWait);
        QTest::qWait(500);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!window->starting(), kEventWait);
    }
    QCOMPARE(folders->path(), userMoves ? elsewhere.path() : hung.mountPoint());
    QCOMPARE(listed(*window), QStringList{userMoves ? u"b.JPG"_s : u"a.JPG"_s});
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::DesktopTest)
#include "desktop_test.moc"
