#include "support/as_user.h"
#include "support/core_application.h"
#include "support/listed_volumes.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"
#include "ui_core/command_line.h"
#include "ui_core/session.h"

#include <QDir>
#include <QFile>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

struct GivenFolder {
    const char* row;
    QString given; // as typed on the command line, relative to the card
    bool opens;
    bool patternChangedMeanwhile; // the user types another pattern before the folder answers
    bool early = false;           // given before the working folder answered, which it falls back on
    bool atStart = false;         // given when the session is made: the working folder is read only to fall back on
};

// A session on two drives, "/" and a card (a temporary folder, also the working folder), given a folder as the
// program's argument while it stands on the card.
class SessionStart : public testing::TestWithParam<GivenFolder> {
protected:
    SessionStart() {
        test::ensureCoreApplication();
        for (const QString& name : {u"照片/a.JPG"_s, u"照片/b.JPG"_s, u"照片/e.txt"_s, u"锁/c.JPG"_s}) {
            m_card.makeFolder(name.section(u'/', 0, 0));
            m_card.touch(name);
        }
        m_card.touch(u"d.JPG"_s);
        EXPECT_TRUE(QFile::setPermissions(m_card.filePath(u"锁"_s), {}));
        m_before = QDir::currentPath();
        EXPECT_TRUE(QDir::setCurrent(m_card.path()));
        m_volumes.list = {{u"/"_s, {}}, {m_card.path(), u"card"_s}};
    }
    ~SessionStart() override { QDir::setCurrent(m_before); }

    test::TempFolder m_card;
    test::ListedVolumes m_volumes;
    test::RecordingServices m_services;
    QString m_before;
};

TEST_P(SessionStart, GoesToTheFolderOrStaysWhereItStarted) {
    const GivenFolder& row = GetParam();
    const test::WithoutPermissionOverride asUser;
    const std::optional<QString> given = parseCommandLine({u"filarion"_s, row.given}, u"3.00"_s).folder;
    Session session(m_volumes, m_services, row.atStart ? given : std::nullopt);
    QString shown;
    QStringList subfolders;
    QString drive;
    QObject::connect(&session, &Session::folderShown, [&](const QString& folder, const QStringList& names) {
        shown = folder;
        subfolders = names;
    });
    QObject::connect(&session, &Session::driveShown, [&](const QString& root) { drive = root; });
    // It stands in the working folder, the card, whose own file it lists once that folder answers.
    EXPECT_EQ(session.folder(), m_card.path());
    if (!row.early && !row.atStart) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session.starting(); }, 30000));
        EXPECT_EQ(shown, m_card.path());
        EXPECT_EQ(subfolders, (QStringList{u"照片"_s, u"锁"_s}));
        EXPECT_EQ(session.workingSet().names(), QStringList{u"d.JPG"_s});
    }

    if (!row.atStart) {
        session.startIn(*given);
    }
    EXPECT_TRUE(session.starting());
    if (row.patternChangedMeanwhile) {
        session.setPattern(u"*.txt"_s);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.starting(); }, 30000));

    const QString expected = row.opens ? m_card.filePath(u"照片"_s) : m_card.path();
    EXPECT_EQ(session.folder(), expected);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(subfolders, row.opens ? QStringList() : (QStringList{u"照片"_s, u"锁"_s}));
    EXPECT_EQ(session.workingSet().folder(), expected);
    // The drive list is told only of a move.
    EXPECT_EQ(drive, row.opens ? m_card.path() : QString());
    // A folder not moved to leaves the file list on the folder still shown; one read under a pattern typed
    // meanwhile is read again under it.
    const QStringList files =
        row.patternChangedMeanwhile ? QStringList{u"e.txt"_s} : QStringList{u"a.JPG"_s, u"b.JPG"_s};
    EXPECT_EQ(session.workingSet().names(), row.opens ? files : QStringList{u"d.JPG"_s});
    if (row.opens) {
        EXPECT_TRUE(m_services.messages.isEmpty());
        return;
    }
    // A very long one is quoted by its beginning and its end: the window's start-folder test.
    EXPECT_EQ(m_services.messages, QStringList{u"无法打开文件夹"_s + row.given + u"，从当前文件夹开始！"_s});
}

INSTANTIATE_TEST_SUITE_P(Rows, SessionStart,
                         testing::Values(GivenFolder{"Folder", u"照片"_s, true, false},
                                         GivenFolder{"FileRelative", u"照片/a.JPG"_s, true, false},
                                         GivenFolder{"PatternTypedMeanwhile", u"照片"_s, true, true},
                                         GivenFolder{"Missing", u"不在"_s, false, false},
                                         GivenFolder{"Unreadable", u"锁"_s, false, false},
                                         GivenFolder{"MissingEarly", u"不在"_s, false, false, true},
                                         GivenFolder{"NotAFolderEarly", u"d.JPG/x"_s, false, false, true},
                                         GivenFolder{"FileAtStart", u"照片/a.JPG"_s, true, false, false, true},
                                         GivenFolder{"UnreadableAtStart", u"锁"_s, false, false, false, true}),
                         [](const testing::TestParamInfo<GivenFolder>& param) { return std::string(param.param.row); });

} // namespace
} // namespace filarion::ui_core
