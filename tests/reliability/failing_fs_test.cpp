// A file system that fails under the rename run: a log that cannot be written, a disk that fills up, a folder
// or a file that goes away, a mount that cannot rename safely. Each ends with the window restored and nothing
// lost that the run held.

#include "engine/rename_preview.h"
#include "engine/rename_run.h"
#include "listing/file_list_export.h"
#include "platform/gbk_codec.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

const QString kLog = u"QuillmarkLog.txt"_s;

// A method over four files in list order, and what each becomes; the fill method leaves the longest alone.
struct FaultMethod {
    const char* label;
    engine::RenameRequest request;
    QStringList files;
    QStringList newNames;
};

void PrintTo(const FaultMethod& method, std::ostream* out) {
    *out << method.label;
}

const FaultMethod kMethods[] = {
    {"Replace",
     replaceRequest(u"cad"_s, u"zet"_s),
     {u"cad1.JPG"_s, u"cad2.JPG"_s, u"cad3.JPG"_s, u"cad4.JPG"_s},
     {u"zet1.JPG"_s, u"zet2.JPG"_s, u"zet3.JPG"_s, u"zet4.JPG"_s}},
    {"Prefix",
     prefixRequest(u"zet"_s),
     {u"a.JPG"_s, u"b.JPG"_s, u"c.JPG"_s, u"d.JPG"_s},
     {u"zet0.JPG"_s, u"zet1.JPG"_s, u"zet2.JPG"_s, u"zet3.JPG"_s}},
    {"Fill",
     fillRequest(u"_"_s),
     {u"a.JPG"_s, u"ab.JPG"_s, u"abc.JPG"_s, u"abcd.JPG"_s},
     {u"___a.JPG"_s, u"__ab.JPG"_s, u"_abc.JPG"_s, u"abcd.JPG"_s}},
    {"Insert",
     insertRequest(u"zet"_s, u"0"_s),
     {u"a.JPG"_s, u"b.JPG"_s, u"c.JPG"_s, u"d.JPG"_s},
     {u"zeta.JPG"_s, u"zetb.JPG"_s, u"zetc.JPG"_s, u"zetd.JPG"_s}},
};

std::vector<int> renamable(const FaultMethod& method) {
    std::vector<int> out;
    for (int k = 0; k < method.files.size(); ++k) {
        if (method.files[k] != method.newNames[k]) {
            out.push_back(k);
        }
    }
    return out;
}

// The folder's names afterwards when the entries of `moved` were renamed and the others were not.
QStringList namesAfter(const FaultMethod& method, const std::set<int>& moved, const QStringList& others) {
    QStringList names = others;
    for (int k = 0; k < method.files.size(); ++k) {
        names << (moved.count(k) != 0 ? method.newNames[k] : method.files[k]);
    }
    return sortedNames(names);
}

class FailingFileSystem : public ::testing::TestWithParam<FaultMethod> {};

// The file size limit falls just before, at and just after the end of every line, the header's included,
// and at the start: the program is not ended by the limit, the log keeps the whole lines that fit (a line
// cut short is taken back) and never loses the ones it held, exactly the entries whose lines fit are
// renamed, and neither the one whose line failed nor any after it.
TEST_P(FailingFileSystem, DiskFullForTheLogAtEveryLineStopsTheRunBeforeTheNextRename) {
    const FaultMethod& method = GetParam();
    const QByteArray earlier("earlier\r\n");
    QStringList lines;
    std::vector<qsizetype> ends{earlier.size() + expectedLog({}).size()}; // after the header, then each line
    for (const int k : renamable(method)) {
        lines << doneLine(method.files[k], method.newNames[k]);
        ends.push_back(earlier.size() + expectedLog(lines).size());
    }
    const QByteArray full = earlier + expectedLog(lines);
    std::set<qsizetype> limits{0};
    for (const qsizetype end : ends) {
        limits.insert({end - 1, end, end + 1});
    }
    for (const qsizetype limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        const TempFolder folder;
        createFiles(folder, method.files);
        folder.write(kLog, earlier);
        engine::RenameRequest request = method.request;
        request.Folder = folder.path();
        request.Files = readWorkingSet(folder.path(), u"*.JPG"_s);
        ASSERT_EQ(request.Files, method.files);

        const bool fits = limit >= full.size();
        const int result = waitChild(startChild([&] {
            const rlimit bound{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            ::setrlimit(RLIMIT_FSIZE, &bound);
            std::signal(SIGXFSZ, SIG_DFL);
            RecordingServices services;
            engine::RenameFiles(request, services, fixedEnvironment());
            const QStringList told = fits ? QStringList() : QStringList{logNotWritableMessage()};
            return services.messages == told && services.idle() && services.refreshes == 1 ? 0 : 1;
        }));
        EXPECT_EQ(result, 0) << "the child was told something else, did not end restored or was killed";

        std::set<int> moved;
        for (std::size_t j = 0; j + 1 < ends.size(); ++j) {
            if (limit >= ends[j + 1]) { // its own line fitted, so this entry was renamed
                moved.insert(renamable(method)[j]);
            }
        }
        EXPECT_EQ(folder.entries(), namesAfter(method, moved, {kLog}));
        qsizetype whole = earlier.size();
        for (const qsizetype end : ends) {
            whole = limit >= end ? end : whole;
        }
        EXPECT_EQ(folder.read(kLog), full.left(whole));
        for (int k = 0; k < method.files.size(); ++k) {
            EXPECT_EQ(folder.read(moved.count(k) != 0 ? method.newNames[k] : method.files[k]),
                      method.files[k].toUtf8());
        }
    }
}

// The log is a folder: nothing is renamed, the folder and what it holds stay, one message, restored.
TEST_P(FailingFileSystem, LogThatIsAFolderStopsBeforeAnyRename) {
    const FaultMethod& method = GetParam();
    const TempFolder folder;
    createFiles(folder, method.files);
    folder.makeFolder(kLog);
    folder.write(kLog + u"/inside"_s, "kept");
    const RunOutcome outcome = runRename(folder, method.request, readWorkingSet(folder.path(), u"*.JPG"_s));
    EXPECT_EQ(folder.entries(), namesAfter(method, {}, {kLog}));
    EXPECT_EQ(folder.read(kLog + u"/inside"_s), QByteArray("kept"));
    EXPECT_EQ(outcome.messages, QStringList{logNotWritableMessage()});
    EXPECT_TRUE(outcome.idle);
    EXPECT_EQ(outcome.refreshes, 1);
}

// The log's name is a link, to a file outside the folder, to nothing or to a device: the run is told the log
// cannot be written and renames nothing; nothing outside the folder is written or created, so no one who
// can write into the folder can make the run append to another file of the user.
TEST(FailingFileSystemLog, LogThatIsALinkIsNeverFollowedAndNothingIsRenamed) {
    const TempFolder outside;
    outside.write(u"profile"_s, "outside\n");
    for (const QString& target : {outside.filePath(u"profile"_s), outside.filePath(u"created"_s), u"/dev/null"_s}) {
        SCOPED_TRACE(target.toStdString());
        const TempFolder folder;
        createFiles(folder, {u"cad.JPG"_s});
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(folder.filePath(kLog)).constData()), 0);
        const RunOutcome outcome = runRename(folder, replaceRequest(u"cad"_s, u"zet"_s), {u"cad.JPG"_s});
        EXPECT_EQ(outcome.messages, QStringList{logNotWritableMessage()});
        EXPECT_EQ(folder.entries(), sortedNames({u"cad.JPG"_s, kLog}));
        EXPECT_TRUE(outcome.idle);
        EXPECT_EQ(outside.entries(), QStringList{u"profile"_s});
        EXPECT_EQ(outside.read(u"profile"_s), QByteArray("outside\n"));
    }
}

// A FIFO bearing the log's name, which no one reads: the run does not wait for a reader; it is told once,
// renames nothing and ends restored. It runs in a child with a watchdog, because the fault is a run that
// never ends.
TEST_P(FailingFileSystem, LogThatIsAFifoStopsAtOnceBeforeAnyRename) {
    const FaultMethod& method = GetParam();
    const TempFolder folder;
    createFiles(folder, method.files);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(kLog)).constData(), 0644), 0);
    engine::RenameRequest request = method.request;
    request.Folder = folder.path();
    request.Files = readWorkingSet(folder.path(), u"*.JPG"_s);
    const int result = waitChild(startChild([&] {
        ::alarm(120);
        RecordingServices services;
        engine::RenameFiles(request, services, fixedEnvironment());
        return services.messages == QStringList{logNotWritableMessage()} && services.idle() ? 0 : 1;
    }));
    EXPECT_EQ(result, 0) << (result == 128 + SIGALRM ? "the run waited for a reader" : "the run went otherwise");
    EXPECT_EQ(folder.entries(), namesAfter(method, {}, {kLog}));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder.filePath(kLog)).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Each file in turn vanishes between the listing and its rename: its rename fails with its line and no
// message, and the run goes on with the next.
TEST_P(FailingFileSystem, FileThatVanishedBeforeItsRenameGetsTheFailedLineAndTheRunGoesOn) {
    const FaultMethod& method = GetParam();
    for (const int gone : renamable(method)) {
        SCOPED_TRACE("vanishing entry " + std::to_string(gone));
        const TempFolder folder;
        createFiles(folder, method.files);
        engine::RenameRequest request = method.request;
        request.Folder = folder.path();
        request.Files = readWorkingSet(folder.path(), u"*.JPG"_s);
        HookedServices services;
        services.beforeEntry = [&](int k) {
            if (k == gone) {
                ASSERT_TRUE(QFile::remove(folder.filePath(method.files[k])));
            }
        };
        engine::RenameFiles(request, services, fixedEnvironment());

        QStringList lines;
        std::set<int> moved;
        for (const int k : renamable(method)) {
            if (k == gone) {
                lines << failedLine(method.files[k], method.newNames[k]);
            } else {
                lines << doneLine(method.files[k], method.newNames[k]);
                moved.insert(k);
            }
        }
        QStringList after = namesAfter(method, moved, {kLog});
        after.removeAll(method.files[gone]);
        EXPECT_EQ(folder.entries(), after);
        EXPECT_EQ(folder.read(kLog), expectedLog(lines));
        EXPECT_TRUE(services.messages.isEmpty());
        EXPECT_TRUE(services.idle());
    }
}

// The folder is moved away in the middle of the run: the run holds the folder and its log, not their
// paths, so it goes on in the moved folder and its log there tells all of it.
TEST_P(FailingFileSystem, FolderMovedAwayMidRunKeepsItsFilesAndItsWholeLog) {
    const FaultMethod& method = GetParam();
    const TempFolder parent;
    parent.makeFolder(u"work"_s);
    const QString work = parent.filePath(u"work"_s);
    for (const QString& name : method.files) {
        parent.touch(u"work/"_s + name);
    }
    engine::RenameRequest request = method.request;
    request.Folder = work;
    request.Files = readWorkingSet(work, u"*.JPG"_s);
    HookedServices services;
    services.beforeEntry = [&](int k) {
        if (k == 1) {
            ASSERT_TRUE(QDir().rename(work, parent.filePath(u"moved"_s)));
        }
    };
    engine::RenameFiles(request, services, fixedEnvironment());

    QStringList lines;
    std::set<int> moved;
    for (const int k : renamable(method)) {
        lines << doneLine(method.files[k], method.newNames[k]);
        moved.insert(k);
    }
    EXPECT_EQ(parent.entries(), QStringList{u"moved"_s});
    EXPECT_EQ(QDir(parent.filePath(u"moved"_s)).entryList(QDir::Files, QDir::Name), namesAfter(method, moved, {kLog}));
    EXPECT_EQ(parent.read(u"moved/"_s + kLog), expectedLog(lines));
    EXPECT_TRUE(services.messages.isEmpty());
    EXPECT_TRUE(services.idle());
}

// The folder is emptied and removed in the middle of the run: what is left to rename is gone, the run
// ends without a word and restored.
TEST_P(FailingFileSystem, FolderRemovedMidRunEndsRestored) {
    const FaultMethod& method = GetParam();
    const TempFolder parent;
    parent.makeFolder(u"work"_s);
    const QString work = parent.filePath(u"work"_s);
    for (const QString& name : method.files) {
        parent.touch(u"work/"_s + name);
    }
    engine::RenameRequest request = method.request;
    request.Folder = work;
    request.Files = readWorkingSet(work, u"*.JPG"_s);
    HookedServices services;
    services.beforeEntry = [&](int k) {
        if (k == 1) {
            ASSERT_TRUE(QDir(work).removeRecursively());
        }
    };
    engine::RenameFiles(request, services, fixedEnvironment());
    EXPECT_EQ(services.ticks, method.files.size());
    EXPECT_TRUE(parent.entries().isEmpty());
    EXPECT_TRUE(services.messages.isEmpty());
    EXPECT_TRUE(services.idle());
    EXPECT_EQ(services.refreshes, 1);
}

INSTANTIATE_TEST_SUITE_P(Methods, FailingFileSystem, ::testing::ValuesIn(kMethods),
                         [](const ::testing::TestParamInfo<FaultMethod>& param) {
                             return std::string(param.param.label);
                         });

// A mount where no rename refuses to replace a file and a claim is not safe either (rclone's: a plain rename
// replaces, a hard link answers EIO, and files are uploaded after they close): the run, its preview and the list export
// refuse with one message before anything is written, and the folder is as it was.
void expectRefusedBeforeAnythingIsTouched(const TempFolder& folder, const FaultMethod& method) {
    const QString refusal = u"此文件夹所在的文件系统无法保证改名不覆盖已有文件，未执行改名！"_s;
    for (const QString& name : method.files) {
        folder.write(name, name.toUtf8());
    }

    engine::RenameRequest request = method.request;
    request.Folder = folder.path();
    request.Files = method.files;
    engine::RenamePreview preview;
    EXPECT_EQ(engine::previewRename(request, preview, fixedEnvironment()), refusal);

    const RunOutcome run = runRename(folder, method.request, method.files);
    EXPECT_EQ(run.messages, QStringList{refusal});
    EXPECT_TRUE(run.idle);

    RecordingServices list;
    listing::MakeFileList({u"清单"_s, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(), method.files}, list);
    EXPECT_EQ(list.messages, QStringList{refusal});
    EXPECT_TRUE(list.idle());
    EXPECT_EQ(folder.entries(), sortedNames(method.files)) << "no log, no list, no probe left";
    for (const QString& name : method.files) {
        EXPECT_EQ(folder.read(name), name.toUtf8());
    }
}

TEST_P(FailingFileSystem, RcloneMountRefusesRunPreviewAndListBeforeTouchingAnything) {
    static const FuseRclone mount;
    if (!mount.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE rclone here: " << mount.reason());
    }
    const TempFolder folder(mount.path());
    expectRefusedBeforeAnythingIsTouched(folder, GetParam());
}

} // namespace
} // namespace filarion::test
