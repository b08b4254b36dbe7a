#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "window_test_support.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
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
#include <fcntl.h>
#include <tuple>
#include <unistd.h>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

QString checkedOption(const QWidget& frame) {
    for (const QRadioButton* option : frame.findChildren<QRadioButton*>()) {
        if (option->isChecked()) {
            return option->objectName();
        }
    }
    return {};
}

void clickTab(const QWidget& window, int tab) {
    QTabBar* bar = control<QTabWidget>(window, u"TabFunction"_s)->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

QModelIndex folderRow(const ui::FolderList& list, const QString& text) {
    const QModelIndexList found =
        list.model()->match(list.model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex() : found.first();
}

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

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void startUpShowsRenameTabWithReplaceMethodAndJpgPattern();
    void windowKeepsItsSize();
    void controlsLieInReadingOrderWithoutOverlap();
    void helpTextIsCompleteAndReadOnly();
    void enterAndEscapeOnAFieldPressNoButton();
    void startUpOpensProgramDrivesCurrentFolder();
    void tabSwitchShowsOneFrameAndKeepsInputs();
    void enteringFieldOrClickingOptionCouplesThem_data();
    void enteringFieldOrClickingOptionCouplesThem();
    void tabbingThroughRenameFieldsSelectsEachMethod();
    void focusOrderFollowsLayout_data();
    void focusOrderFollowsLayout();
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

void WindowTest::enterAndEscapeOnAFieldPressNoButton() {
    TempFolder folder;
    folder.touch(u"autocad.JPG"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    BoxAnswerer boxes(window.get());
    // Inputs a rename would run with.
    clickOn(control<QLineEdit>(*window, u"txtReplaceS"_s));
    QTest::keyClicks(control<QLineEdit>(*window, u"txtReplaceS"_s), u"cad"_s);
    // A button pressed by a key goes down at once and clicks a moment later.
    QSignalSpy renamePressed(control<QPushButton>(*window, u"cmdTrim"_s), &QPushButton::pressed);
    QSignalSpy exitPressed(control<QPushButton>(*window, u"cmdExit"_s), &QPushButton::pressed);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(QApplication::focusWidget(), key);
    }
    QCOMPARE(renamePressed.count(), 0);
    QCOMPARE(exitPressed.count(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(boxes.seen.size(), 0);
    QCOMPARE(folder.entries(), QStringList{u"autocad.JPG"_s});
    QVERIFY(window->isVisible());
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

void WindowTest::enteringFieldOrClickingOptionCouplesThem_data() {
    QTest::addColumn<QString>("selected"); // the option clicked first
    QTest::addColumn<QString>("entered");  // then the control clicked
    QTest::addColumn<QString>("option");   // the option set afterwards
    QTest::addColumn<QString>("focus");    // and the control with the focus
    QTest::newRow("txtReplaceT under Prefix")
        << u"optPrefix"_s << u"txtReplaceT"_s << u"optReplace"_s << u"txtReplaceS"_s;
    QTest::newRow("txtReplaceT under Replace")
        << u"optReplace"_s << u"txtReplaceT"_s << u"optReplace"_s << u"txtReplaceT"_s;
    QTest::newRow("txtPosition under Replace")
        << u"optReplace"_s << u"txtPosition"_s << u"optInsert"_s << u"txtPosition"_s;
    QTest::newRow("txtInsert under Fill") << u"optFill"_s << u"txtInsert"_s << u"optInsert"_s << u"txtInsert"_s;
    QTest::newRow("txtFill under Insert") << u"optInsert"_s << u"txtFill"_s << u"optFill"_s << u"txtFill"_s;
    QTest::newRow("txtPrefix under Fill") << u"optFill"_s << u"txtPrefix"_s << u"optPrefix"_s << u"txtPrefix"_s;
    QTest::newRow("txtReplaceS under Insert")
        << u"optInsert"_s << u"txtReplaceS"_s << u"optReplace"_s << u"txtReplaceS"_s;
    QTest::newRow("optPrefix") << u"optReplace"_s << u"optPrefix"_s << u"optPrefix"_s << u"txtPrefix"_s;
    QTest::newRow("optFill") << u"optReplace"_s << u"optFill"_s << u"optFill"_s << u"txtFill"_s;
    QTest::newRow("optReplace") << u"optFill"_s << u"optReplace"_s << u"optReplace"_s << u"txtReplaceS"_s;
    QTest::newRow("optInsert moves no focus") << u"optReplace"_s << u"optInsert"_s << u"optInsert"_s << u"optInsert"_s;
}

void WindowTest::enteringFieldOrClickingOptionCouplesThem() {
    QFETCH(QString, selected);
    QFETCH(QString, entered);
    QFETCH(QString, option);
    QFETCH(QString, focus);
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    clickOn(control<QWidget>(*window, selected));
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), selected);
    clickOn(control<QWidget>(*window, entered));
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), option);
    QCOMPARE(focusedControl(), focus);
}

void WindowTest::tabbingThroughRenameFieldsSelectsEachMethod() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    clickOn(control<QRadioButton>(*window, u"optPrefix"_s));
    control<QTabWidget>(*window, u"TabFunction"_s)->setFocus(Qt::TabFocusReason);
    // Each step: the control that has the focus after one Tab, and the option set then.
    const QList<std::pair<QString, QString>> expected = {
        {u"txtReplaceS"_s, u"optReplace"_s}, {u"txtReplaceT"_s, u"optReplace"_s}, {u"txtPrefix"_s, u"optPrefix"_s},
        {u"txtFill"_s, u"optFill"_s},        {u"txtPosition"_s, u"optInsert"_s},  {u"txtInsert"_s, u"optInsert"_s},
        {u"cmdTrim"_s, u"optInsert"_s},
    };
    for (const auto& [focus, option] : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusedControl(), focus);
        QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), option);
    }
}

void WindowTest::focusOrderFollowsLayout_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("order");
    // Tab follows the screen: the left column from the top, the tabs, the frame row by row and left to right,
    // the buttons, the help box.
    const QStringList left = {u"cmdTrim"_s, u"cmdExit"_s, u"txtHelp"_s,    u"driTrim"_s,
                              u"dirTrim"_s, u"filTrim"_s, u"comPostfix"_s, u"TabFunction"_s};
    QTest::newRow("rename tab") << 0 << left + QStringList{u"optReplace"_s, u"txtReplaceS"_s, u"txtReplaceT"_s,
                                                           u"txtPrefix"_s,  u"txtFill"_s,     u"txtPosition"_s,
                                                           u"txtInsert"_s,  u"cmdTrim"_s};
    QTest::newRow("list tab") << 1 << left + QStringList{u"txtName"_s, u"optPostfix"_s, u"cmdTrim"_s};
}

void WindowTest::focusOrderFollowsLayout() {
    QFETCH(int, tab);
    QFETCH(QStringList, order);
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    control<QTabWidget>(*window, u"TabFunction"_s)->setCurrentIndex(tab);
    control<QPushButton>(*window, u"cmdTrim"_s)->setFocus(Qt::OtherFocusReason);
    QStringList visited = {focusedControl()};
    while (visited.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(focusedControl());
    }
    QCOMPARE(visited, order);
}

void WindowTest::patternEditRereadsOncePerKeystroke() {
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

void WindowTest::patternChosenFromListRereadsOnce() {
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

void WindowTest::fileListClickRereadsFolder() {
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

void WindowTest::folderListOpensOnDoubleClickAndEnter() {
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

void WindowTest::listModelsKeepTheirContractsAndHoldNoObjectPerFile() {
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

void WindowTest::unreadableDriveFallsBackSilently() {
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

void WindowTest::exitButtonClosesWindow() {
    const ui_core::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(!window->isVisible());
}

void WindowTest::inputThroughTheXServer_data() {
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
void WindowTest::inputThroughTheXServer() {
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
        QTest::qWait(100);
    }
    QTEST(window->workingSet().names().contains(u"b.txt"_s), "reread");
    QTEST(most, "menus");
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowTest)
#include "window_test.moc"
