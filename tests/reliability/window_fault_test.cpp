// File system faults met through the real window: whatever fails, the window ends enabled, with the normal
// pointer and the bar at 0, and the user was told exactly what the command reports.

#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui/window_test_support.h"
#include "ui_core/volume_source.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

enum class Fault { LogIsAFolder, FileVanished, FolderVanished, ListNameIsAFolder };

// The log's lines after the header of its one run.
QByteArray logAfterHeader(const QByteArray& log) {
    const qsizetype headerEnd = log.indexOf("\r\n");
    return headerEnd < 0 ? QByteArray() : log.mid(headerEnd + 2);
}

} // namespace

class WindowFaultTest : public QObject {
    Q_OBJECT

private slots:
    void faultEndsWithTheWindowRestored_data();
    void faultEndsWithTheWindowRestored();
    void inputDuringACommandIsDiscarded_data();
    void inputDuringACommandIsDiscarded();
    void leavingThePatternBoxDoesNotReadTheFolderAgain();
};

void WindowFaultTest::faultEndsWithTheWindowRestored_data() {
    QTest::addColumn<int>("faultValue");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("message");    // empty: none
    QTest::addColumn<bool>("toldWhileBusy"); // the message comes while the window is disabled
    QTest::addColumn<QStringList>("listedAfter");
    QTest::addColumn<QStringList>("logLines"); // after the header; empty: no log

    const QString logMessage = u"无法写入日记文件QuillmarkLog.txt，未执行改名！"_s;
    const QString listMessage = u"清单文件写入失败！"_s;
    QTest::newRow("rename: log is a folder")
        << int(Fault::LogIsAFolder) << 0 << logMessage << true << QStringList{u"a.JPG"_s, u"b.JPG"_s} << QStringList{};
    QTest::newRow("rename: file vanished after listing")
        << int(Fault::FileVanished) << 0 << QString() << false << QStringList{u"zet1.JPG"_s}
        << QStringList{u"a.JPG改名为zet0.JPG，因出错未执行！"_s, u"b.JPG改名为zet1.JPG！"_s};
    QTest::newRow("rename: folder vanished after listing")
        << int(Fault::FolderVanished) << 0 << logMessage << true << QStringList{} << QStringList{};
    QTest::newRow("list: folder vanished after listing")
        << int(Fault::FolderVanished) << 1 << listMessage << false << QStringList{} << QStringList{};
    QTest::newRow("list: list name is a folder") << int(Fault::ListNameIsAFolder) << 1 << listMessage << false
                                                 << QStringList{u"a.JPG"_s, u"b.JPG"_s} << QStringList{};
}

void WindowFaultTest::faultEndsWithTheWindowRestored() {
    QFETCH(int, faultValue);
    const auto fault = static_cast<Fault>(faultValue);
    QFETCH(int, tab);
    QFETCH(QString, message);
    QFETCH(bool, toldWhileBusy);
    QFETCH(QStringList, listedAfter);
    QFETCH(QStringList, logLines);

    TempFolder parent;
    parent.makeFolder(u"work"_s);
    const QString work = parent.filePath(u"work"_s);
    parent.touch(u"work/a.JPG"_s);
    parent.touch(u"work/b.JPG"_s);
    if (fault == Fault::LogIsAFolder) {
        parent.makeFolder(u"work/QuillmarkLog.txt"_s);
    }
    if (fault == Fault::ListNameIsAFolder) {
        parent.makeFolder(u"work/清单.txt"_s);
    }

    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QVERIFY(control<ui::FolderList>(*window, u"dirTrim"_s)->setPath(work));
    QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.JPG"_s}));
    if (tab == 0) {
        clickOn(control<QLineEdit>(*window, u"txtPrefix"_s));
        QTest::keyClicks(control<QLineEdit>(*window, u"txtPrefix"_s), u"zet"_s);
    } else {
        control<QTabWidget>(*window, u"TabFunction"_s)->setCurrentIndex(1);
        typeText(control<QLineEdit>(*window, u"txtName"_s), u"清单"_s);
    }

    // The fault strikes after the file list was read: the working set still names what is gone.
    if (fault == Fault::FileVanished) {
        QVERIFY(QFile::remove(parent.filePath(u"work/a.JPG"_s)));
    }
    if (fault == Fault::FolderVanished) {
        QVERIFY(QDir(work).removeRecursively());
    }

    BoxAnswerer boxes(window.get());
    clickOn(control<QPushButton>(*window, u"cmdTrim"_s));

    QCOMPARE(boxes.seen.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        const SeenBox& box = boxes.seen.first();
        QCOMPARE(box.text, message);
        QCOMPARE(box.title, u"Filarion"_s);
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.windowEnabled, !toldWhileBusy);
    }
    QVERIFY(window->isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(control<QProgressBar>(*window, u"proCourse"_s)->value(), 0);
    QCOMPARE(listed(*window), listedAfter);

    const QString log = parent.filePath(u"work/QuillmarkLog.txt"_s);
    if (logLines.isEmpty()) {
        QVERIFY(!QFileInfo(log).isFile());
    } else {
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(logAfterHeader(file.readAll()), gbkLines(logLines));
    }
    if (fault == Fault::LogIsAFolder || fault == Fault::ListNameIsAFolder) {
        QCOMPARE(QDir(work).entryList(QDir::Files, QDir::Name), (QStringList{u"a.JPG"_s, u"b.JPG"_s}));
    }
}

void WindowFaultTest::inputDuringACommandIsDiscarded_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("accessKey"); // 0: a click on the command button
    QTest::newRow("rename, click") << 0 << 0;
    QTest::newRow("rename, Alt+N") << 0 << int(Qt::Key_N);
    QTest::newRow("list, click") << 1 << 0;
    QTest::newRow("list, Alt+C") << 1 << int(Qt::Key_C);
}

// A click on the command button or its access key while a command holds the window is still queued when
// the command ends. It is dropped: no second run follows.
void WindowFaultTest::inputDuringACommandIsDiscarded() {
    QFETCH(int, tab);
    QFETCH(int, accessKey);
    TempFolder folder;
    for (const QString& name : {u"cad1.JPG"_s, u"cad2.JPG"_s, u"cad3.JPG"_s}) {
        folder.touch(name);
    }
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    if (tab == 0) {
        clickOn(control<QLineEdit>(*window, u"txtReplaceS"_s));
        QTest::keyClicks(control<QLineEdit>(*window, u"txtReplaceS"_s), u"cad"_s);
        QTest::keyClicks(control<QLineEdit>(*window, u"txtReplaceT"_s), u"zet"_s);
    } else {
        control<QTabWidget>(*window, u"TabFunction"_s)->setCurrentIndex(1);
        typeText(control<QLineEdit>(*window, u"txtName"_s), u"清单"_s);
    }
    auto* command = control<QPushButton>(*window, u"cmdTrim"_s);
    // The input arrives while the command works through its files, when no event loop runs.
    bool queued = false;
    bool delivered = false;
    QObject::connect(control<QProgressBar>(*window, u"proCourse"_s), &QProgressBar::valueChanged, window.get(),
                     [&](int value) {
                         if (value == 0 || queued) {
                             return;
                         }
                         queued = true;
                         QMetaObject::invokeMethod(
                             window.get(),
                             [&] {
                                 if (accessKey == 0) {
                                     clickOn(command);
                                 } else {
                                     QTest::keyClick(window.get(), Qt::Key(accessKey), Qt::AltModifier);
                                 }
                                 delivered = true;
                             },
                             Qt::QueuedConnection);
                     });
    BoxAnswerer boxes(window.get());
    clickOn(command);
    // An access key clicks its button after a short animation: the button is down until then.
    QTRY_VERIFY_WITH_TIMEOUT(delivered && !command->isDown(), kEventWait);

    QVERIFY(queued);
    QVERIFY(boxes.seen.isEmpty()); // a second list export would have asked about the list it wrote
    QVERIFY(window->isEnabled());
    if (tab == 0) {
        const QByteArray log = folder.read(u"QuillmarkLog.txt"_s);
        QCOMPARE(log.count(" Quill Mark Log:"), 1);
        QCOMPARE(listed(*window), (QStringList{u"zet1.JPG"_s, u"zet2.JPG"_s, u"zet3.JPG"_s}));
    } else {
        QVERIFY(folder.exists(u"清单.txt"_s));
    }
}

// What the pattern box shows was read when it was typed. Leaving the box, by a click elsewhere or Enter,
// reads nothing: a file made meanwhile stays out of the working set. Choosing the entry from the open list
// reads the folder again.
void WindowFaultTest::leavingThePatternBoxDoesNotReadTheFolderAgain() {
    TempFolder folder;
    folder.touch(u"a.txt"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    auto* box = control<QComboBox>(*window, u"comPostfix"_s);
    clickOn(box->lineEdit());
    box->lineEdit()->selectAll();
    typeText(box->lineEdit(), u"*.txt"_s);
    QCOMPARE(listed(*window), QStringList{u"a.txt"_s});

    folder.touch(u"b.txt"_s);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    clickOn(control<QLineEdit>(*window, u"txtReplaceS"_s));
    QTest::qWait(20);
    QCOMPARE(window->workingSet().names(), QStringList{u"a.txt"_s});
    QCOMPARE(listed(*window), QStringList{u"a.txt"_s});

    box->showPopup();
    QTRY_VERIFY_WITH_TIMEOUT(box->view()->isVisible(), kEventWait);
    box->view()->setCurrentIndex(box->model()->index(box->findText(u"*.txt"_s), 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(listed(*window), (QStringList{u"a.txt"_s, u"b.txt"_s}), kEventWait);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowFaultTest)
#include "window_fault_test.moc"
