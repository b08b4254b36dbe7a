#include "platform/file_rename.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

TEST(FileRename, RenamesWithinTheFolder) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    const RenameOutcome outcome = renameNoReplace(dir.path(), u"a.txt"_s, u"图片.txt"_s);
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
        const RenameOutcome outcome = renameNoReplace(dir.path(), u"a.txt"_s, u"b.txt"_s);
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
    EXPECT_EQ(renameNoReplace(dir.path(), u"ghost"_s, u"ghost"_s).result, RenameResult::Renamed);
    EXPECT_TRUE(dir.entries().isEmpty());
}

TEST(FileRename, OtherFailuresCarryTheirError) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    const RenameOutcome gone = renameNoReplace(dir.path(), u"missing.txt"_s, u"b.txt"_s);
    EXPECT_EQ(gone.result, RenameResult::Failed);
    EXPECT_EQ(gone.error, std::errc::no_such_file_or_directory);

    const RenameOutcome tooLong = renameNoReplace(dir.path(), u"a.txt"_s, QString(300, u'x'));
    EXPECT_EQ(tooLong.result, RenameResult::Failed);
    EXPECT_EQ(tooLong.error, std::errc::filename_too_long);

    const RenameOutcome noFolder = renameNoReplace(dir.filePath(u"nope"_s), u"a.txt"_s, u"b.txt"_s);
    EXPECT_EQ(noFolder.result, RenameResult::Failed);
    EXPECT_EQ(dir.entries(), QStringList{u"a.txt"_s});
}

TEST(FileRename, HeldFolderRenamesABatchAndSeesEarlierRenames) {
    test::TempFolder dir;
    dir.touch(u"a"_s);
    dir.touch(u"b"_s);
    RenameFolder folder;
    ASSERT_FALSE(folder.open(dir.path()));
    EXPECT_EQ(folder.rename(u"a"_s, u"c"_s).result, RenameResult::Renamed);
    EXPECT_EQ(folder.rename(u"b"_s, u"c"_s).result, RenameResult::TargetExists);
    EXPECT_EQ(folder.rename(u"b"_s, u"a"_s).result, RenameResult::Renamed);
    EXPECT_EQ(dir.entries(), (QStringList{u"a"_s, u"c"_s}));
    EXPECT_EQ(dir.read(u"a"_s), QByteArray("b"));
    EXPECT_EQ(dir.read(u"c"_s), QByteArray("a"));
}

TEST(FileRename, CaseOnlyChangeIsARealRename) {
    test::TempFolder dir;
    dir.touch(u"abc.txt"_s);
    EXPECT_EQ(renameNoReplace(dir.path(), u"abc.txt"_s, u"ABC.txt"_s).result, RenameResult::Renamed);
    EXPECT_EQ(dir.entries(), QStringList{u"ABC.txt"_s});
}

} // namespace
} // namespace filarion::platform
