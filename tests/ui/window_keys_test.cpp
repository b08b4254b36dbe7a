#include "support/temp_folder.h"
#include "window_test_support.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

// The window's keyboard: what Enter and Escape do in a field, how a field and its option go together, and
// where Tab takes the focus.
class WindowKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void enterAndEscapeOnAFieldPressNoButton();
    void enteringFieldOrClickingOptionCouplesThem_data();
    void enteringFieldOrClickingOptionCouplesThem();
    void tabbingThroughRenameFieldsSelectsEachMethod();
    void focusOrderFollowsLayout_data();
    void focusOrderFollowsLayout();

private:
    QString m_startFolder;
};

void WindowKeysTest::enterAndEscapeOnAFieldPressNoButton() {
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

void WindowKeysTest::enteringFieldOrClickingOptionCouplesThem_data() {
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

void WindowKeysTest::enteringFieldOrClickingOptionCouplesThem() {
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

void WindowKeysTest::tabbingThroughRenameFieldsSelectsEachMethod() {
    const ui_core::SystemVolumeSource volumes;
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

void WindowKeysTest::focusOrderFollowsLayout_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("order");
    // The layout's order by tab index; of the options only the set one takes the focus.
    const QStringList left = {u"cmdTrim"_s, u"dirTrim"_s, u"filTrim"_s, u"comPostfix"_s,
                              u"cmdExit"_s, u"driTrim"_s, u"txtHelp"_s, u"TabFunction"_s};
    QTest::newRow("rename tab") << 0 << left + QStringList{u"txtReplaceT"_s, u"txtReplaceS"_s, u"optReplace"_s,
                                                           u"txtFill"_s,     u"txtPrefix"_s,   u"txtInsert"_s,
                                                           u"optInsert"_s,   u"txtPosition"_s, u"cmdTrim"_s};
    QTest::newRow("list tab") << 1 << left + QStringList{u"optPostfix"_s, u"txtName"_s, u"cmdTrim"_s};
}

void WindowKeysTest::focusOrderFollowsLayout() {
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

} // namespace filarion::test

QTEST_MAIN(filarion::test::WindowKeysTest)
#include "window_keys_test.moc"
