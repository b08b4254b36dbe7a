// Network folders and cards under a kill and a full disk: of what a killed command leaves, the next run or
// undo removes the program's own files and nothing else; a full disk on the NAS leaves no rename without its
// line.

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "engine/undo_support.h"
#include "platform/own_files.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

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

// What a killed command may leave, and what the next run or undo in the folder makes of it: only the
// program's own files go (a claim whose content is a command's mark, at the new name of a line of the last run;
// the rename-way test's files), never a name of anybody else's file, whatever state the names are in. On this
// machine's disk, on an exFAT card (names compared without letter case, no modes kept) and on a NAS.
enum class AtNewName { Nothing, SameFile, Copy, ProgramsClaim, EmptyModeZero };
enum class DebrisFs { Local, Exfat, Sshfs };

struct DebrisRow {
    const char* label;
    QString oldName;
    QString newName;
    AtNewName at;
    bool lineOfEndedRun = false; // the line is of a run before the last one
    bool killInsideTheTest = false;
    bool claimGoes = false;
};

const DebrisRow kDebris[] = {
    {"PhotoUnderTwoNames", u"old.JPG"_s, u"new.JPG"_s, AtNewName::SameFile}, // a kill between link and unlink
    {"CopyUnderNewName", u"old.JPG"_s, u"new.JPG"_s, AtNewName::Copy},
    {"ProgramsClaim", u"old.JPG"_s, u"new.JPG"_s, AtNewName::ProgramsClaim, false, false, true},
    {"ClaimOfAnEndedRun", u"old.JPG"_s, u"new.JPG"_s, AtNewName::ProgramsClaim, true},
    {"EmptyModeZeroFile", u"old.JPG"_s, u"new.JPG"_s, AtNewName::EmptyModeZero},
    {"CaseOnlyLine", u"img0.JPG"_s, u"IMG0.JPG"_s, AtNewName::Nothing}, // one entry on exFAT: the only copy
    {"KilledInsideTheRenameWayTest", u"old.JPG"_s, u"new.JPG"_s, AtNewName::Nothing, false, true},
};

engine::RenameRequest replaceRequestIn(const QString& folder, const QStringList& files) {
    engine::RenameRequest request = replaceRequest(u"zzz"_s, u"yyy"_s);
    request.Folder = folder;
    request.Files = files;
    return request;
}

const FuseExfat& debrisCard() {
    static const FuseExfat card;
    return card;
}

const FuseSshfs& debrisNas() {
    static const FuseSshfs mount(SftpServer::NoHardLinks);
    return mount;
}

using DebrisParam = std::tuple<DebrisRow, DebrisFs, bool>;

// Every row on every file system, run and undo, but the kill inside the rename-way test where there is such a
// test (FUSE).
std::vector<DebrisParam> debrisParams() {
    std::vector<DebrisParam> params;
    for (const DebrisRow& row : kDebris) {
        for (const DebrisFs fs : {DebrisFs::Local, DebrisFs::Exfat, DebrisFs::Sshfs}) {
            for (const bool byUndo : {false, true}) {
                if (!row.killInsideTheTest || fs != DebrisFs::Local) {
                    params.emplace_back(row, fs, byUndo);
                }
            }
        }
    }
    return params;
}

// The folder a kill left: the photo under the line's old name, what lies at its new name, and "b.JPG" renamed
// from "a.JPG" by the same run before (or, for a line of an ended run, by the run after it).
void leaveDebris(const TempFolder& folder, const DebrisRow& row) {
    folder.write(row.oldName, "photo");
    folder.write(u"b.JPG"_s, "another photo");
    const QByteArray newPath = QFile::encodeName(folder.filePath(row.newName));
    const QByteArray oldPath = QFile::encodeName(folder.filePath(row.oldName));
    if (row.at == AtNewName::SameFile && ::link(oldPath.constData(), newPath.constData()) == 0) {
        // a hard link; where the file system takes none, the client shows two files anyway: a copy below
    } else if (row.at == AtNewName::SameFile || row.at == AtNewName::Copy) {
        folder.write(row.newName, "photo");
    } else if (row.at == AtNewName::ProgramsClaim) {
        folder.write(row.newName, platform::CommandMark().bytes().toByteArray());
    } else if (row.at == AtNewName::EmptyModeZero) {
        folder.write(row.newName, {});
        ASSERT_EQ(::chmod(newPath.constData(), 0), 0);
    }
    const QString debrisLine = doneLine(row.oldName, row.newName);
    const QString otherLine = doneLine(u"a.JPG"_s, u"b.JPG"_s);
    folder.write(kLog, row.lineOfEndedRun ? expectedLog({debrisLine}) + expectedLog({otherLine})
                                          : expectedLog({otherLine, debrisLine}));
}

class RunDebris : public ::testing::TestWithParam<DebrisParam> {
protected:
    void SetUp() override {
        if (fs() == DebrisFs::Exfat && !debrisCard().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << debrisCard().reason());
        }
        if (fs() == DebrisFs::Sshfs && !debrisNas().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << debrisNas().reason());
        }
    }
    DebrisFs fs() const { return std::get<1>(GetParam()); }
    QString base() const {
        return fs() == DebrisFs::Exfat ? debrisCard().path() : fs() == DebrisFs::Sshfs ? debrisNas().path() : QString();
    }
};

TEST_P(RunDebris, NextRunOrUndoRemovesOnlyTheProgramsOwnFiles) {
    const DebrisRow& row = std::get<0>(GetParam());
    const bool byUndo = std::get<2>(GetParam());
    const std::unique_ptr<TempFolder> made =
        base().isEmpty() ? std::make_unique<TempFolder>() : std::make_unique<TempFolder>(base());
    const TempFolder& folder = *made;
    ASSERT_NO_FATAL_FAILURE(leaveDebris(folder, row));
    if (row.killInsideTheTest) {
        // A command killed while it tests the folder's rename way, after the test's files were made.
        const pid_t child = startChild([&] {
            WithoutNoReplace forced;
            forced.replacePlainRename([](int, const char*, const char*) { return ::raise(SIGKILL); });
            SilentServices services;
            engine::RenameFiles(replaceRequestIn(folder.path(), {u"b.JPG"_s}), services, fixedEnvironment());
            return 0;
        });
        ASSERT_EQ(waitChild(child), 128 + SIGKILL);
        const QStringList left = folder.entries();
        ASSERT_TRUE(std::any_of(left.begin(), left.end(),
                                [](const QString& name) { return name.startsWith(u".filarion-probe-"_s); }));
    }
    const QByteArray logBefore = folder.read(kLog);
    RecordingServices services;
    bool leftAlone = false;
    if (!byUndo) {
        engine::RenameFiles(replaceRequestIn(folder.path(), {u"b.JPG"_s}), services, fixedEnvironment());
        EXPECT_EQ(services.messages, QStringList{});
    } else {
        services.expectQuestion(undoQuestion(1), true);
        engine::undoLastRun(folder.path(), services, fixedEnvironment());
        // The debris line names a file still under both names, or beside a file of anybody's: not restored.
        leftAlone = !row.lineOfEndedRun &&
                    (row.at == AtNewName::SameFile || row.at == AtNewName::Copy || row.at == AtNewName::EmptyModeZero);
        EXPECT_EQ(services.messages, leftAlone ? QStringList{undoIncomplete(1)} : QStringList{});
    }
    QStringList expected{kLog, row.oldName, byUndo ? u"a.JPG"_s : u"b.JPG"_s};
    if (row.at != AtNewName::Nothing && !row.claimGoes) {
        expected << row.newName;
    }
    EXPECT_EQ(folder.entries(), sortedNames(expected));
    EXPECT_EQ(folder.read(row.oldName), QByteArray("photo"));
    EXPECT_TRUE(folder.read(kLog).startsWith(logBefore));
}

INSTANTIATE_TEST_SUITE_P(Kills, RunDebris, ::testing::ValuesIn(debrisParams()),
                         [](const ::testing::TestParamInfo<DebrisParam>& param) {
                             const DebrisFs fs = std::get<1>(param.param);
                             return std::string(std::get<0>(param.param).label) +
                                    (fs == DebrisFs::Local   ? "_Local"
                                     : fs == DebrisFs::Exfat ? "_Exfat"
                                                             : "_Sshfs") +
                                    (std::get<2>(param.param) ? "_Undo" : "_Run");
                         });

} // namespace
} // namespace filarion::test
