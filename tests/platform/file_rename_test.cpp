#include "platform/file_rename.h"
#include "support/file_systems.h"
#include "support/temp_folder.h"

#include <QFile>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

// One rename in the folder, held for it as a run holds its folder.
RenameOutcome renameOnce(const QString& folder, const QString& oldName, const QString& newName) {
    FolderHandle handle;
    if (const std::error_code error = handle.open(folder)) {
        return {RenameResult::Failed, error};
    }
    return NoReplaceRenamer(handle).rename(oldName, newName);
}

// A case-only change is a real rename too.
TEST(FileRename, RenamesWithinTheFolder) {
    for (const auto& [from, to] : {std::pair{u"a.txt"_s, u"图片.txt"_s}, std::pair{u"abc.txt"_s, u"ABC.txt"_s}}) {
        test::TempFolder dir;
        dir.touch(from);
        EXPECT_EQ(renameOnce(dir.path(), from, to).result, RenameResult::Renamed);
        EXPECT_EQ(dir.entries(), QStringList{to});
        EXPECT_EQ(dir.read(to), from.toUtf8());
    }
}

TEST(FileRename, ExistingFileOrFolderIsTargetExistsAndNothingChanges) {
    for (const bool targetIsFolder : {false, true}) {
        test::TempFolder dir;
        dir.touch(u"a.txt"_s);
        if (targetIsFolder) {
            dir.makeFolder(u"b.txt"_s);
        } else {
            dir.touch(u"b.txt"_s);
        }
        const RenameOutcome outcome = renameOnce(dir.path(), u"a.txt"_s, u"b.txt"_s);
        EXPECT_EQ(outcome.result, RenameResult::TargetExists) << targetIsFolder;
        EXPECT_EQ(dir.entries(), (QStringList{u"a.txt"_s, u"b.txt"_s}));
        EXPECT_EQ(dir.read(u"a.txt"_s), QByteArray("a.txt"));
        if (!targetIsFolder) {
            EXPECT_EQ(dir.read(u"b.txt"_s), QByteArray("b.txt"));
        }
    }
}

TEST(FileRename, IdenticalNameSucceedsWithoutTouchingTheDisk) {
    test::TempFolder dir;
    // Not even the file needs to exist: nothing is asked of the disk.
    EXPECT_EQ(renameOnce(dir.path(), u"ghost"_s, u"ghost"_s).result, RenameResult::Renamed);
    EXPECT_TRUE(dir.entries().isEmpty());
}

TEST(FileRename, OtherFailuresCarryTheirError) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    const RenameOutcome gone = renameOnce(dir.path(), u"missing.txt"_s, u"b.txt"_s);
    EXPECT_EQ(gone.result, RenameResult::Failed);
    EXPECT_EQ(gone.error, std::errc::no_such_file_or_directory);

    const RenameOutcome tooLong = renameOnce(dir.path(), u"a.txt"_s, QString(300, u'x'));
    EXPECT_EQ(tooLong.result, RenameResult::Failed);
    EXPECT_EQ(tooLong.error, std::errc::filename_too_long);

    const RenameOutcome noFolder = renameOnce(dir.filePath(u"nope"_s), u"a.txt"_s, u"b.txt"_s);
    EXPECT_EQ(noFolder.result, RenameResult::Failed);
    EXPECT_EQ(dir.entries(), QStringList{u"a.txt"_s});
}

// The same guarantees on every way a rename can go: the file system's no-replace rename; a hard link and
// the removal of the old name where that is refused; and a claimed name where hard links are refused too;
// and on a NAS through sshfs, with and without the server's posix-rename and hard links. The renamer goes the
// way the folder's probe found, as a run does.
struct Way {
    const char* name;
    std::optional<bool> linksWork;       // set: no no-replace rename here, and hard links only where true
    std::optional<test::SftpServer> nas; // set: the folder is on a NAS served so
    RenameWay probed;
};

// One mount of each kind for the whole program, at its first use.
const test::FuseSshfs& nas(test::SftpServer server) {
    static std::array<std::unique_ptr<test::FuseSshfs>, 4> mounts;
    std::unique_ptr<test::FuseSshfs>& mount = mounts.at(static_cast<std::size_t>(server));
    if (!mount) {
        mount = std::make_unique<test::FuseSshfs>(server);
    }
    return *mount;
}

class FileRenameWays : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override {
        if (const std::optional<test::SftpServer> server = GetParam().nas; !server) {
            m_dir = std::make_unique<test::TempFolder>();
        } else if (nas(*server).mounted()) {
            m_dir = std::make_unique<test::TempFolder>(nas(*server).path());
        } else {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas(*server).reason());
        }
    }
    std::unique_ptr<test::WithoutNoReplace> m_forced =
        GetParam().linksWork ? std::make_unique<test::WithoutNoReplace>(*GetParam().linksWork) : nullptr;
    std::unique_ptr<test::TempFolder> m_dir;
};

TEST_P(FileRenameWays, HeldFolderRenamesABatchNeverReplacesAndLeavesNoClaimBehind) {
    const test::TempFolder& dir = *m_dir;
    dir.touch(u"a"_s);
    dir.touch(u"b"_s);
    dir.makeFolder(u"folder"_s);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(dir.filePath(u"dangling"_s)).constData()), 0);
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    const RenameWay way = probeRenameWay(handle);
    EXPECT_EQ(way, GetParam().probed);
    NoReplaceRenamer folder(handle, way);
    EXPECT_EQ(folder.rename(u"a"_s, u"c"_s).result, RenameResult::Renamed);
    EXPECT_EQ(folder.rename(u"b"_s, u"c"_s).result, RenameResult::TargetExists);
    EXPECT_EQ(folder.rename(u"b"_s, u"folder"_s).result, RenameResult::TargetExists);
    EXPECT_EQ(folder.rename(u"b"_s, u"dangling"_s).result, RenameResult::TargetExists);
    EXPECT_EQ(folder.rename(u"gone"_s, u"d"_s).error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(folder.rename(u"b"_s, u"a"_s).result, RenameResult::Renamed);
    EXPECT_EQ(dir.entries(), (QStringList{u"a"_s, u"c"_s, u"dangling"_s, u"folder"_s}));
    EXPECT_EQ(dir.read(u"a"_s), QByteArray("b"));
    EXPECT_EQ(dir.read(u"c"_s), QByteArray("a"));
}

// A name that would not come back from the disk as it was computed is refused before the disk is touched:
// half of a surrogate pair (the file would get U+FFFD in its place) or a NUL (the name would be cut there).
TEST_P(FileRenameWays, NameTheDiskCannotHoldExactlyIsRefusedAndNothingChanges) {
    const test::TempFolder& dir = *m_dir;
    dir.touch(u"\U0001F600.txt"_s);
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    NoReplaceRenamer folder(handle);
    const QString emoji = u"\U0001F600"_s;
    for (const QString& name :
         {emoji.left(1) + u"x"_s + emoji.mid(1) + u".txt"_s, u"a"_s + QChar(0) + u".txt"_s, u"sub/a.txt"_s}) {
        const RenameOutcome outcome = folder.rename(emoji + u".txt"_s, name);
        EXPECT_EQ(outcome.result, RenameResult::Failed);
        EXPECT_EQ(outcome.error, std::errc::illegal_byte_sequence);
    }
    EXPECT_EQ(dir.entries(), QStringList{emoji + u".txt"_s});
}

using test::SftpServer;
INSTANTIATE_TEST_SUITE_P(
    Ways, FileRenameWays,
    ::testing::Values(Way{"NoReplace", {}, {}, RenameWay::NoReplace},
                      Way{"LinkUnlink", true, {}, RenameWay::LinkOrClaim},
                      Way{"Claim", false, {}, RenameWay::LinkOrClaim},
                      Way{"SshfsPosixRename", {}, SftpServer::PosixRename, RenameWay::LinkOrClaim},
                      Way{"SshfsNoPosixRename", {}, SftpServer::NoPosixRename, RenameWay::LinkOrClaim},
                      Way{"SshfsNoHardLinks", {}, SftpServer::NoHardLinks, RenameWay::LinkOrClaim},
                      Way{"SshfsOnlyPlainRename", {}, SftpServer::NoPosixRenameNoHardLinks, RenameWay::PlainRefuses}),
    [](const ::testing::TestParamInfo<Way>& way) { return std::string(way.param.name); });

// A file system whose hard link fails with an error that does not say "no hard links" (rclone's EIO), where
// a plain rename replaces: no way is safe there, and the probe leaves nothing behind.
TEST(RenameProbe, UnexplainedLinkErrorIsUnsafeAndTheProbeLeavesNothing) {
    test::TempFolder dir;
    test::WithoutNoReplace forced;
    forced.failLinksWith(EIO);
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    EXPECT_EQ(probeRenameWay(handle), RenameWay::Unsafe);
    EXPECT_TRUE(dir.entries().isEmpty());
    // A file renamed anyway is refused, untouched.
    dir.touch(u"a"_s);
    EXPECT_EQ(NoReplaceRenamer(handle, RenameWay::Unsafe).rename(u"a"_s, u"b"_s).result, RenameResult::Failed);
    EXPECT_EQ(dir.entries(), QStringList{u"a"_s});
}

// sshfs's rename workaround moves the claim aside for a moment; a program on the NAS takes the name then, and
// the rename fails. The program's file is never removed as if it were the claim; a rename that failed with
// the claim still in place takes the claim away again.
TEST(FileRename, FailedRenameOverTheClaimRemovesOnlyTheProgramsOwnClaim) {
    for (const bool rivalTakesTheName : {true, false}) {
        SCOPED_TRACE(rivalTakesTheName ? "a rival takes the name" : "the rename fails in place");
        test::TempFolder dir;
        dir.write(u"photo.jpg"_s, "photo");
        test::WithoutNoReplace forced;
        forced.replacePlainRename([&](int folder, const char* /*from*/, const char* to) {
            if (!rivalTakesTheName) {
                errno = EIO;
                return -1;
            }
            (void)::syscall(SYS_renameat2, folder, to, folder, (std::string(to) + ".aside").c_str(), 0);
            dir.write(QString::fromUtf8(to), "rival");
            errno = EPERM;
            return -1;
        });
        FolderHandle handle;
        ASSERT_FALSE(handle.open(dir.path()));
        const RenameOutcome outcome = NoReplaceRenamer(handle).rename(u"photo.jpg"_s, u"new.jpg"_s);
        EXPECT_EQ(outcome.result, RenameResult::Failed);
        EXPECT_EQ(dir.read(u"photo.jpg"_s), QByteArray("photo"));
        EXPECT_EQ(dir.entries(), (rivalTakesTheName ? QStringList{u"new.jpg"_s, u"new.jpg.aside"_s, u"photo.jpg"_s}
                                                    : QStringList{u"photo.jpg"_s}));
        EXPECT_EQ(dir.read(u"new.jpg"_s), rivalTakesTheName ? QByteArray("rival") : QByteArray());
    }
}

// One file that takes no hard link (an immutable file, or another user's under fs.protected_hardlinks)
// goes the claiming way alone: the files after it still get the atomic link.
TEST(FileRename, OneFileRefusingAHardLinkDoesNotChangeTheWayOfTheOthers) {
    test::TempFolder dir;
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s}) {
        dir.touch(name);
    }
    const test::WithoutNoReplace forced(true, [](const char* name) { return std::string_view(name) == "a"; });
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    NoReplaceRenamer folder(handle);
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s}) {
        EXPECT_EQ(folder.rename(name, name + u"2"_s).result, RenameResult::Renamed);
    }
    EXPECT_EQ(forced.linkCalls(), 3);
    EXPECT_EQ(dir.entries(), (QStringList{u"a2"_s, u"b2"_s, u"c2"_s}));
}

} // namespace
} // namespace filarion::platform
