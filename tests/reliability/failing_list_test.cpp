// The list export on a file system that fails under it: a disk that fills up, a folder that goes away, an
// exFAT card without unnamed files or atomic swaps, and another program racing for the list's name. Each ends
// with the window restored and nothing lost that the list held.

#include "listing/file_list_export.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

// The disk fills up while the list is written: the old list is left whole, nothing else stays behind, and
// one message comes once the window is restored. With room for all of it, the list is replaced whole.
TEST(FailingFileSystemList, DiskFullWhileTheListIsWrittenLeavesTheOldListWhole) {
    const QString listName = u"清单.txt"_s;
    const QByteArray oldList("old list\r\n");
    QStringList names;
    for (int k = 0; k < 20000; ++k) {
        names << u"photo%1.JPG"_s.arg(k, 5, 10, QChar(u'0'));
    }
    const TempFolder probe;
    QStringList lines{probe.path() + u"/*.JPG文件清单："_s};
    for (int k = 0; k < names.size(); ++k) {
        lines << u"%1.%2"_s.arg(k + 1).arg(names[k]);
    }
    const QByteArray newList = gbkLines(lines);
    for (const qsizetype limit :
         {qsizetype(0), qsizetype(10), newList.size() / 2, newList.size() - 1, newList.size()}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        const TempFolder folder;
        folder.write(listName, oldList);
        const bool fits = limit >= newList.size();
        const listing::FileListRequest request{listName, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(),
                                               names};
        const int result = waitChild(startChild([&] {
            const rlimit bound{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            ::setrlimit(RLIMIT_FSIZE, &bound);
            std::signal(SIGXFSZ, SIG_DFL);
            RecordingServices services;
            services.expectQuestion(listName + u" 已存在，是否覆盖？"_s, true);
            bool restoredWhenTold = true;
            services.onMessage = [&](const QString&) { restoredWhenTold = services.idle(); };
            listing::MakeFileList(request, services);
            const QStringList told = fits ? QStringList() : QStringList{u"清单文件写入失败！"_s};
            return services.messages == told && restoredWhenTold && services.idle() && !services.unexpectedQuestion ? 0
                                                                                                                    : 1;
        }));
        EXPECT_EQ(result, 0) << "the child was told something else or did not end restored";
        EXPECT_EQ(folder.entries(), QStringList{listName});
        QStringList expected = lines;
        expected.front() = folder.path() + u"/*.JPG文件清单："_s;
        EXPECT_TRUE(folder.read(listName) == (fits ? gbkLines(expected) : oldList)) << "the list file differs";
    }
}

// On exFAT through FUSE there are no unnamed files, no hard links and no no-replace rename: the list goes
// through a named temporary file, the rename through a claimed name, and both end as on any disk.
TEST(FailingFileSystemList, ExfatCardTakesTheListAndTheRenameRun) {
    const FuseExfat card;
    if (!card.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << card.reason());
    }
    const TempFolder folder(card.path());
    createFiles(folder, {u"cad1.JPG"_s, u"cad2.JPG"_s});
    folder.write(u"清单.txt"_s, "old");
    RecordingServices services;
    services.expectQuestion(u"清单.txt 已存在，是否覆盖？"_s, true);
    listing::MakeFileList(
        {u"清单"_s, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(), {u"cad1.JPG"_s, u"cad2.JPG"_s}},
        services);
    EXPECT_TRUE(services.messages.isEmpty());
    EXPECT_EQ(folder.read(u"清单.txt"_s),
              gbkLines({folder.path() + u"/*.JPG文件清单："_s, u"1.cad1.JPG"_s, u"2.cad2.JPG"_s}));

    const RunOutcome outcome =
        runRename(folder, replaceRequest(u"cad"_s, u"zet"_s), readWorkingSet(folder.path(), u"*.JPG"_s));
    EXPECT_EQ(outcome.log,
              expectedLog({doneLine(u"cad1.JPG"_s, u"zet1.JPG"_s), doneLine(u"cad2.JPG"_s, u"zet2.JPG"_s)}));
    EXPECT_EQ(folder.entries(), sortedNames({u"QuillmarkLog.txt"_s, u"zet1.JPG"_s, u"zet2.JPG"_s, u"清单.txt"_s}));
}

// Another program at the list's name while the list is written, on a folder of the disk's own and on an
// exFAT card (named temporary files, no atomic swap). Only the very file the user agreed to replace is
// replaced; a rival is never replaced nor moved; no temporary file stays; a replaced list takes no bits of
// the old one.
enum class Rival : std::uint8_t { None, AtTheFreeName, SwappedForTheAgreedFile, AgreedFileRemoved };

struct ListRace {
    const char* label;
    bool oldList;
    Rival rival;
    bool written;
};

class ListRaces : public ::testing::TestWithParam<std::tuple<ListRace, bool>> {};

TEST_P(ListRaces, OnlyTheAgreedFileIsReplaced) {
    const auto& [race, onExfat] = GetParam();
    std::unique_ptr<FuseExfat> card;
    if (onExfat) {
        card = std::make_unique<FuseExfat>();
        if (!card->mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << card->reason());
        }
    }
    const TempFolder folder(onExfat ? card->path() : QString());
    const QStringList names{u"a.JPG"_s, u"b.JPG"_s, u"c.JPG"_s};
    createFiles(folder, names);
    const QByteArray listPath = QFile::encodeName(folder.filePath(u"清单.txt"_s));
    if (race.oldList) {
        folder.write(u"清单.txt"_s, "old");
        ASSERT_EQ(::chmod(listPath.constData(), onExfat ? 0644 : 06777), 0);
    }
    HookedServices services;
    if (race.oldList) {
        services.expectQuestion(u"清单.txt 已存在，是否覆盖？"_s, true);
    }
    services.beforeEntry = [&](int entry) {
        if (entry != 1) {
            return;
        }
        if (race.rival != Rival::None && race.rival != Rival::AtTheFreeName) {
            ASSERT_EQ(::unlink(listPath.constData()), 0);
        }
        if (race.rival == Rival::AtTheFreeName || race.rival == Rival::SwappedForTheAgreedFile) {
            ASSERT_TRUE(createExclusive(listPath, "rival"));
        }
    };
    listing::MakeFileList({u"清单"_s, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(), names}, services);

    EXPECT_EQ(services.messages, race.written ? QStringList() : QStringList{u"清单文件写入失败！"_s});
    EXPECT_EQ(folder.read(u"清单.txt"_s),
              race.written ? gbkLines({folder.path() + u"/*.JPG文件清单："_s, u"1.a.JPG"_s, u"2.b.JPG"_s, u"3.c.JPG"_s})
                           : QByteArray("rival"));
    EXPECT_EQ(folder.entries(), sortedNames(names + QStringList{u"清单.txt"_s}));
    if (race.written && !onExfat) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st {};
        ASSERT_EQ(::stat(listPath.constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666U & ~mask);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListRaces,
    ::testing::Combine(::testing::Values(ListRace{"AgreedFileReplaced", true, Rival::None, true},
                                         ListRace{"FileAtTheFreeName", false, Rival::AtTheFreeName, false},
                                         ListRace{"AgreedFileSwapped", true, Rival::SwappedForTheAgreedFile, false},
                                         ListRace{"AgreedFileRemoved", true, Rival::AgreedFileRemoved, true}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<ListRace, bool>>& param) {
        return std::string(std::get<0>(param.param).label) + (std::get<1>(param.param) ? "_Exfat" : "_Native");
    });

// The folder vanishes after it was listed: the list cannot be written, the user is told once, restored.
TEST(FailingFileSystemList, FolderThatVanishedGivesOneMessage) {
    const TempFolder parent;
    parent.makeFolder(u"gone"_s);
    parent.touch(u"gone/a.JPG"_s);
    const QString gone = parent.filePath(u"gone"_s);
    const QStringList set = readWorkingSet(gone, u"*.JPG"_s);
    ASSERT_EQ(set, QStringList{u"a.JPG"_s});
    ASSERT_TRUE(QDir(gone).removeRecursively());
    RecordingServices services;
    listing::MakeFileList({u"清单"_s, listing::NameForm::WithExtension, u"*.JPG"_s, gone, set}, services);
    EXPECT_EQ(services.messages, QStringList{u"清单文件写入失败！"_s});
    EXPECT_TRUE(services.idle());
    EXPECT_TRUE(parent.entries().isEmpty());
}

} // namespace
} // namespace filarion::test
