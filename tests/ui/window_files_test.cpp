#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "window_test_support.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

QModelIndex folderRow(const ui::FolderList& list, const QString& text) {
    const QModelIndexList found =
        list.model()->match(list.model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex() : found.first();
}

} // namespace

// The window's folders and files: the pattern, the file list, the folder list and the drive list as a user
// works them, with the keyboard and the mouse, and through a real X server.
class WindowFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void patternEditRereadsOncePerKeystroke();
    void patternChosenFromListRereadsOnce();
    void fileListClickRereadsFolder();
    void folderListOpensOnDoubleClickAndEnter();
    void listModelsKeepTheirContractsAndHoldNoObjectPerFile();
    void unreadableDriveFallsBackSilently();
    void exitButtonClosesWindow();
    void inputThroughTheXServer_data();
    void inputThroughTheXServer();

private:
    QString m_startFolder;
};

void WindowFilesTest::patternEditRereadsOncePerKeystroke() {
    TempFolder folder;
    for (const QString& name : {u"a.t"_s, u"a.txt"_s, u"b.tx"_s, u"c.JPG"_s, u"d"_s}) {
        folder.touch(name);
    }
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    QCOMPARE(listed(*window), QStringList{u"c.JPG"_s});

    QLineEdit* edit = control<QComboBox>(*window, u"comPostfix"_s)->lineEdit();
    QSignalSpy rereads(control<QListView>(*window, u"filTrim"_s)->model(), &QAbstractItemModel::modelReset);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    const QList<std::pair<QChar, QStringList>> keystrokes = {
        {u'*', {u"a.t"_s, u"a.txt"_s, u"b.tx"_s, u"c.JPG"_s, u"d"_s}},
        {u'.', {}},
        {u't', {u"a.t"_s}},
        {u'x', {u"b.tx"_s}},
        {u't', {u"a.txt"_s}},
    };
    int typed = 0;
    for (const auto& [key, names] : keystrokes) {
        QTest::keyClicks(edit, QString(key));
        ++typed;
        QCOMPARE(rereads.count(), typed);
        QCOMPARE(listed(*window), names);
    }
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(rereads.count(), typed + 1);
    QCOMPARE(listed(*window), QStringList{u"b.tx"_s});
    QCOMPARE(window->workingSet().patternText(), u"*.tx"_s);
    // Enter neither adds the typed pattern to the list nor reads the folder again.
    auto* pattern = control<QComboBox>(*window, u"comPostfix"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(pattern->count(), 5);
    QCOMPARE(pattern->findText(u"*.tx"_s), -1);
    QCOMPARE(rereads.count(), typed + 1);
}

void WindowFilesTest::patternChosenFromListRereadsOnce() {
    TempFolder folder;
    for (const QString& name : {u"a.doc"_s, u"b.DOC"_s, u"c.JPG"_s}) {
        folder.touch(name);
    }
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    auto* pattern = control<QComboBox>(*window, u"comPostfix"_s);
    QSignalSpy rereads(control<QListView>(*window, u"filTrim"_s)->model(), &QAbstractItemModel::modelReset);
    pattern->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pattern, Qt::Key_Down); // "*.JPG" to the next entry, "*.doc"
    QCOMPARE(pattern->currentText(), u"*.doc"_s);
    QCOMPARE(rereads.count(), 1);
    QCOMPARE(listed(*window), (QStringList{u"a.doc"_s, u"b.DOC"_s}));
    QTest::keyClick(pattern, Qt::Key_Down);
    QCOMPARE(rereads.count(), 2);
    QCOMPARE(window->workingSet().patternText(), u"*.BMP"_s);
    QCOMPARE(listed(*window), QStringList());
}

void WindowFilesTest::fileListClickRereadsFolder() {
    TempFolder folder;
    folder.touch(u"b.JPG"_s);
    folder.touch(u"d.JPG"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    folder.touch(u"a.JPG"_s);
    QCOMPARE(listed(*window), (QStringList{u"b.JPG"_s, u"d.JPG"_s})); // a snapshot until the click

    auto* files = control<QListView>(*window, u"filTrim"_s);
    const QRect second = files->visualRect(files->model()->index(1, 0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.JPG"_s, u"d.JPG"_s}));
    QCOMPARE(files->currentIndex().data().toString(), u"d.JPG"_s);
    QCOMPARE(files->selectionModel()->selectedIndexes().size(), 1);
}

void WindowFilesTest::folderListOpensOnDoubleClickAndEnter() {
    TempFolder folder;
    folder.makeFolder(u"sub"_s);
    folder.makeFolder(u"Alpha"_s);
    folder.makeFolder(u".hidden"_s);
    folder.touch(u"top.JPG"_s);
    folder.touch(u"sub/inner.JPG"_s);
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    QVERIFY(folders->setPath(folder.path()));
    QCOMPARE(listed(*window), QStringList{u"top.JPG"_s});
    QVERIFY(!folderRow(*folders, u".hidden"_s).isValid());
    const QModelIndex alpha = folderRow(*folders, u"Alpha"_s);
    const QModelIndex sub = folderRow(*folders, u"sub"_s);
    QVERIFY(alpha.isValid() && sub.isValid());
    QCOMPARE(sub.row(), alpha.row() + 1); // letter case ignored

    folders->scrollTo(sub);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, folders->visualRect(sub).center());
    QCOMPARE(folders->currentIndex(), sub);
    QCOMPARE(folders->path(), folder.path());
    QCOMPARE(listed(*window), QStringList{u"top.JPG"_s});

    QSignalSpy changes(folders, &ui::FolderList::pathChanged);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, folders->visualRect(sub).center());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(folders->path(), folder.filePath(u"sub"_s));
    QCOMPARE(window->workingSet().folder(), folder.filePath(u"sub"_s));
    QCOMPARE(listed(*window), QStringList{u"inner.JPG"_s});

    // The parent is the row above the opened folder; Enter opens it.
    folders->setFocus(Qt::TabFocusReason);
    folders->setCurrentIndex(folders->model()->index(folders->currentIndex().row() - 1, 0));
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(folders->path(), folder.path());
    QCOMPARE(listed(*window), QStringList{u"top.JPG"_s});
}

void WindowFilesTest::listModelsKeepTheirContractsAndHoldNoObjectPerFile() {
    TempFolder folder;
    folder.makeFolder(u"sub"_s);
    folder.makeFolder(u"Alpha"_s);
    folder.touch(u"top.JPG"_s);
    folder.touch(u"sub/inner.JPG"_s);
    folder.makeFolder(u"many"_s);
    // The many files are hard links, to the listing the same regular files as any, and made many times
    // faster. A file system limits the links of one file (ext4: 65,000), so each seed takes 50,000.
    constexpr int kMany = 100'000;
    {
        const QByteArray many = QFile::encodeName(folder.filePath(u"many"_s));
        const int dir = ::open(many.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(dir >= 0);
        for (int i = 0; i < kMany; ++i) {
            const QByteArray seed = "seed" + QByteArray::number(i / 50'000) + ".txt";
            if (i % 50'000 == 0) {
                const int file = ::openat(dir, seed.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
                QVERIFY(file >= 0);
                ::close(file);
            }
            const QByteArray name = QByteArray::number(i).rightJustified(6, '0') + ".JPG";
            QVERIFY2(::linkat(dir, seed.constData(), dir, name.constData(), 0) == 0, name.constData());
        }
        ::close(dir);
    }
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    auto* files = control<QListView>(*window, u"filTrim"_s);
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    // Both check every change of their model from here on and fail the test at the first broken rule.
    const QAbstractItemModelTester fileRules(files->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QAbstractItemModelTester folderRules(folders->model(),
                                               QAbstractItemModelTester::FailureReportingMode::QtTest);

    QVERIFY(folders->setPath(folder.path()));
    QCOMPARE(listed(*window), QStringList{u"top.JPG"_s});
    const QModelIndex sub = folderRow(*folders, u"sub"_s);
    QVERIFY(sub.isValid());
    folders->scrollTo(sub);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, folders->visualRect(sub).center());
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, folders->visualRect(sub).center());
    QCOMPARE(listed(*window), QStringList{u"inner.JPG"_s});
    QTest::keyClicks(control<QComboBox>(*window, u"comPostfix"_s)->lineEdit(), u"x"_s);
    QCOMPARE(listed(*window), QStringList());
    control<QComboBox>(*window, u"comPostfix"_s)->lineEdit()->clear();
    QTest::keyClicks(control<QComboBox>(*window, u"comPostfix"_s)->lineEdit(), u"*.JPG"_s);
    QVERIFY(folders->setPath(folder.path()));
    QCOMPARE(listed(*window), QStringList{u"top.JPG"_s});

    // A folder of 100,000 matching files adds no object to the window, nor a widget to the list: the rows
    // are served from the working set as the view asks for them.
    files->grab();
    const auto objects = [&] {
        return window->findChildren<QObject*>().size() + files->model()->findChildren<QObject*>().size() +
               folders->model()->findChildren<QObject*>().size();
    };
    const qsizetype objectsBefore = objects();
    const qsizetype widgets = QApplication::allWidgets().size();
    QVERIFY(folders->setPath(folder.filePath(u"many"_s)));
    QCOMPARE(files->model()->rowCount(), kMany);
    QCOMPARE(files->model()->index(0, 0).data().toString(), u"000000.JPG"_s);
    QCOMPARE(files->model()->index(kMany - 1, 0).data().toString(), u"099999.JPG"_s);
    QCOMPARE(window->workingSet().count(), kMany);
    files->scrollToBottom();
    files->grab();
    QVERIFY(files->viewport()->rect().contains(files->visualRect(files->model()->index(kMany - 1, 0))));
    QVERIFY(files->indexAt(QPoint(2, 2)).row() > kMany - 100);
    QCOMPARE(objects(), objectsBefore);
    QCOMPARE(QApplication::allWidgets().size(), widgets);

    // One name at a time can be selected.
    const auto clickRow = [&](int row, Qt::KeyboardModifiers keys) {
        const QModelIndex index = files->model()->index(row, 0);
        files->scrollTo(index);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, keys, files->visualRect(index).center());
    };
    clickRow(kMany - 3, Qt::NoModifier);
    clickRow(kMany - 2, Qt::ControlModifier);
    clickRow(kMany - 1, Qt::ShiftModifier);
    QCOMPARE(files->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(files->currentIndex().data().toString(), u"099999.JPG"_s);
}

void WindowFilesTest::unreadableDriveFallsBackSilently() {
    TempFolder root;
    root.makeFolder(u"work"_s);
    root.makeFolder(u"usb/photos"_s);
    root.touch(u"usb/photos/p.JPG"_s);
    root.touch(u"usb/u.JPG"_s);
    QVERIFY(QDir::setCurrent(root.filePath(u"work"_s)));
    ListedVolumes volumes;
    volumes.list = {{u"/"_s, {}}, {root.filePath(u"dvd"_s), u"DVD"_s}, {root.filePath(u"usb"_s), u"USB"_s}};
    volumes.unreadable = {root.filePath(u"dvd"_s)};
    const auto window = openWindow(volumes);
    QVERIFY(window);
    BoxAnswerer boxes(window.get());
    auto* drives = control<QComboBox>(*window, u"driTrim"_s);
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    QCOMPARE(drives->currentData().toString(), u"/"_s);
    QCOMPARE(folders->path(), root.filePath(u"work"_s));

    drives->setCurrentIndex(drives->findData(root.filePath(u"usb"_s)));
    QCOMPARE(folders->path(), root.filePath(u"usb"_s));
    QCOMPARE(listed(*window), QStringList{u"u.JPG"_s});
    QVERIFY(folders->setPath(root.filePath(u"usb/photos"_s)));
    QCOMPARE(listed(*window), QStringList{u"p.JPG"_s});

    // The drive without a medium: the drive list goes back to the shown folder's drive, and the folder
    // list to that drive's current folder.
    drives->setCurrentIndex(drives->findData(root.filePath(u"dvd"_s)));
    QCOMPARE(drives->currentData().toString(), root.filePath(u"usb"_s));
    QCOMPARE(folders->path(), root.filePath(u"usb"_s));
    QCOMPARE(listed(*window), QStringList{u"u.JPG"_s});

    drives->setCurrentIndex(drives->findData(u"/"_s));
    QCOMPARE(folders->path(), root.filePath(u"work"_s));
    drives->setCurrentIndex(drives->findData(root.filePath(u"dvd"_s)));
    QCOMPARE(drives->currentData().toString(), u"/"_s);
    QCOMPARE(folders->path(), root.filePath(u"work"_s));

    QCoreApplication::processEvents();
    QCOMPARE(boxes.seen.size(), 0);
}

void WindowFilesTest::exitButtonClosesWindow() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), kEventWait);
}

void WindowFilesTest::inputThroughTheXServer_data() {
    if (QGuiApplication::platformName() != u"xcb"_s) {
        QSKIP("needs an X server");
    }
    // "@control" clicks it ("@filTrim 3": with the right button), "@entry" the open list's "*.txt"; else xdotool.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("reread"); // b.txt, made after "*.txt" was typed, is in the working set
    QTest::addColumn<int>("menus");   // the most context menus open at once
    QTest::newRow("box left by a click") << QStringList{u"@txtPrefix"_s} << false << 0;
    QTest::newRow("box left by Enter, Tab") << QStringList{u"key Return Tab"_s} << false << 0;
    QTest::newRow("list opened, closed") << QStringList{u"key F4 Escape"_s, u"@txtPrefix"_s} << false << 0;
    QTest::newRow("entry chosen by keys") << QStringList{u"key F4 Home Return"_s} << true << 0;
    QTest::newRow("entry clicked") << QStringList{u"key F4"_s, u"@entry"_s} << true << 0;
    QTest::newRow("right click") << QStringList{u"@filTrim 3"_s} << false << 1;
    QTest::newRow("Menu key") << QStringList{u"@filTrim"_s, u"key Menu"_s} << true << 1;
    QTest::newRow("Shift+F10") << QStringList{u"@filTrim"_s, u"key shift+F10"_s} << true << 1;
}

// On a real X server (the test window_x11_tests), input through it by xdotool: focus, popups and keys take Qt's
// own way.
void WindowFilesTest::inputThroughTheXServer() {
    QFETCH(QStringList, steps);
    TempFolder folder;
    folder.touch(u"a.txt"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    const QAbstractItemView* list = control<QComboBox>(*window, u"comPostfix"_s)->view();
    int most = 0;
    int ticks = 0;
    QTimer watch; // counts the menus open at once, and closes them after a moment
    connect(&watch, &QTimer::timeout, this, [&] {
        QList<QWidget*> open = QApplication::topLevelWidgets();
        open.removeIf([](const QWidget* w) { return qobject_cast<const QMenu*>(w) == nullptr || !w->isVisible(); });
        most = std::max(most, int(open.size()));
        if (!open.isEmpty() && ++ticks % 20 == 0) {
            std::for_each(open.begin(), open.end(), [](QWidget* menu) { menu->close(); });
        }
    });
    watch.start(20);
    for (const QString& step : QStringList{u"@comPostfix"_s, u"key ctrl+a"_s, u"type *.txt"_s, u"+"_s} + steps) {
        QStringList command = step.split(u' ');
        if (step == u"+"_s) {
            folder.touch(u"b.txt"_s); // by another program
            continue;
        } else if (step.startsWith(u'@')) {
            const QString name = command.first().mid(1);
            const QPoint at = name == u"entry"_s
                                  ? list->viewport()->mapToGlobal(list->visualRect(list->model()->index(0, 0)).center())
                                  : control<QWidget>(*window, name)->mapToGlobal(QPoint(10, 5));
            command = {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
                       command.value(1, u"1"_s)};
        }
        QCOMPARE(QProcess::execute(u"xdotool"_s, command), 0);
        // Whatever the X server made of the input has reached the window, however busy the machine; then what
        // it opens (a list, a menu) has a moment to come up.
        QGuiApplication::sync();
        QTest::qWait(100);
    }
    QTEST(window->workingSet().names().contains(u"b.txt"_s), "reread");
    QTEST(most, "menus");
}
} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowFilesTest)
#include "window_files_test.moc"
