#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "window_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <tuple>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

const QStringList kRenameFields = {u"txtReplaceS"_s, u"txtReplaceT"_s, u"txtPrefix"_s,
                                   u"txtFill"_s,     u"txtInsert"_s,   u"txtPosition"_s};

// Every control of the window, the frames' contents included.
const QStringList kControls = {
    u"driTrim"_s,   u"dirTrim"_s,   u"filTrim"_s, u"comPostfix"_s, u"TabFunction"_s, u"frmRename"_s,   u"frmBill"_s,
    u"cmdTrim"_s,   u"cmdExit"_s,   u"txtHelp"_s, u"proCourse"_s,  u"optReplace"_s,  u"txtReplaceS"_s, u"txtReplaceT"_s,
    u"optPrefix"_s, u"txtPrefix"_s, u"optFill"_s, u"txtFill"_s,    u"optInsert"_s,   u"lblPosition"_s, u"txtPosition"_s,
    u"lblInsert"_s, u"txtInsert"_s, u"labName"_s, u"txtName"_s,    u"optPostfix"_s,  u"optNo"_s,
};

// The part of its container that a control shows itself in. A label's box may reach under its neighbour as
// long as its caption does not.
QRect shownRect(const QWidget& widget) {
    const auto* label = qobject_cast<const QLabel*>(&widget);
    if (label == nullptr) {
        return widget.geometry();
    }
    const QRect ink = label->fontMetrics().boundingRect(label->text());
    return {widget.x() + std::max(0, ink.x()), widget.y(), ink.width(), widget.height()};
}

// A row of controls as a reader sees it, from left to right: a label by its caption, a text box as
// "[its name]", one blank between them. Says so instead when two of them overlap or do not share a line.
QString readRow(const QWidget& window, const QStringList& names) {
    QList<const QWidget*> row;
    for (const QString& name : names) {
        row.push_back(control<QWidget>(window, name));
    }
    std::sort(row.begin(), row.end(), [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    QStringList words;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QRect here = shownRect(*row.at(i));
        if (i > 0) {
            const QRect before = shownRect(*row.at(i - 1));
            if (before.right() >= here.left()) {
                return row.at(i - 1)->objectName() + u" overlaps "_s + row.at(i)->objectName();
            }
            if (here.center().y() < before.top() || here.center().y() > before.bottom()) {
                return row.at(i)->objectName() + u" is off the line of "_s + row.at(i - 1)->objectName();
            }
        }
        const auto* label = qobject_cast<const QLabel*>(row.at(i));
        words.push_back(label != nullptr ? label->text() : u'[' + row.at(i)->objectName() + u']');
    }
    return words.join(u' ');
}

} // namespace

// The window's look and its start-up: what it shows and where.
class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void startUpShowsRenameTabWithReplaceMethodAndJpgPattern();
    void windowKeepsItsSize();
    void controlsLieInReadingOrderWithoutOverlap();
    void helpTextIsCompleteAndReadOnly();
    void startUpOpensProgramDrivesCurrentFolder();
    void tabSwitchShowsOneFrameAndKeepsInputs();

private:
    QString m_startFolder;
};

void WindowTest::startUpShowsRenameTabWithReplaceMethodAndJpgPattern() {
    // The working folder lies on the program's own drive, so start-up stays in it.
    QTemporaryDir folder(QCoreApplication::applicationDirPath() + u"/start-XXXXXX"_s);
    QVERIFY(folder.isValid());
    for (const QString& name : {u"b.jpg"_s, u"a.JPG"_s, u"c.txt"_s, u"D.JPG"_s, u"e.JPG.bak"_s}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir::setCurrent(folder.path()));
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);

    QCOMPARE(window->windowTitle(), u"Filarion"_s);
    QCOMPARE(control<QTabWidget>(*window, u"TabFunction"_s)->currentIndex(), 0);
    QVERIFY(control<QGroupBox>(*window, u"frmRename"_s)->isVisible());
    QVERIFY(!control<QGroupBox>(*window, u"frmBill"_s)->isVisible());
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), u"optReplace"_s);
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmBill"_s)), u"optPostfix"_s);
    for (const QString& field : kRenameFields + QStringList{u"txtName"_s}) {
        QVERIFY2(control<QLineEdit>(*window, field)->text().isEmpty(), qPrintable(field));
    }
    QCOMPARE(control<QProgressBar>(*window, u"proCourse"_s)->value(), 0);
    QCOMPARE(focusedControl(), u"cmdTrim"_s);

    auto* pattern = control<QComboBox>(*window, u"comPostfix"_s);
    QCOMPARE(pattern->currentText(), u"*.JPG"_s);
    QStringList items;
    for (int i = 0; i < pattern->count(); ++i) {
        items.push_back(pattern->itemText(i));
    }
    QCOMPARE(items, (QStringList{u"*.txt"_s, u"*.JPG"_s, u"*.doc"_s, u"*.BMP"_s, u"*.*"_s}));

    QCOMPARE(control<ui::FolderList>(*window, u"dirTrim"_s)->path(), folder.path());
    QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.jpg"_s, u"D.JPG"_s}));
}

void WindowTest::windowKeepsItsSize() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    // The client area is 7455 x 5010 twips at the screen's dpi, and nothing the window is asked to do
    // changes it.
    const QSize client(qRound(7455 * window->logicalDpiX() / 1440.0), qRound(5010 * window->logicalDpiY() / 1440.0));
    QCOMPARE(window->size(), client);
    for (const QSize& asked : {client * 2, client / 2, QSize(client.width() + 1, client.height() - 1)}) {
        window->resize(asked);
        QCOMPARE(window->size(), client);
    }
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(window->font().pointSizeF(), 9.0);
}

void WindowTest::controlsLieInReadingOrderWithoutOverlap() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    const auto box = [&](const QString& name) {
        const QWidget* widget = control<QWidget>(*window, name);
        return QRect(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
    };

    // Every control shows whole: inside its container, and clear of every other control there. Only the
    // two frames lie on each other and on the tab strip's page.
    const QStringList frames = {u"TabFunction"_s, u"frmRename"_s, u"frmBill"_s};
    for (const QString& name : kControls) {
        const QWidget* widget = control<QWidget>(*window, name);
        QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()), qPrintable(name));
        for (const QString& other : kControls) {
            const QWidget* neighbour = control<QWidget>(*window, other);
            if (other == name || neighbour->parentWidget() != widget->parentWidget() ||
                (frames.contains(name) && frames.contains(other))) {
                continue;
            }
            QVERIFY2(!shownRect(*widget).intersects(shownRect(*neighbour)), qPrintable(name + u" on "_s + other));
        }
    }

    // The left column, the middle column and the help box read from top to bottom and left to right; the
    // progress bar runs under all of them, from the left column's edge to the help box's.
    const QList<std::tuple<QString, QString, bool>> order = {
        // first, second, whether first lies above second (else to its left)
        {u"driTrim"_s, u"dirTrim"_s, true},      {u"dirTrim"_s, u"filTrim"_s, true},
        {u"filTrim"_s, u"comPostfix"_s, true},   {u"comPostfix"_s, u"proCourse"_s, true},
        {u"TabFunction"_s, u"cmdTrim"_s, true},  {u"cmdTrim"_s, u"cmdExit"_s, true},
        {u"cmdExit"_s, u"proCourse"_s, true},    {u"txtHelp"_s, u"proCourse"_s, true},
        {u"driTrim"_s, u"TabFunction"_s, false}, {u"filTrim"_s, u"TabFunction"_s, false},
        {u"comPostfix"_s, u"cmdExit"_s, false},  {u"TabFunction"_s, u"txtHelp"_s, false},
        {u"cmdTrim"_s, u"txtHelp"_s, false},
    };
    for (const auto& [first, second, above] : order) {
        const bool inOrder = above ? box(first).bottom() < box(second).top() : box(first).right() < box(second).left();
        QVERIFY2(inOrder, qPrintable(first + (above ? u" above "_s : u" left of "_s) + second));
    }
    QCOMPARE(box(u"proCourse"_s).left(), box(u"driTrim"_s).left());
    QCOMPARE(box(u"proCourse"_s).right(), box(u"txtHelp"_s).right());

    // Both frames cover the same part of the tab strip's page and leave the tabs' captions clear: a click on
    // a caption reaches the tab bar, and a click in the frame reaches the frame of the selected tab, not the
    // tab strip behind it.
    QCOMPARE(box(u"frmRename"_s), box(u"frmBill"_s));
    QVERIFY(box(u"TabFunction"_s).contains(box(u"frmRename"_s)));
    const QTabBar* bar = control<QTabWidget>(*window, u"TabFunction"_s)->tabBar();
    for (const auto& [tab, frameName] : {std::pair{1, u"frmBill"_s}, std::pair{0, u"frmRename"_s}}) {
        const QPoint caption = bar->mapTo(window.get(), bar->tabRect(tab).center());
        const int halfLine = bar->fontMetrics().height() / 2;
        for (const QPoint& edge : {caption - QPoint(0, halfLine), caption + QPoint(0, halfLine)}) {
            QCOMPARE(window->childAt(edge), bar);
        }
        clickTab(*window, tab);
        const QWidget* frame = control<QWidget>(*window, frameName);
        const QWidget* hit = window->childAt(box(frameName).topLeft() + QPoint(2, box(frameName).height() - 3));
        QVERIFY2(hit == frame || frame->isAncestorOf(hit), qPrintable(frameName));
    }

    // The rows of the frames read as one phrase each, from left to right, and no caption is cut off.
    QCOMPARE(readRow(*window, {u"txtInsert"_s, u"lblInsert"_s, u"txtPosition"_s, u"lblPosition"_s}),
             u"第 [txtPosition] 字符后插入 [txtInsert]"_s);
    QCOMPARE(readRow(*window, {u"txtName"_s, u"labName"_s}), u"清单文本存为： [txtName]"_s);
    for (QWidget* captioned : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(captioned) != nullptr || qobject_cast<QLabel*>(captioned) != nullptr) {
            QVERIFY2(captioned->width() >= captioned->sizeHint().width(), qPrintable(captioned->objectName()));
        }
    }
}

void WindowTest::helpTextIsCompleteAndReadOnly() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    auto* help = control<QPlainTextEdit>(*window, u"txtHelp"_s);
    QCOMPARE(help->font().pointSizeF(), 9.75);
    const QStringList lines = help->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 23);
    QCOMPARE(lines.first(), u"一、功能："_s);
    QCOMPARE(lines.at(4), u"  1.将所有文件名内的某种统一字符串进行替换(上栏内字符替换为下栏)，比如，有autocad.JPG和"
                          u"Imagecad.JPG等文件，可以一次性将其中\"cad\"改为\"zet\"；"_s);
    QCOMPARE(lines.at(9),
             u"  对于大量的文件，可以建立一个类似清单的目录文件，便于管理、检索，生成的清单文件存于操作目录下。"_s);
    QCOMPARE(lines.at(21), u"  6.目标文件夹内自动生成日记文件QuillmarkLog.txt，记录改名历史；"_s);
    QCOMPARE(lines.last(), u"  7.改名不可恢复；"_s);
    // Long lines wrap at the box's width: it scrolls up and down only, from the first line.
    QVERIFY(help->verticalScrollBar()->isVisible());
    QCOMPARE(help->verticalScrollBar()->value(), 0);
    QVERIFY(help->verticalScrollBar()->maximum() > 0);
    QCOMPARE(help->horizontalScrollBar()->maximum(), 0);
    QVERIFY(help->fontMetrics().horizontalAdvance(lines.at(4)) > help->viewport()->width());
    // Keys scroll and select but never edit.
    const QString before = help->toPlainText();
    help->setFocus();
    QTest::keyClicks(help, u"abc"_s);
    QTest::keyClick(help, Qt::Key_Delete);
    QTest::keyClick(help, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(help, Qt::Key_Backspace);
    QCOMPARE(help->toPlainText(), before);
    QVERIFY(help->verticalScrollBar()->value() > 0);
}

void WindowTest::startUpOpensProgramDrivesCurrentFolder() {
    TempFolder elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    // The program's folder is a drive of its own; the working folder lies on another one.
    const QString programDrive = QCoreApplication::applicationDirPath();
    ListedVolumes volumes;
    volumes.list = {{u"/"_s, {}}, {programDrive, u"build"_s}};
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QCOMPARE(control<QComboBox>(*window, u"driTrim"_s)->currentData().toString(), programDrive);
    QCOMPARE(control<QComboBox>(*window, u"driTrim"_s)->currentText(), programDrive + u" [build]"_s);
    QCOMPARE(control<ui::FolderList>(*window, u"dirTrim"_s)->path(), programDrive);
    QCOMPARE(window->workingSet().folder(), programDrive);
}

void WindowTest::tabSwitchShowsOneFrameAndKeepsInputs() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    clickOn(control<QLineEdit>(*window, u"txtReplaceS"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtReplaceS"_s), u"cad"_s);
    clickOn(control<QLineEdit>(*window, u"txtInsert"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtInsert"_s), u"zet"_s);
    clickOn(control<QLineEdit>(*window, u"txtFill"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtFill"_s), u"0"_s);
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), u"optFill"_s);

    clickTab(*window, 1);
    QCOMPARE(control<QTabWidget>(*window, u"TabFunction"_s)->currentIndex(), 1);
    for (const QString& name : {u"labName"_s, u"txtName"_s, u"optPostfix"_s, u"optNo"_s}) {
        QVERIFY2(control<QWidget>(*window, name)->isVisible(), qPrintable(name));
    }
    for (const QString& name : kRenameFields + QStringList{u"optReplace"_s, u"lblInsert"_s}) {
        QVERIFY2(!control<QWidget>(*window, name)->isVisible(), qPrintable(name));
    }
    QCOMPARE(control<QPushButton>(*window, u"cmdTrim"_s)->text(), u"生成清单&C"_s);
    QCOMPARE(focusedControl(), u"txtName"_s);
    typeText(control<QLineEdit>(*window, u"txtName"_s), u"清单"_s);
    clickOn(control<QRadioButton>(*window, u"optNo"_s));

    clickTab(*window, 0);
    QVERIFY(control<QGroupBox>(*window, u"frmRename"_s)->isVisible());
    QVERIFY(!control<QGroupBox>(*window, u"frmBill"_s)->isVisible());
    QCOMPARE(control<QPushButton>(*window, u"cmdTrim"_s)->text(), u"确认改名&N"_s);
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), u"optFill"_s);
    QCOMPARE(focusedControl(), u"TabFunction"_s);
    QCOMPARE(control<QLineEdit>(*window, u"txtReplaceS"_s)->text(), u"cad"_s);
    QCOMPARE(control<QLineEdit>(*window, u"txtInsert"_s)->text(), u"zet"_s);
    QCOMPARE(control<QLineEdit>(*window, u"txtFill"_s)->text(), u"0"_s);

    clickTab(*window, 1);
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmBill"_s)), u"optNo"_s);
    QCOMPARE(control<QLineEdit>(*window, u"txtName"_s)->text(), u"清单"_s);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowTest)
#include "window_test.moc"
