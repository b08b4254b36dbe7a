// Network folders under a kill and a full disk: what a killed two-step rename leaves is cleared by the next
// run or undo, and nothing else; a full disk on the NAS leaves no rename without its line.

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

const QString kLog = u"QuillmarkLog.txt"_s;

// The NAS's disk fills while the run writes its log: sshfs takes a write before the server has written it, so
// only a line synced to the server before its rename keeps every rename on record. The server's folder is a
// small tmpfs that the log outgrows; the sync of each batch of lines reports the server's failure before the
// batch's renames are made.
TEST(FailingFileSystemNas, DiskFullOnTheServerLeavesNoRenameWithoutItsLine) {
    if (::geteuid() != 0) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: needs root for the server's small disk");
    }
    const TempFolder disk;
    const QByteArray diskPath = QFile::encodeName(disk.path());
    if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=16k"_s, u"tmpfs"_s, disk.path()}) != 0) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: a small tmpfs cannot be mounted");
    }
    const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {u"-l"_s, disk.path()}); });
    QStringList files;
    for (int k = 0; k < 300; ++k) {
        files << u"photo_with_a_rather_long_name_%1.jpg"_s.arg(k, 3, 10, QChar(u'0'));
        ASSERT_TRUE(createExclusive(diskPath + '/' + QFile::encodeName(files.last()), {}));
    }
    const FuseSshfs nas(SftpServer::PosixRename, disk.path());
    if (!nas.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas.reason());
    }
    engine::RenameRequest request = replaceRequest(u"photo"_s, u"nas_photo"_s);
    request.Folder = nas.path();
    request.Files = files;
    RecordingServices services;
    engine::RenameFiles(request, services, fixedEnvironment());
    EXPECT_EQ(services.messages, QStringList{logNotWritableMessage()});

    const QByteArray log = readBytes(diskPath + "/QuillmarkLog.txt").value_or(QByteArray());
    int renamed = 0;
    for (const QString& name : files) {
        if (QFile::exists(disk.filePath(u"nas_"_s + name))) {
            ++renamed;
            EXPECT_TRUE(log.contains(gbkLines({doneLine(name, u"nas_"_s + name)})))
                << name.toStdString() << " renamed without its line; the log ends "
                << log.right(200).toPercentEncoding().toStdString() << " of " << log.size();
        }
    }
    EXPECT_GT(renamed, 0);
    EXPECT_LT(renamed, files.size());
}

// What a kill between the two steps of a rename leaves, and what the next run or undo in the folder makes
// of it: only the pair the log's last run names, only where both names hold the one photo or the new name
// holds the program's marked claim (empty, without permission bits).
enum class Debris { HardLinkPair, CopyUnderNewName, MarkedClaim, UnmarkedEmptyFile, PairOfAnEndedRun };

struct DebrisRow {
    const char* label;
    Debris debris;
    bool removesOldName; // the old name goes: the rename is complete
    bool removesNewName; // the claim goes: the rename is as never begun
};

const DebrisRow kDebris[] = {
    {"HardLinkPair", Debris::HardLinkPair, true, false},
    {"CopyUnderNewName", Debris::CopyUnderNewName, false, false}, // two files here: a copy is not the photo
    {"MarkedClaim", Debris::MarkedClaim, false, true},
    {"UnmarkedEmptyFile", Debris::UnmarkedEmptyFile, false, false},
    {"PairOfAnEndedRun", Debris::PairOfAnEndedRun, false, false},
};

void PrintTo(const DebrisRow& row, std::ostream* out) {
    *out << row.label;
}

// The folder a kill left: "old.JPG" (the photo) and what lies at "new.JPG", with the log's last run ending
// in the line that renames the one to the other.
void leaveDebris(const TempFolder& folder, Debris debris) {
    folder.write(u"old.JPG"_s, "photo");
    const QByteArray newPath = QFile::encodeName(folder.filePath(u"new.JPG"_s));
    if (debris == Debris::HardLinkPair || debris == Debris::PairOfAnEndedRun) {
        ASSERT_EQ(::link(QFile::encodeName(folder.filePath(u"old.JPG"_s)).constData(), newPath.constData()), 0);
    } else {
        folder.write(u"new.JPG"_s, debris == Debris::CopyUnderNewName ? "photo" : "");
        ASSERT_EQ(::chmod(newPath.constData(), debris == Debris::MarkedClaim ? 0 : 0644), 0);
    }
    const QByteArray ended = debris == Debris::PairOfAnEndedRun ? expectedLog({}) : QByteArray();
    folder.write(kLog, expectedLog({doneLine(u"old.JPG"_s, u"new.JPG"_s)}) + ended);
}

class RunDebris : public ::testing::TestWithParam<std::tuple<DebrisRow, bool>> {};

TEST_P(RunDebris, NextRunOrUndoClearsOnlyTheKilledRenamesOwnDebris) {
    const DebrisRow& row = std::get<0>(GetParam());
    const bool byUndo = std::get<1>(GetParam());
    const TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(leaveDebris(folder, row.debris));
    RecordingServices services;
    if (!byUndo) {
        runRename(folder, replaceRequest(u"zzz"_s, u"yyy"_s), {u"other.JPG"_s});
    } else {
        if (row.removesOldName) { // completed, the rename is one the undo can take back
            services.expectQuestion(u"将把上次改名的 1 个文件改回原名，是否继续？"_s, true);
        }
        engine::undoLastRun(folder.path(), services, fixedEnvironment());
    }
    const bool undone = byUndo && row.removesOldName; // completed, then taken back
    QStringList expected{kLog};
    if (undone || !row.removesOldName) {
        expected << u"old.JPG"_s;
    }
    if (!undone && !row.removesNewName) {
        expected << u"new.JPG"_s;
    }
    EXPECT_EQ(folder.entries(), sortedNames(expected));
    EXPECT_EQ(folder.read(row.removesOldName && !byUndo ? u"new.JPG"_s : u"old.JPG"_s), QByteArray("photo"));
}

INSTANTIATE_TEST_SUITE_P(Kills, RunDebris, ::testing::Combine(::testing::ValuesIn(kDebris), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<DebrisRow, bool>>& param) {
                             return std::string(std::get<0>(param.param).label) +
                                    (std::get<1>(param.param) ? "_Undo" : "_Run");
                         });

} // namespace
} // namespace filarion::test
