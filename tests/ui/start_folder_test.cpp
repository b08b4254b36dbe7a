#include "support/as_user.h"
#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui_core/command_line.h"
#include "window_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>

namespace filarion::test {

using namespace Qt::StringLiterals;

// The window on two drives, "/" and a card (a temporary folder, also the working folder), given a folder
// dropped from a file manager on one of its lists, or one as the program's argument that cannot be opened;
// the working folder's drive is "/".
class StartFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void goesToTheFolderOrStaysWhereItStarted_data();
    void goesToTheFolderOrStaysWhereItStarted();

private:
    TempFolder m_card;
    ListedVolumes m_volumes;
};

void StartFolderTest::initTestCase() {
    for (const QString& name : {u"照片/a.JPG"_s, u"照片/b.JPG"_s, u"锁/c.JPG"_s}) {
        m_card.makeFolder(name.section(u'/', 0, 0));
        m_card.touch(name);
    }
    m_card.touch(u"d.JPG"_s);
    QVERIFY(QFile::setPermissions(m_card.filePath(u"锁"_s), {}));
    QVERIFY(QDir::setCurrent(m_card.path()));
    m_volumes.list = {{u"/"_s, {}}, {m_card.path(), u"card"_s}};
}

void StartFolderTest::goesToTheFolderOrStaysWhereItStarted_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("way"); // "argument", or the list it is dropped on
    QTest::addColumn<bool>("opens");
    // Where the session goes for a folder given is its own test; here, that the box of a 5,000-byte folder
    // quotes its beginning and its end and fits the screen.
    QTest::newRow("argument: very long") << m_card.filePath(u"长路径/"_s.repeated(500) + u"终"_s) << u"argument"_s
                                         << false;
    // Given when the window is made: the message comes over the window once it is shown.
    QTest::newRow("argument at start: missing") << m_card.filePath(u"不在"_s) << u"argument at start"_s << false;
    QTest::newRow("dropped on the folder list: folder") << u"照片"_s << u"dirTrim"_s << true;
    QTest::newRow("dropped on the file list: file") << u"照片/b.JPG"_s << u"filTrim"_s << true;
    QTest::newRow("dropped on the file list: unreadable") << u"锁"_s << u"filTrim"_s << false;
}

void StartFolderTest::goesToTheFolderOrStaysWhereItStarted() {
    QFETCH(QString, given);
    QFETCH(QString, way);
    QFETCH(bool, opens);
    const bool atStart = way == u"argument at start";
    BoxAnswerer boxes(nullptr);
    bool windowShownBehindBox = true;
    boxes.whileOpen = [&] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        windowShownBehindBox = std::any_of(windows.begin(), windows.end(), [](const QWidget* widget) {
            return qobject_cast<const ui::frmMain*>(widget) != nullptr && widget->isVisible();
        });
    };
    const auto window = openWindow(m_volumes, atStart ? std::optional(given) : std::nullopt);
    QVERIFY(window);
    // The window stands on the card, whose own file it lists.
    QVERIFY(control<ui::FolderList>(*window, u"dirTrim"_s)->setPath(m_card.path()));
    const QStringList listedBefore = listed(*window);
    QCOMPARE(listedBefore, QStringList{u"d.JPG"_s});
    const WithoutPermissionOverride asUser;
    if (way == u"argument") {
        window->startIn(*ui_core::parseCommandLine({u"filarion"_s, given}, u"3.00"_s).folder);
        QVERIFY(window->starting());
        QTRY_VERIFY_WITH_TIMEOUT(!window->starting(), kEventWait);
    } else if (!atStart) {
        QWidget* target = control<QAbstractItemView>(*window, way)->viewport();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(m_card.filePath(given))});
        // A drag that may only move is refused, and a drop is never reported as a move: the file manager
        // would remove what it dragged.
        for (const Qt::DropActions actions : {Qt::DropActions(Qt::MoveAction), Qt::CopyAction | Qt::MoveAction}) {
            QDragEnterEvent enter(target->rect().center(), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop(target->rect().center(), actions, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &enter);
            QCoreApplication::sendEvent(target, &drop);
            QCOMPARE(enter.isAccepted() && drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction,
                     opens && actions != Qt::MoveAction ? Qt::CopyAction : Qt::IgnoreAction);
        }
    }
    QCOMPARE(control<ui::FolderList>(*window, u"dirTrim"_s)->path(),
             opens ? m_card.filePath(u"照片"_s) : m_card.path());
    QCOMPARE(control<QComboBox>(*window, u"driTrim"_s)->currentData().toString(), m_card.path());
    // A folder not moved to leaves the file list on the folder still shown.
    QCOMPARE(listed(*window), opens ? (QStringList{u"a.JPG"_s, u"b.JPG"_s}) : listedBefore);
    const bool told = !opens && (way == u"argument" || atStart);
    QVERIFY(windowShownBehindBox);
    QCOMPARE(boxes.seen.size(), told ? 1 : 0);
    if (told) {
        const QString quoted = given.size() <= 120 ? given : given.left(59) + u'…' + given.right(60);
        QCOMPARE(boxes.seen.front().text, u"无法打开文件夹"_s + quoted + u"，从当前文件夹开始！"_s);
        QVERIFY(boxes.seen.front().fitsScreen);
    }
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::StartFolderTest)
#include "start_folder_test.moc"
