#include "support/temp_folder.h"
#include "ui/folder_list.h"
#include "ui_core/command_line.h"
#include "window_test_support.h"

#include <QComboBox>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace filarion::test {

using namespace Qt::StringLiterals;

namespace {

// While it lives, this thread meets folder permissions as a user does: root's overrides are off.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutPermissionOverride() { ::syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
};

} // namespace

// The window on two drives, "/" and a temporary folder standing for a card, started as the program starts it
// with a folder argument, or given a folder dropped from a file manager.
class StartFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void argumentStartsTheWindowThereOrExplainsWhyNot_data();
    void argumentStartsTheWindowThereOrExplainsWhyNot();
    void droppedFolderIsWalkedToFromBothLists();

private:
    TempFolder m_card;
    ListedVolumes m_volumes;
};

void StartFolderTest::initTestCase() {
    m_card.makeFolder(u"照片"_s);
    m_card.touch(u"照片/a.JPG"_s);
    m_card.touch(u"照片/b.JPG"_s);
    m_card.makeFolder(u"锁"_s);
    m_card.touch(u"锁/c.JPG"_s);
    QCOMPARE(::chmod(m_card.filePath(u"锁"_s).toLocal8Bit().constData(), 0), 0);
    m_volumes.list = {{u"/"_s, {}}, {m_card.path(), u"card"_s}};
}

void StartFolderTest::argumentStartsTheWindowThereOrExplainsWhyNot_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("opens");
    QTest::newRow("folder") << u"照片"_s << true;
    QTest::newRow("file in it") << u"照片/a.JPG"_s << true;
    QTest::newRow("missing") << u"不在"_s << false;
    QTest::newRow("unreadable") << u"锁"_s << false;
}

void StartFolderTest::argumentStartsTheWindowThereOrExplainsWhyNot() {
    QFETCH(QString, argument);
    QFETCH(bool, opens);
    const QString given = m_card.filePath(argument);
    const ui::CommandLine line = ui::parseCommandLine({u"filarion"_s, given}, u"3.00"_s);
    QCOMPARE(line.folder, given);
    const auto window = openWindow(m_volumes);
    QVERIFY(window);
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    const QString before = folders->path();
    const QStringList listedBefore = listed(*window);
    BoxAnswerer boxes(window.get());
    {
        const WithoutPermissionOverride asUser;
        window->startIn(*line.folder);
    }
    const auto* drives = control<QComboBox>(*window, u"driTrim"_s);
    if (opens) {
        QCOMPARE(folders->path(), m_card.filePath(u"照片"_s));
        QCOMPARE(drives->currentData().toString(), m_card.path());
        QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.JPG"_s}));
        QVERIFY(boxes.seen.isEmpty());
    } else {
        QCOMPARE(folders->path(), before);
        QCOMPARE(listed(*window), listedBefore);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen.front().text, u"无法打开文件夹"_s + given + u"，从当前文件夹开始！"_s);
    }
}

// What a file manager's drag brings: the folder's URL, with the actions the file manager allows. A folder
// that cannot be listed, or a drag that may only move, is refused and leaves the window where it is.
void StartFolderTest::droppedFolderIsWalkedToFromBothLists() {
    const auto window = openWindow(m_volumes);
    QVERIFY(window);
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    const QString start = folders->path();
    for (auto* list : {static_cast<QListView*>(folders), control<QListView>(*window, u"filTrim"_s)}) {
        QVERIFY(folders->setPath(start));
        const auto drop = [&](const QString& name, Qt::DropActions actions) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(m_card.filePath(name))});
            const QPoint at = list->viewport()->rect().center();
            QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list->viewport(), &enter);
            QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list->viewport(), &dropped);
            return enter.isAccepted() && dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
        };
        QCOMPARE(drop(u"照片"_s, Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(folders->path(), start);
        const WithoutPermissionOverride asUser;
        QCOMPARE(drop(u"锁"_s, Qt::CopyAction | Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(folders->path(), start);
        QCOMPARE(drop(u"照片/b.JPG"_s, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
        QCOMPARE(folders->path(), m_card.filePath(u"照片"_s));
        QCOMPARE(listed(*window), (QStringList{u"a.JPG"_s, u"b.JPG"_s}));
    }
}

} // namespace filarion::test

QTEST_MAIN(filarion::test::StartFolderTest)
#include "start_folder_test.moc"
