#include "platform/folder_handle.h"
#include "platform/folder_snapshot.h"
#include "support/file_systems.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

// "Café.txt" with é composed, and the same name upper-cased with É decomposed (E and U+0301).
const QString kComposed = u"Caf\u00e9.txt"_s;
const QString kDecomposedUpper = u"CAFE\u0301.TXT"_s;

struct CaseRule {
    NameCase nameCase;
    bool decomposedUpperTaken; // CAFÉ.TXT, decomposed, is the entry Café.txt
    bool composedUpperTaken;   // CAFÉ.TXT, composed
    bool caseOnlyRenameTaken;  // readme.md -> README.md finds the entry itself in the way
};

// The snapshot of one folder under each rule a file system may compare names by: exactly, each unit upper-cased
// (FAT, exFAT), and case-folded after decomposition (an ext4 folder with the case-folding flag). The rule is
// given through the snapshot's own seam, as this machine's kernel may have no case folding.
TEST(FolderSnapshot, ComparesNamesByTheRuleOfTheFolder) {
    test::TempFolder dir;
    dir.touch(kComposed);
    dir.touch(u"readme.md"_s);
    dir.makeFolder(u"Sub"_s);
    FolderHandle folder;
    ASSERT_FALSE(folder.open(dir.path()));
    for (const CaseRule rule :
         {CaseRule{NameCase::Exact, false, false, false}, CaseRule{NameCase::Upper, false, true, true},
          CaseRule{NameCase::CaseFolded, true, true, true}}) {
        SCOPED_TRACE(static_cast<int>(rule.nameCase));
        FolderSnapshot snapshot;
        // A guess of the folder's size, too small or too large, changes no answer.
        const bool small = rule.nameCase == NameCase::Upper;
        snapshot.expectSize(small ? 1 : 1000, small ? 2 : 100000);
        ASSERT_FALSE(snapshot.take(folder, rule.nameCase));
        EXPECT_EQ(snapshot.nameCase(), rule.nameCase);
        EXPECT_EQ(snapshot.size(), 3);
        EXPECT_TRUE(snapshot.isFile(kComposed));
        EXPECT_EQ(snapshot.contains(kDecomposedUpper), rule.decomposedUpperTaken);
        EXPECT_EQ(snapshot.contains(u"CAF\u00c9.TXT"_s), rule.composedUpperTaken);
        EXPECT_EQ(snapshot.contains(u"sub"_s), rule.nameCase != NameCase::Exact);
        EXPECT_FALSE(snapshot.isFile(u"sub"_s));
        EXPECT_EQ(snapshot.rename(u"readme.md"_s, u"README.md"_s),
                  rule.caseOnlyRenameTaken ? RenameResult::TargetExists : RenameResult::Renamed);
        // Renamed under the rule: the old name is free in every case, the new one taken in every case.
        const QString current = rule.caseOnlyRenameTaken ? u"readme.md"_s : u"README.md"_s;
        EXPECT_EQ(snapshot.rename(current, u"Notes.md"_s), RenameResult::Renamed);
        EXPECT_FALSE(snapshot.contains(u"readme.md"_s));
        EXPECT_EQ(snapshot.isFile(u"NOTES.MD"_s), rule.nameCase != NameCase::Exact);
        EXPECT_EQ(snapshot.rename(kComposed, u"notes.MD"_s),
                  rule.nameCase == NameCase::Exact ? RenameResult::Renamed : RenameResult::TargetExists);
    }
    // Without a rule given, this folder (on a file system that compares exactly) tells its own.
    FolderSnapshot told;
    ASSERT_FALSE(told.take(folder));
    EXPECT_EQ(told.nameCase(), NameCase::Exact);
}

// The names a reader will look up are pulled only as far ahead as the snapshot looks (32 past the last one
// found among them), whichever of them are looked up, whatever else is looked up between; the answers are
// those of a snapshot told nothing.
TEST(FolderSnapshot, PullsTheNamesOfComingLookUpsAFixedDistanceAheadAndAnswersAsWithout) {
    test::TempFolder dir;
    constexpr int kNames = 100;
    for (int i = 0; i < kNames; i += 2) {
        dir.touch(u"f%1"_s.arg(i));
    }
    FolderHandle folder;
    ASSERT_FALSE(folder.open(dir.path()));
    FolderSnapshot told;
    FolderSnapshot plain;
    ASSERT_FALSE(told.take(folder));
    ASSERT_FALSE(plain.take(folder));
    QByteArray name;
    int pulled = 0;
    told.expectLookUps([&](QByteArrayView& next) {
        name = "f" + QByteArray::number(pulled);
        next = name;
        return pulled++ < kNames;
    });
    for (int i = 0; i < kNames; i += 3) { // every third name, and one never given after each
        const QString looked = u"f%1"_s.arg(i);
        EXPECT_EQ(told.isFile(looked), plain.isFile(looked));
        EXPECT_EQ(pulled, std::min(i + 1 + 32, kNames + 1)) << i;
        EXPECT_EQ(told.contains(u"g%1"_s.arg(i)), plain.contains(u"g%1"_s.arg(i)));
    }
    told.expectLookUps({});
    EXPECT_TRUE(told.isFile(u"f0"_s));
}

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A real ext4 folder with the case-folding flag, where the kernel has case folding: the snapshot finds the rule
// from the folder's flag.
TEST(FolderSnapshot, FindsTheCaseFoldingFlagOfAnExt4Folder) {
    if (!QFile::exists(u"/sys/fs/ext4/features/casefold"_s)) {
        GTEST_SKIP() << "this kernel has no ext4 case folding; the rule is tested through the snapshot's seam";
    }
    test::TempFolder work;
    const QString image = work.filePath(u"casefold.img"_s);
    const QString mountPoint = work.filePath(u"mnt"_s);
    const QString folded = mountPoint + u"/folded"_s;
    if (::geteuid() != 0 || !QDir().mkpath(mountPoint) || !run(u"truncate"_s, {u"-s"_s, u"32M"_s, image}) ||
        !run(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, u"-O"_s, u"casefold"_s, image}) ||
        !run(u"mount"_s, {u"-o"_s, u"loop"_s, image, mountPoint})) {
        FILARION_SKIP_WITHOUT_REAL_PATH("cannot mount a case-folding ext4 image (needs root and a loop device)");
    }
    const bool flagged = QDir().mkdir(folded) && run(u"chattr"_s, {u"+F"_s, folded});
    if (flagged) {
        QFile file(folded + u"/"_s + kComposed);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    }
    bool taken = false;
    NameCase nameCase = NameCase::Exact;
    bool found = false;
    {
        FolderHandle folder;
        FolderSnapshot snapshot;
        taken = flagged && !folder.open(folded) && !snapshot.take(folder);
        nameCase = snapshot.nameCase();
        found = snapshot.contains(kDecomposedUpper);
    }
    run(u"umount"_s, {mountPoint});
    ASSERT_TRUE(taken);
    EXPECT_EQ(nameCase, NameCase::CaseFolded);
    EXPECT_TRUE(found);
}

} // namespace
} // namespace filarion::platform
