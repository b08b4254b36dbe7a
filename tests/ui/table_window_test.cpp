// The preview as a table of new names, in the real window: a name edited by keys, a column pasted, a table file
// imported and exported through the file chooser, and the table confirmed and run, cycle and all.

#include "support/temp_folder.h"
#include "ui/preview_dialog.h"
#include "window_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>

namespace filarion::test {

using namespace Qt::StringLiterals;

class TableWindowTest : public QObject {
    Q_OBJECT

private slots:
    void editPasteImportAndConfirmRunTheTable();
};

namespace {

// The preview dialog, while it is open.
QWidget* openPreview() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<ui::PreviewDialog*>(widget) != nullptr && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

// The editor of the cell being edited, once there is one.
QLineEdit* openEditor(const QTableView& table) {
    QLineEdit* editor = nullptr;
    for (int wait = 0; wait < 200 && editor == nullptr; ++wait) {
        for (QLineEdit* child : table.viewport()->findChildren<QLineEdit*>()) {
            editor = child->isVisible() ? child : editor;
        }
        if (editor == nullptr) {
            QTest::qWait(10);
        }
    }
    return editor;
}

QString cell(const QTableView& table, int row, int column, int role = Qt::DisplayRole) {
    return table.model()->index(row, column).data(role).toString();
}

} // namespace

void TableWindowTest::editPasteImportAndConfirmRunTheTable() {
    TempFolder folder;
    for (const QString& name : {u"1.JPG"_s, u"2.JPG"_s, u"3.JPG"_s, u"4.JPG"_s}) {
        folder.touch(name);
    }
    const TempFolder elsewhere; // the table files, outside the folder's list
    const QString tableFile = elsewhere.filePath(u"表.tsv"_s);
    const QString exported = elsewhere.filePath(u"导出.tsv"_s);
    const auto window = openWindowIn(folder.path());
    QVERIFY(window);
    control<QLineEdit>(*window, u"txtReplaceS"_s)->setText(u"X"_s); // renames nothing: every row "不变"
    BoxAnswerer boxes(window.get());
    bool opened = false;
    bool driven = false;
    // Driven once it is open, and left to the answerer's bound should it stay open.
    const RetryingAnswerer preview(openPreview, [&](QWidget* widget) -> RetryingAnswerer::Answer {
        opened = true;
        [&](ui::PreviewDialog& dialog) {
            const auto closeAnyway = qScopeGuard([&dialog] {
                if (dialog.isVisible()) {
                    dialog.reject();
                }
            });
            auto* table = control<QTableView>(dialog, u"tblPreview"_s);
            auto* count = control<QLabel>(dialog, u"lblPreviewCount"_s);
            auto* note = control<QLabel>(dialog, u"lblPreviewNote"_s);
            auto* confirm = control<QPushButton>(dialog, u"cmdPreviewConfirm"_s);
            QString chosen;
            dialog.setFileChooser([&chosen](QWidget*, bool, const QString&) { return chosen; });
            table->setFocus(Qt::OtherFocusReason);

            // F2 edits the row's new name; Enter keeps it and moves on. Two rows now share a name: both in red,
            // and no confirming.
            table->setCurrentIndex(table->model()->index(0, 0));
            QTest::keyClick(table, Qt::Key_F2);
            QLineEdit* editor = openEditor(*table);
            QVERIFY(editor != nullptr);
            editor->selectAll();
            QTest::keyClicks(editor, u"2.JPG"_s);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(table->currentIndex().row(), 1); // the editor closes once the events of Enter ran
            QCOMPARE(cell(*table, 0, 1, Qt::AccessibleTextRole), u"2.JPG，已编辑"_s);
            QCOMPARE(cell(*table, 0, 2), u"与另一行的新文件名相同"_s);
            QCOMPARE(cell(*table, 1, 2), u"与另一行的新文件名相同"_s);
            QVERIFY(table->model()->index(1, 2).data(Qt::ForegroundRole).isValid());
            QVERIFY(!confirm->isEnabled());
            QCOMPARE(count->text(), u"共 4 个文件：改名 0 个，不变 2 个，跳过 0 个，有错 2 个"_s);

            // Escape restores what an edit typed.
            QTest::keyClick(table, Qt::Key_F2);
            editor = openEditor(*table);
            QVERIFY(editor != nullptr);
            QTest::keyClicks(editor, u"zz"_s);
            QTest::keyClick(editor, Qt::Key_Escape);
            QCOMPARE(cell(*table, 1, 1), u"2.JPG"_s);

            // A column pasted from the current row down closes the cycle 1 -> 2 -> 3 -> 1; one line too many
            // pastes nothing.
            QApplication::clipboard()->setText(u"a\nb\nc\nd\n"_s);
            QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(note->text(), u"剪贴板中有 4 行，多于当前行起的 3 行，未粘贴！"_s);
            QCOMPARE(cell(*table, 1, 1), u"2.JPG"_s);
            QApplication::clipboard()->setText(u"3.JPG\r\n1.JPG\r\n"_s);
            QTest::keyClick(table, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(cell(*table, 1, 1), u"3.JPG"_s);
            QCOMPARE(cell(*table, 2, 1), u"1.JPG"_s);
            QVERIFY(confirm->isEnabled());

            // An import that names no row changes nothing and says which line; a whole one is taken by the old
            // names, UTF-8 with its mark.
            elsewhere.write(u"表.tsv"_s, "\xEF\xBB\xBF"
                                         "4.JPG\t\xE5\x9B\x9B.JPG\r\n5.JPG\tx\r\n");
            chosen = tableFile;
            clickOn(control<QPushButton>(dialog, u"cmdTableImport"_s));
            QCOMPARE(note->text(), u"改名表第 2 行的原文件名不在列表中，未导入！"_s);
            QCOMPARE(cell(*table, 3, 1), u"4.JPG"_s);
            elsewhere.write(u"表.tsv"_s, "\xEF\xBB\xBF"
                                         "4.JPG\t\xE5\x9B\x9B.JPG\r\n");
            clickOn(control<QPushButton>(dialog, u"cmdTableImport"_s));
            QCOMPARE(cell(*table, 3, 1), u"四.JPG"_s);
            QCOMPARE(count->text(), u"共 4 个文件：改名 4 个，不变 0 个，跳过 0 个，有错 0 个"_s);

            // The export writes the table as shown, in GBK with CR LF.
            chosen = exported;
            clickOn(control<QPushButton>(dialog, u"cmdTableExport"_s));
            QCOMPARE(elsewhere.read(u"导出.tsv"_s),
                     gbkLines({u"1.JPG\t2.JPG"_s, u"2.JPG\t3.JPG"_s, u"3.JPG\t1.JPG"_s, u"4.JPG\t四.JPG"_s}));
            driven = true;
            clickOn(confirm);
        }(*static_cast<ui::PreviewDialog*>(widget));
        return {};
    });
    QTest::keyClick(control<QWidget>(*window, u"txtHelp"_s), Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(opened);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY2(driven, "the dialog was not driven to its end");

    // The table ran: the chain first, then the cycle through the temporary name, each step on record.
    QTRY_COMPARE(listed(*window), (QStringList{u"1.JPG"_s, u"2.JPG"_s, u"3.JPG"_s, u"四.JPG"_s}));
    QCOMPARE(folder.read(u"2.JPG"_s), QByteArray("1.JPG"));
    QCOMPARE(folder.read(u"3.JPG"_s), QByteArray("2.JPG"));
    QCOMPARE(folder.read(u"1.JPG"_s), QByteArray("3.JPG"));
    const QByteArray log = folder.read(u"QuillmarkLog.txt"_s);
    QCOMPARE(log.mid(log.indexOf("\r\n") + 2),
             gbkLines({u"4.JPG改名为四.JPG！"_s, u"1.JPG改名为Filarion改名中转-1.tmp！"_s, u"3.JPG改名为1.JPG！"_s,
                       u"2.JPG改名为3.JPG！"_s, u"Filarion改名中转-1.tmp改名为2.JPG！"_s}));
    QCOMPARE(boxes.seen.size(), 0);
    verifyIdle(*window);
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::TableWindowTest)
#include "table_window_test.moc"
