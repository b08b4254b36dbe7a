// The window on a real X server (run by on_xvfb.sh), driven through the X server by xdotool, so that focus,
// popups and keys take Qt's own way, as a user's input does.

#include "support/temp_folder.h"
#include "window_test_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

class X11InputTest : public QObject {
    Q_OBJECT

private slots:
    void patternAndFileListMenu_data();
    void patternAndFileListMenu();
};

void X11InputTest::patternAndFileListMenu_data() {
    QTest::addColumn<QStringList>("steps"); // "@name" clicks that control, "@entry" the list's "*.txt"; else keys
    QTest::addColumn<bool>("reread");       // b.txt, made after "*.txt" was typed, is in the working set
    QTest::addColumn<int>("menus");         // the most context menus open at once
    QTest::newRow("pattern left by a click") << QStringList{u"@txtPrefix"_s} << false << 0;
    QTest::newRow("pattern left by Enter, Tab") << QStringList{u"Return"_s, u"Tab"_s} << false << 0;
    QTest::newRow("list opened and closed") << QStringList{u"F4"_s, u"Escape"_s, u"@txtPrefix"_s} << false << 0;
    QTest::newRow("entry chosen by keys") << QStringList{u"F4"_s, u"Home"_s, u"Return"_s} << true << 0;
    QTest::newRow("entry clicked") << QStringList{u"F4"_s, u"@entry"_s} << true << 0;
    QTest::newRow("file list right click") << QStringList{u"@filTrim:3"_s} << false << 1;
    QTest::newRow("Menu key") << QStringList{u"@filTrim"_s, u"Menu"_s} << true << 1;
    QTest::newRow("Shift+F10") << QStringList{u"@filTrim"_s, u"shift+F10"_s} << true << 1;
}

// While menus are open the most at once are counted; Escape goes to them after a moment, and whatever is
// still open a moment later counts as left open.
void X11InputTest::patternAndFileListMenu() {
    QFETCH(QStringList, steps);
    QFETCH(bool, reread);
    QFETCH(int, menus);
    TempFolder folder;
    folder.touch(u"a.txt"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    int most = 0;
    int ticks = 0;
    qsizetype leftOpen = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        QList<QWidget*> open = QApplication::topLevelWidgets();
        open.removeIf([](const QWidget* w) { return qobject_cast<const QMenu*>(w) == nullptr || !w->isVisible(); });
        most = std::max(most, int(open.size()));
        ticks += open.isEmpty() && ticks == 0 ? 0 : 1;
        if (ticks == 15) {
            QProcess::execute(u"xdotool"_s, {u"key"_s, u"Escape"_s});
        } else if (ticks == 30) {
            leftOpen = open.size();
            std::for_each(open.begin(), open.end(), [](QWidget* menu) { menu->close(); });
        }
    });
    watch.start(20);
    auto* box = control<QComboBox>(*window, u"comPostfix"_s);
    const QStringList typing{u"@comPostfix"_s, u"ctrl+a"_s, u"asterisk"_s, u"period"_s, u"t"_s, u"x"_s, u"t"_s};
    for (const QString& step : typing + QStringList{u"+b.txt"_s} + steps) {
        if (step.startsWith(u'+')) {
            folder.touch(step.mid(1)); // by another program
            continue;
        }
        QStringList command{u"key"_s, step};
        if (step.startsWith(u'@')) {
            const QString name = step.mid(1).section(u':', 0, 0);
            const bool entry = name == u"entry"_s;
            const QWidget* target = entry ? box->view()->viewport() : control<QWidget>(*window, name);
            const QPoint at = target->mapToGlobal(entry ? box->view()->visualRect(box->model()->index(0, 0)).center()
                                                        : QPoint(10, 5));
            command = {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
                       step.endsWith(u":3"_s) ? u"3"_s : u"1"_s};
        }
        QCOMPARE(QProcess::execute(u"xdotool"_s, command), 0);
        QTest::qWait(100);
    }
    QTRY_VERIFY(ticks == 0 || ticks >= 30);
    QCOMPARE(window->workingSet().names().contains(u"b.txt"_s), reread);
    QCOMPARE(box->currentText(), u"*.txt"_s);
    QCOMPARE(most, menus);
    QCOMPARE(leftOpen, 0);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::X11InputTest)
#include "x11_input_test.moc"
