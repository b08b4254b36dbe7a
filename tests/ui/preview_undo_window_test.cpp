// The rename preview and the undo of the last run, reached through the file list's context menu (right
// click, the Menu key, Shift+F10) and through Alt+P / Alt+U, with every dialog answered.

#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui/preview_dialog.h"
#include "window_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

const QString kLog = u"QuillmarkLog.txt"_s;

// How a test reaches an entry: a key of the window, or the context menu opened one way, then the entry's
// access key pressed in it.
enum class Way { RightClick, MenuKey, ShiftF10, Shortcut };

// Answers the context menu and the preview dialog while a test drives the window, as BoxAnswerer answers
// the message boxes, again while either stays open. Each answer is acted on later: the answerer's timer
// does not fire again while its own call runs, and the entry runs nested.
class MenuAndDialogAnswerer {
public:
    explicit MenuAndDialogAnswerer(Qt::Key entryKey) : m_entryKey(entryKey) {}

    bool confirm = false; // the preview dialog's answer: "确认改名(&N)" or "关闭"
    QStringList menuEntries;
    int dialogs = 0;
    QString caption;
    QString countLine;
    QList<QStringList> rows;
    QList<bool> marked; // a row drawn apart from the renamed ones

private:
    RetryingAnswerer::Answer menuShown(QWidget* menu) {
        for (const QAction* action : menu->actions()) {
            menuEntries << action->text();
        }
        return [key = m_entryKey](QWidget* open) {
            QTimer::singleShot(0, open, [open, key] {
                if (open->isVisible()) {
                    QTest::keyClick(open, key);
                }
            });
        };
    }

    RetryingAnswerer::Answer dialogShown(QWidget* dialog) {
        ++dialogs;
        caption = dialog->windowTitle();
        countLine = control<QLabel>(*dialog, u"lblPreviewCount"_s)->text();
        const QAbstractItemModel* model = control<QTableView>(*dialog, u"tblPreview"_s)->model();
        QStringList header;
        for (int column = 0; column < model->columnCount(); ++column) {
            header << model->headerData(column, Qt::Horizontal).toString();
        }
        rows = {header};
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column) {
                cells << model->index(row, column).data().toString();
            }
            rows << cells;
            marked << model->index(row, 2).data(Qt::ForegroundRole).isValid();
        }
        return [name = confirm ? u"cmdPreviewConfirm"_s : u"cmdPreviewClose"_s](QWidget* open) {
            QPushButton* button = control<QPushButton>(*open, name);
            QTimer::singleShot(0, button, [open, button] {
                if (open->isVisible()) {
                    clickOn(button);
                }
            });
        };
    }

    Qt::Key m_entryKey;
    RetryingAnswerer m_menus{[] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                             [this](QWidget* menu) { return menuShown(menu); }};
    RetryingAnswerer m_dialogs{[]() -> QWidget* {
                                   auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                                   return dialog != nullptr && dialog->objectName() == u"dlgPreview"_s ? dialog
                                                                                                       : nullptr;
                               },
                               [this](QWidget* dialog) { return dialogShown(dialog); }};
};

void openEntry(ui::frmMain& window, Way way, Qt::Key shortcutKey) {
    auto* list = control<QListView>(window, u"filTrim"_s);
    list->setFocus(Qt::OtherFocusReason);
    switch (way) {
    case Way::RightClick:
        // Through the window, as the system delivers it: the window turns a right click into the menu.
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(&window, QPoint(10, 5)));
        break;
    case Way::MenuKey:
        QTest::keyClick(list, Qt::Key_Menu);
        break;
    case Way::ShiftF10:
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        break;
    case Way::Shortcut:
        // From another control (not a method field, which would select its method): the key belongs to the
        // whole window.
        control<QWidget>(window, u"txtHelp"_s)->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(&window, shortcutKey, Qt::AltModifier);
        break;
    }
}

const QStringList kMenu{u"预览改名(&P)…"_s, u"撤销上次改名(&U)…"_s};

} // namespace

class PreviewUndoWindowTest : public QObject {
    Q_OBJECT

private slots:
    void previewShowsTheRunAndConfirmRunsIt_data();
    void previewShowsTheRunAndConfirmRunsIt();
    void previewChecksTheInputsAsTheCommandDoes();
    void previewShowsEveryResultAndNameWhole();
    void undoAsksThenTakesTheLastRunBack_data();
    void undoAsksThenTakesTheLastRunBack();
};

void PreviewUndoWindowTest::previewShowsTheRunAndConfirmRunsIt_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("right click, confirmed") << Way::RightClick << true;
    QTest::newRow("right click, closed") << Way::RightClick << false;
    QTest::newRow("Menu key, confirmed") << Way::MenuKey << true;
    QTest::newRow("Shift+F10, closed") << Way::ShiftF10 << false;
    QTest::newRow("Alt+P, confirmed") << Way::Shortcut << true;
}

void PreviewUndoWindowTest::previewShowsTheRunAndConfirmRunsIt() {
    QFETCH(Way, way);
    QFETCH(bool, confirm);
    TempFolder folder;
    for (const QString& name : {u"autocad.JPG"_s, u"cad.JPG"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s, u"notes.txt"_s}) {
        folder.touch(name);
    }
    const QStringList before = folder.entries();
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    QCOMPARE(control<QListView>(*window, u"filTrim"_s)->toolTip(), u"右键：预览改名、撤销上次改名"_s);
    control<QLineEdit>(*window, u"txtReplaceS"_s)->setText(u"cad"_s);
    BoxAnswerer boxes(window.get());
    MenuAndDialogAnswerer answerer(Qt::Key_P);
    answerer.confirm = confirm;

    openEntry(*window, way, Qt::Key_P);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.dialogs, 1, kEventWait);
    QCOMPARE(answerer.menuEntries, way == Way::Shortcut ? QStringList() : kMenu);
    QCOMPARE(answerer.caption, u"改名预览"_s);
    QCOMPARE(answerer.countLine, u"共 4 个文件：改名 1 个，保留原名 3 个，跳过 0 个"_s);
    const QList<QStringList> rows{
        {u"原文件名"_s, u"新文件名"_s, u"结果"_s},
        {u"autocad.JPG"_s, u"auto.JPG"_s, u"改名"_s},
        {u"cad.JPG"_s, u".JPG"_s, u"改名后为空名，保留原名"_s},
        {u"Image.JPG"_s, u"Image.JPG"_s, u"不变"_s},
        {u"Imagecad.JPG"_s, u"Image.JPG"_s, u"重名，保留原名"_s},
    };
    QCOMPARE(answerer.rows, rows);
    QCOMPARE(answerer.marked, (QList<bool>{false, true, true, true}));

    if (!confirm) {
        QCOMPARE(boxes.seen.size(), 0);
        QCOMPARE(folder.entries(), before);
    } else {
        // The run the command button would start: its messages, in the order the preview listed the rows.
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 2, kEventWait);
        QCOMPARE(boxes.seen.at(0).text, u"cad.JPG改名后为空名,故保留原名!"_s);
        QCOMPARE(boxes.seen.at(1).text, u"Imagecad.JPG改名后与Image.JPG同名,故保留原名!"_s);
        QVERIFY(!boxes.seen.at(1).windowEnabled);
        QCOMPARE(folder.entries(),
                 (QStringList{u"Image.JPG"_s, u"Imagecad.JPG"_s, kLog, u"auto.JPG"_s, u"cad.JPG"_s, u"notes.txt"_s}));
        const QByteArray log = folder.read(kLog);
        QCOMPARE(log.mid(log.indexOf("\r\n") + 2),
                 gbkLines({u"autocad.JPG改名为auto.JPG！"_s, u"cad.JPG改名为.JPG，因非法未执行！"_s,
                           u"Imagecad.JPG改名为Image.JPG，因重名未执行！"_s}));
        QCOMPARE(listed(*window), (QStringList{u"auto.JPG"_s, u"cad.JPG"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s}));
    }
    verifyIdle(*window);
}

void PreviewUndoWindowTest::previewChecksTheInputsAsTheCommandDoes() {
    TempFolder folder;
    folder.touch(u"a.JPG"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    BoxAnswerer boxes(window.get());
    MenuAndDialogAnswerer answerer(Qt::Key_P);

    // Nothing to replace yet: the command's message and nothing else.
    openEntry(*window, Way::Shortcut, Qt::Key_P);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 1, kEventWait);
    QCOMPARE(boxes.seen.at(0).text, u"没有输入替换内容！"_s);
    QVERIFY(boxes.seen.at(0).windowEnabled);

    // An empty working set: the command's message, whatever the inputs.
    control<QLineEdit>(*window, u"txtReplaceS"_s)->setText(u"a"_s);
    QTest::keyClicks(control<QComboBox>(*window, u"comPostfix"_s)->lineEdit(), u"X"_s);
    QCOMPARE(listed(*window), QStringList());
    openEntry(*window, Way::RightClick, Qt::Key_P);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 2, kEventWait);
    QCOMPARE(boxes.seen.at(1).text, u"文件夹内没有可执行文件！"_s);
    QCOMPARE(answerer.dialogs, 0);
    QCOMPARE(folder.entries(), QStringList{u"a.JPG"_s});
    verifyIdle(*window);
}

// A table that scrolls, the longest result and a name too long for the screen: the result column is whole within
// the table, the name elided in the middle with the whole name as its tooltip, and the name columns grow with
// the dialog.
void PreviewUndoWindowTest::previewShowsEveryResultAndNameWhole() {
    const QString longName = QString(120, u'长') + u".JPG"_s;
    engine::RenamePreview preview;
    engine::NameList oldNames;
    for (int i = 0; i < 40; ++i) {
        oldNames.append(u"照片.JPG");
    }
    oldNames.append(longName);
    preview.rows.reset(oldNames);
    for (std::size_t i = 0; i < 40; ++i) {
        preview.rows.setNewName(i, u".JPG");
        preview.rows.setResult(i, engine::PreviewResult::EmptyName);
    }
    ui::PreviewDialog dialog(preview);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* table = control<QTableView>(dialog, u"tblPreview"_s);
    const QModelIndex last = table->model()->index(40, 0);
    const int result = table->columnWidth(2);
    QVERIFY(table->verticalScrollBar()->isVisible());
    QVERIFY(result >= table->fontMetrics().horizontalAdvance(u"改名后为空名，保留原名"_s) +
                          2 * table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2);
    QVERIFY(table->columnViewportPosition(2) + result <= table->viewport()->width());
    QCOMPARE(last.data(Qt::ToolTipRole).toString(), longName);
    QCOMPARE(table->textElideMode(), Qt::ElideMiddle);
    const int before = table->columnWidth(0);
    dialog.resize(dialog.width() + 200, dialog.height());
    QTRY_VERIFY_WITH_TIMEOUT(table->columnWidth(0) > before, kEventWait);
}

void PreviewUndoWindowTest::undoAsksThenTakesTheLastRunBack_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("yes");
    QTest::newRow("right click, yes") << Way::RightClick << true;
    QTest::newRow("Menu key, no") << Way::MenuKey << false;
    QTest::newRow("Shift+F10, yes") << Way::ShiftF10 << true;
    QTest::newRow("Alt+U, yes") << Way::Shortcut << true;
    QTest::newRow("Alt+U, no") << Way::Shortcut << false;
}

void PreviewUndoWindowTest::undoAsksThenTakesTheLastRunBack() {
    QFETCH(Way, way);
    QFETCH(bool, yes);
    TempFolder folder;
    for (const QString& name : {u"b.JPG"_s, u"d.JPG"_s, u"e.JPG"_s}) {
        folder.touch(name);
    }
    const QByteArray log = gbkLines({u"2026/1/1 10:00:00 Quill Mark Log:"_s, u"a.JPG改名为b.JPG！"_s,
                                     u"c.JPG改名为d.JPG！"_s, u"e.JPG改名为f.JPG，因重名未执行！"_s});
    folder.write(kLog, log);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    BoxAnswerer boxes(window.get());
    boxes.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    MenuAndDialogAnswerer answerer(Qt::Key_U);

    openEntry(*window, way, Qt::Key_U);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 1, kEventWait);
    QCOMPARE(answerer.menuEntries, way == Way::Shortcut ? QStringList() : kMenu);
    const SeenBox& question = boxes.seen.at(0);
    QCOMPARE(question.text, u"将把上次改名的 2 个文件改回原名，是否继续？"_s);
    QCOMPARE(question.title, u"Filarion"_s);
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QVERIFY(question.windowEnabled); // asked before anything is touched
    if (yes) {
        QTRY_COMPARE_WITH_TIMEOUT(listed(*window), (QStringList{u"a.JPG"_s, u"c.JPG"_s, u"e.JPG"_s}), kEventWait);
        const QByteArray after = folder.read(kLog);
        QVERIFY(after.startsWith(log));
        const QByteArray added = after.mid(log.size());
        QVERIFY(added.left(added.indexOf("\r\n")).endsWith(" Quill Mark Log:"));
        QCOMPARE(added.mid(added.indexOf("\r\n") + 2), gbkLines({u"d.JPG改名为c.JPG！"_s, u"b.JPG改名为a.JPG！"_s}));
    } else {
        QCOMPARE(folder.read(kLog), log);
        QCOMPARE(listed(*window), (QStringList{u"b.JPG"_s, u"d.JPG"_s, u"e.JPG"_s}));
    }
    QCOMPARE(boxes.seen.size(), 1);
    verifyIdle(*window);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::PreviewUndoWindowTest)
#include "preview_undo_window_test.moc"
