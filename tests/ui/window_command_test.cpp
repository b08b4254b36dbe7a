#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui/window_services.h"
#include "window_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

void verifyMessage(const SeenBox& box, const QString& text) {
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, u"Filarion"_s);
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box.boxEnabled);
}

} // namespace

class WindowCommandTest : public QObject {
    Q_OBJECT

private slots:
    void emptyWorkingSetIsReportedOnBothTabs_data();
    void emptyWorkingSetIsReportedOnBothTabs();
    void renameRunsThroughWindow();
    void listExportAsksBeforeOverwriting();
    void busyStateDisablesWindowAndRestoresIt();
};

void WindowCommandTest::emptyWorkingSetIsReportedOnBothTabs_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("accessKey");
    QTest::newRow("rename tab, clicked") << 0 << 0;
    QTest::newRow("rename tab, Alt+N") << 0 << int(Qt::Key_N);
    QTest::newRow("list tab, clicked") << 1 << 0;
    QTest::newRow("list tab, Alt+C") << 1 << int(Qt::Key_C);
}

void WindowCommandTest::emptyWorkingSetIsReportedOnBothTabs() {
    QFETCH(int, tab);
    QFETCH(int, accessKey);
    TempFolder folder;
    folder.touch(u"a.txt"_s);
    folder.makeFolder(u"sub.JPG"_s);
    folder.touch(u".hidden.JPG"_s);
    const QStringList before = folder.entries();
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    control<QTabWidget>(*window, u"TabFunction"_s)->setCurrentIndex(tab);
    // Inputs that would pass every check of either command.
    control<QLineEdit>(*window, u"txtReplaceS"_s)->setText(u"a"_s);
    control<QLineEdit>(*window, u"txtName"_s)->setText(u"清单"_s);

    BoxAnswerer boxes(window.get());
    if (accessKey == 0) {
        clickOn(control<QPushButton>(*window, u"cmdTrim"_s));
    } else {
        QTest::keyClick(window.get(), Qt::Key(accessKey), Qt::AltModifier);
    }
    // An access key presses the button the way a click does, which takes a moment to show.
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 1, kEventWait);
    verifyMessage(boxes.seen.first(), u"文件夹内没有可执行文件！"_s);
    QVERIFY(boxes.seen.first().windowEnabled); // no command started
    QCOMPARE(folder.entries(), before);
    verifyIdle(*window);
}

void WindowCommandTest::renameRunsThroughWindow() {
    TempFolder folder;
    for (const QString& name : {u"autocad.JPG"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s, u"notes.txt"_s}) {
        folder.touch(name);
    }
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    BoxAnswerer boxes(window.get());
    auto* command = control<QPushButton>(*window, u"cmdTrim"_s);

    // The request is taken from the fields: nothing to replace yet.
    clickOn(command);
    QCOMPARE(boxes.seen.size(), 1);
    verifyMessage(boxes.seen.at(0), u"没有输入替换内容！"_s);
    QVERIFY(!folder.exists(u"QuillmarkLog.txt"_s));

    // A prefix typed earlier belongs to another method and does not take part.
    clickOn(control<QLineEdit>(*window, u"txtPrefix"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtPrefix"_s), u"zet"_s);
    clickOn(control<QLineEdit>(*window, u"txtReplaceS"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtReplaceS"_s), u"CAD"_s);
    QVERIFY(control<QRadioButton>(*window, u"optReplace"_s)->isChecked());
    boxes.answer(QMessageBox::Ok);
    // Closing the window while the run holds it is refused.
    boxes.whileOpen = [&] { window->close(); };
    clickOn(command);
    QVERIFY(window->isVisible());

    QCOMPARE(boxes.seen.size(), 2);
    verifyMessage(boxes.seen.at(1), u"Imagecad.JPG改名后与Image.JPG同名,故保留原名!"_s);
    QVERIFY(!boxes.seen.at(1).windowEnabled);
    QCOMPARE(folder.entries(),
             (QStringList{u"Image.JPG"_s, u"Imagecad.JPG"_s, u"QuillmarkLog.txt"_s, u"auto.JPG"_s, u"notes.txt"_s}));
    const QByteArray log = folder.read(u"QuillmarkLog.txt"_s);
    const qsizetype headerEnd = log.indexOf("\r\n");
    QVERIFY(headerEnd > 0);
    QVERIFY(log.left(headerEnd).endsWith(" Quill Mark Log:"));
    QCOMPARE(log.mid(headerEnd + 2),
             gbkLines({u"autocad.JPG改名为auto.JPG！"_s, u"Imagecad.JPG改名为Image.JPG，因重名未执行！"_s}));
    // The file list shows the folder as it is now; the inputs stay.
    QCOMPARE(listed(*window), (QStringList{u"auto.JPG"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s}));
    QCOMPARE(control<QLineEdit>(*window, u"txtReplaceS"_s)->text(), u"CAD"_s);
    QCOMPARE(control<QPushButton>(*window, u"cmdTrim"_s)->text(), u"确认改名&N"_s);
    verifyIdle(*window);
}

void WindowCommandTest::listExportAsksBeforeOverwriting() {
    TempFolder folder;
    for (const QString& name : {u"photo.b.JPG"_s, u"Photo.a.JPG"_s, u"other.txt"_s}) {
        folder.touch(name);
    }
    folder.write(u"清单.txt"_s, "old");
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    control<QTabWidget>(*window, u"TabFunction"_s)->setCurrentIndex(1);
    typeText(control<QLineEdit>(*window, u"txtName"_s), u"清单"_s);
    clickOn(control<QRadioButton>(*window, u"optNo"_s));
    BoxAnswerer boxes(window.get());

    boxes.answer(QMessageBox::NoButton); // Enter: the default answer
    clickOn(control<QPushButton>(*window, u"cmdTrim"_s));
    QCOMPARE(boxes.seen.size(), 1);
    const SeenBox& question = boxes.seen.at(0);
    QCOMPARE(question.text, u"清单.txt 已存在，是否覆盖？"_s);
    QCOMPARE(question.title, u"Filarion"_s);
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(folder.read(u"清单.txt"_s), QByteArray("old"));
    verifyIdle(*window);

    boxes.answer(QMessageBox::Yes);
    clickOn(control<QPushButton>(*window, u"cmdTrim"_s));
    QCOMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen.at(1).text, u"清单.txt 已存在，是否覆盖？"_s);
    QCOMPARE(folder.read(u"清单.txt"_s),
             gbkLines({folder.path() + u"/*.JPG文件清单："_s, u"1.Photo.a"_s, u"2.photo.b"_s}));
    QCOMPARE(listed(*window), (QStringList{u"Photo.a.JPG"_s, u"photo.b.JPG"_s}));
    QCOMPARE(control<QPushButton>(*window, u"cmdTrim"_s)->text(), u"生成清单&C"_s);
    verifyIdle(*window);
}

void WindowCommandTest::busyStateDisablesWindowAndRestoresIt() {
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* bar = new QProgressBar(&window);
    int refreshes = 0;
    ui::WindowServices services(window, *bar, [&] { ++refreshes; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    bar->setValue(55);

    services.enterBusy();
    QVERIFY(!window.isEnabled());
    QVERIFY(QGuiApplication::overrideCursor() != nullptr);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(bar->value(), 0);
    services.setProgress(40);
    QCOMPARE(bar->value(), 40);

    // A message while busy can still be answered: the box is not disabled with the window.
    BoxAnswerer boxes(&window);
    services.showMessage(u"文件夹内没有可执行文件！"_s);
    QCOMPARE(boxes.seen.size(), 1);
    verifyMessage(boxes.seen.first(), u"文件夹内没有可执行文件！"_s);
    QVERIFY(!boxes.seen.first().windowEnabled);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

    services.refreshFileList();
    QCOMPARE(refreshes, 1);
    services.leaveBusy();
    QVERIFY(window.isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(window.focusWidget(), field);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowCommandTest)
#include "window_command_test.moc"
