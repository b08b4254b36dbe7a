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

TEST(FileRename, RenamesWithinTheFolder) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    const RenameOutcome outcome = renameOnce(dir.path(), u"a.txt"_s, u"图片.txt"_s);
    EXPECT_EQ(outcome.result, RenameResult::Renamed);
    EXPECT_EQ(dir.entries(), QStringList{u"图片.txt"_s});
    EXPECT_EQ(dir.read(u"图片.txt"_s), QByteArray("a.txt"));
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
enum class Way {
    NoReplace,
    LinkUnlink,
    Claim,
    SshfsPosixRename,
    SshfsNoPosixRename,
    SshfsNoHardLinks,
    SshfsOnlyPlainRename
};

// One mount of each kind for the whole program, at its first use.
const test::FuseSshfs& nas(test::SftpServer server) {
    static const test::FuseSshfs posix(test::SftpServer::PosixRename);
    static const test::FuseSshfs noPosix(test::SftpServer::NoPosixRename);
    static const test::FuseSshfs noLinks(test::SftpServer::NoHardLinks);
    static const test::FuseSshfs plain(test::SftpServer::NoPosixRenameNoHardLinks);
    switch (server) {
    case test::SftpServer::PosixRename:
        return posix;
    case test::SftpServer::NoPosixRename:
        return noPosix;
    case test::SftpServer::NoHardLinks:
        return noLinks;
    case test::SftpServer::NoPosixRenameNoHardLinks:
        break;
    }
    return plain;
}

std::optional<test::SftpServer> serverOf(Way way) {
    switch (way) {
    case Way::SshfsPosixRename:
        return test::SftpServer::PosixRename;
    case Way::SshfsNoPosixRename:
        return test::SftpServer::NoPosixRename;
    case Way::SshfsNoHardLinks:
        return test::SftpServer::NoHardLinks;
    case Way::SshfsOnlyPlainRename:
        return test::SftpServer::NoPosixRenameNoHardLinks;
    default:
        return std::nullopt;
    }
}

class FileRenameWays : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override {
        if (const std::optional<test::SftpServer> server = serverOf(GetParam()); server && !nas(*server).mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas(*server).reason());
        }
    }
    std::unique_ptr<test::TempFolder> folder() const {
        const std::optional<test::SftpServer> server = serverOf(GetParam());
        return server ? std::make_unique<test::TempFolder>(nas(*server).path()) : std::make_unique<test::TempFolder>();
    }
    std::unique_ptr<test::WithoutNoReplace> m_forced =
        GetParam() == Way::LinkUnlink || GetParam() == Way::Claim
            ? std::make_unique<test::WithoutNoReplace>(GetParam() == Way::LinkUnlink)
            : nullptr;
};

std::string labelOf(Way way) {
    constexpr std::array<const char*, 7> kLabels = {"NoReplace",           "LinkUnlink",         "Claim",
                                                    "SshfsPosixRename",    "SshfsNoPosixRename", "SshfsNoHardLinks",
                                                    "SshfsOnlyPlainRename"};
    return kLabels.at(static_cast<std::size_t>(way));
}

RenameWay expectedWay(Way way) {
    switch (way) {
    case Way::NoReplace:
        return RenameWay::NoReplace;
    case Way::SshfsOnlyPlainRename:
        return RenameWay::PlainRefuses;
    default:
        return RenameWay::LinkOrClaim;
    }
}

TEST_P(FileRenameWays, HeldFolderRenamesABatchNeverReplacesAndLeavesNoClaimBehind) {
    const std::unique_ptr<test::TempFolder> scratch = this->folder();
    const test::TempFolder& dir = *scratch;
    dir.touch(u"a"_s);
    dir.touch(u"b"_s);
    dir.makeFolder(u"folder"_s);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(dir.filePath(u"dangling"_s)).constData()), 0);
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    const RenameWay way = probeRenameWay(handle);
    EXPECT_EQ(way, expectedWay(GetParam()));
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
    const std::unique_ptr<test::TempFolder> scratch = this->folder();
    const test::TempFolder& dir = *scratch;
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

INSTANTIATE_TEST_SUITE_P(Ways, FileRenameWays,
                         ::testing::Values(Way::NoReplace, Way::LinkUnlink, Way::Claim, Way::SshfsPosixRename,
                                           Way::SshfsNoPosixRename, Way::SshfsNoHardLinks, Way::SshfsOnlyPlainRename),
                         [](const ::testing::TestParamInfo<Way>& way) { return labelOf(way.param); });

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
            const std::string aside = std::string(to) + ".aside";
            (void)::syscall(SYS_renameat2, folder, to, folder, aside.c_str(), 0);
            dir.write(QString::fromUtf8(to), "rival");
            errno = EPERM;
            return -1;
        });
        FolderHandle handle;
        ASSERT_FALSE(handle.open(dir.path()));
        const RenameOutcome outcome = NoReplaceRenamer(handle).rename(u"photo.jpg"_s, u"new.jpg"_s);
        EXPECT_EQ(outcome.result, RenameResult::Failed);
        EXPECT_EQ(dir.read(u"photo.jpg"_s), QByteArray("photo"));
        if (rivalTakesTheName) {
            EXPECT_EQ(dir.read(u"new.jpg"_s), QByteArray("rival"));
            EXPECT_EQ(dir.entries(), (QStringList{u"new.jpg"_s, u"new.jpg.aside"_s, u"photo.jpg"_s}));
        } else {
            EXPECT_EQ(dir.entries(), QStringList{u"photo.jpg"_s});
        }
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

TEST(FileRename, CaseOnlyChangeIsARealRename) {
    test::TempFolder dir;
    dir.touch(u"abc.txt"_s);
    EXPECT_EQ(renameOnce(dir.path(), u"abc.txt"_s, u"ABC.txt"_s).result, RenameResult::Renamed);
    EXPECT_EQ(dir.entries(), QStringList{u"ABC.txt"_s});
}

} // namespace
} // namespace filarion::platform
