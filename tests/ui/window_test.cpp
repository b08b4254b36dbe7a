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

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void startUpShowsRenameTabWithReplaceMethodAndJpgPattern();
    void layoutIsFixedAndHelpTextIsComplete();
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
    void unreadableDriveFallsBackSilently();
    void exitButtonClosesWindow();

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
    const ui::SystemVolumeSource volumes;
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
    QCOMPARE(control<QPushButton>(*window, u"cmdTrim"_s)->text(), u"确认改名&N"_s);
    QCOMPARE(control<QPushButton>(*window, u"cmdExit"_s)->text(), u"退出&X"_s);
    QCOMPARE(control<QProgressBar>(*window, u"proCourse"_s)->value(), 0);
    QCOMPARE(focusedControl(), u"cmdTrim"_s);

    auto* pattern = control<QComboBox>(*window, u"comPostfix"_s);
    QCOMPARE(pattern->currentText(), u"*.JPG"_s);
    QStringList items;
    for (int i = 0; i < pattern->count(); ++i) {
        items.push_back(pattern->itemText(i));
    }
    QCOMPARE(items, (QStringList{u"*.txt"_s, u"*.JPG"_s, u"*.doc"_s, u"*.BMP"_s, u"*.*"_s}));
    QVERIFY(pattern->isEditable());
    QCOMPARE(pattern->insertPolicy(), QComboBox::NoInsert);

    QCOMPARE(control<ui::FolderList>(*window, u"dirTrim"_s)->path(), folder.path());
    QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.jpg"_s, u"D.JPG"_s}));
    // One model over the working set, no item per file.
    auto* files = control<QListView>(*window, u"filTrim"_s);
    QVERIFY(files->uniformItemSizes());
    QCOMPARE(files->selectionMode(), QAbstractItemView::SingleSelection);

    // No button is the default: Enter on a field presses nothing.
    for (const QString& button : {u"cmdTrim"_s, u"cmdExit"_s}) {
        QVERIFY(!control<QPushButton>(*window, button)->isDefault());
        QVERIFY(!control<QPushButton>(*window, button)->autoDefault());
    }
}

void WindowTest::layoutIsFixedAndHelpTextIsComplete() {
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    const qreal dpiX = window->logicalDpiX();
    const qreal dpiY = window->logicalDpiY();
    const auto px = [](int twips, qreal dpi) { return qRound(twips * dpi / 1440.0); };

    const QSize client(px(7455, dpiX), px(5010, dpiY));
    QCOMPARE(window->size(), client);
    QCOMPARE(window->minimumSize(), client);
    QCOMPARE(window->maximumSize(), client);
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(window->font().pointSizeF(), 9.0);

    // Every edge sits where its twips put it; the help box and the progress bar end at the same right edge.
    const auto geometry = [&](const QString& name) { return control<QWidget>(*window, name)->geometry(); };
    QCOMPARE(geometry(u"filTrim"_s),
             QRect(QPoint(px(120, dpiX), px(1740, dpiY)), QPoint(px(2235, dpiX) - 1, px(4170, dpiY) - 1)));
    QCOMPARE(geometry(u"txtHelp"_s).right(), geometry(u"proCourse"_s).right());
    QCOMPARE(geometry(u"proCourse"_s).right(), px(7335, dpiX) - 1);
    QCOMPARE(geometry(u"frmRename"_s), geometry(u"frmBill"_s));
    QCOMPARE(geometry(u"frmRename"_s).topLeft(), QPoint(px(2400, dpiX), px(420, dpiY)));
    QCOMPARE(geometry(u"TabFunction"_s).topLeft(), QPoint(px(2325, dpiX), px(90, dpiY)));
    QVERIFY(geometry(u"TabFunction"_s).contains(geometry(u"frmRename"_s)));
    // The tab strip lies behind the frames.
    const QObjectList stack = window->children();
    const auto depth = [&](const QString& name) { return stack.indexOf(control<QWidget>(*window, name)); };
    QVERIFY(depth(u"TabFunction"_s) < depth(u"frmRename"_s));
    QVERIFY(depth(u"TabFunction"_s) < depth(u"frmBill"_s));

    // The insert row reads from left to right: "第", the position, "字符后插入", the text.
    QStringList row;
    for (const QString& name : {u"lblPosition"_s, u"txtPosition"_s, u"lblInsert"_s, u"txtInsert"_s}) {
        row.push_back(name);
    }
    for (int i = 1; i < row.size(); ++i) {
        QVERIFY2(geometry(row[i - 1]).right() < geometry(row[i]).left(), qPrintable(row[i]));
    }
    QCOMPARE(control<QLabel>(*window, u"lblPosition"_s)->text(), u"第"_s);
    QCOMPARE(control<QLabel>(*window, u"lblInsert"_s)->text(), u"字符后插入"_s);
    QCOMPARE(control<QLabel>(*window, u"labName"_s)->text(), u"清单文本存为："_s);
    // No caption is cut off.
    for (QWidget* captioned : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(captioned) != nullptr || qobject_cast<QLabel*>(captioned) != nullptr) {
            QVERIFY2(captioned->width() >= captioned->sizeHint().width(), qPrintable(captioned->objectName()));
        }
    }

    auto* help = control<QPlainTextEdit>(*window, u"txtHelp"_s);
    QVERIFY(help->isReadOnly());
    QCOMPARE(help->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(help->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
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
    QCOMPARE(help->verticalScrollBar()->value(), 0);
    QVERIFY(help->verticalScrollBar()->maximum() > 0);
    const QString before = help->toPlainText();
    help->setFocus();
    QTest::keyClicks(help, u"abc"_s);
    QTest::keyClick(help, Qt::Key_Delete);
    QCOMPARE(help->toPlainText(), before);
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
    const ui::SystemVolumeSource volumes;
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
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    clickOn(control<QWidget>(*window, selected));
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), selected);
    clickOn(control<QWidget>(*window, entered));
    QCOMPARE(checkedOption(*control<QGroupBox>(*window, u"frmRename"_s)), option);
    QCOMPARE(focusedControl(), focus);
}

void WindowTest::tabbingThroughRenameFieldsSelectsEachMethod() {
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    clickOn(control<QRadioButton>(*window, u"optPrefix"_s));
    control<QTabWidget>(*window, u"TabFunction"_s)->setFocus(Qt::TabFocusReason);
    // Each step: the control that has the focus after one Tab, and the option set then.
    const QList<std::pair<QString, QString>> expected = {
        {u"txtReplaceS"_s, u"optReplace"_s}, // txtReplaceT selects Replace, whose option sends it on
        {u"optReplace"_s, u"optReplace"_s},  {u"txtFill"_s, u"optFill"_s},     {u"txtPrefix"_s, u"optPrefix"_s},
        {u"txtInsert"_s, u"optInsert"_s},    {u"optInsert"_s, u"optInsert"_s}, {u"txtPosition"_s, u"optInsert"_s},
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
    const QStringList left = {u"cmdTrim"_s, u"dirTrim"_s, u"filTrim"_s, u"comPostfix"_s,
                              u"cmdExit"_s, u"driTrim"_s, u"txtHelp"_s, u"TabFunction"_s};
    QTest::newRow("rename tab") << 0 << left + QStringList{u"txtReplaceT"_s, u"txtReplaceS"_s, u"optReplace"_s,
                                                           u"txtFill"_s,     u"txtPrefix"_s,   u"txtInsert"_s,
                                                           u"optInsert"_s,   u"txtPosition"_s, u"cmdTrim"_s};
    QTest::newRow("list tab") << 1 << left + QStringList{u"optPostfix"_s, u"txtName"_s, u"cmdTrim"_s};
}

void WindowTest::focusOrderFollowsLayout() {
    QFETCH(int, tab);
    QFETCH(QStringList, order);
    const ui::SystemVolumeSource volumes;
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
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QVERIFY(control<ui::FolderList>(*window, u"dirTrim"_s)->setPath(folder.path()));
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
}

void WindowTest::patternChosenFromListRereadsOnce() {
    TempFolder folder;
    for (const QString& name : {u"a.doc"_s, u"b.DOC"_s, u"c.JPG"_s}) {
        folder.touch(name);
    }
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QVERIFY(control<ui::FolderList>(*window, u"dirTrim"_s)->setPath(folder.path()));
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
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QVERIFY(control<ui::FolderList>(*window, u"dirTrim"_s)->setPath(folder.path()));
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
    const ui::SystemVolumeSource volumes;
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
    const ui::SystemVolumeSource volumes;
    const auto window = openWindow(volumes);
    QVERIFY(window);
    QTest::keyClick(window.get(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(!window->isVisible());
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowTest)
#include "window_test.moc"
