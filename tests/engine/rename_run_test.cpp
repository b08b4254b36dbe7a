#include "engine/rename_run.h"
#include "support/engine_run.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

const QString kLog = u"QuillmarkLog.txt"_s;

TEST(RenameRun, FailingValidationShowsItsMessageAndTouchesNothing) {
    const TempFolder folder;
    createFiles(folder, {u"cad.txt"_s});
    engine::RenameRequest request = replaceRequest({}, u"x"_s);
    request.Folder = folder.path();
    request.Files = QStringList{u"cad.txt"_s};
    RecordingServices services;
    engine::RenameFiles(request, services, fixedEnvironment());
    EXPECT_EQ(services.messages, QStringList{u"没有输入替换内容！"_s});
    EXPECT_EQ(services.busyEntered, 0);
    EXPECT_EQ(services.refreshes, 0);
    EXPECT_EQ(folder.entries(), QStringList{u"cad.txt"_s});
}

TEST(RenameRun, RunThatRenamesNothingStillWritesItsHeader) {
    const TempFolder folder;
    const RunOutcome outcome = createAndRun(folder, replaceRequest(u"q"_s, u"x"_s), {u"a.txt"_s});
    EXPECT_EQ(outcome.log, expectedLog({}));
    EXPECT_TRUE(outcome.idle);
    EXPECT_EQ(outcome.refreshes, 1);
}

TEST(RenameRun, TwoRunsAppendTwoHeadersAfterWhatTheLogHeld) {
    const TempFolder folder;
    createFiles(folder, {u"cad.txt"_s});
    folder.write(kLog, "earlier\r\n");
    runRename(folder, replaceRequest(u"cad"_s, u"zet"_s), {u"cad.txt"_s});
    const RunOutcome second = runRename(folder, replaceRequest(u"cad"_s, u"zet"_s), {u"zet.txt"_s, kLog});
    EXPECT_EQ(second.files, QStringList{u"zet.txt"_s});
    EXPECT_EQ(second.log, "earlier\r\n" + expectedLog({doneLine(u"cad.txt"_s, u"zet.txt"_s)}) + expectedLog({}));
}

struct ProgressCase {
    const char* label;
    QStringList files;
    std::vector<int> progress;
};

class RunProgress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(RunProgress, BarMovesForEveryEntrySkippedOnesIncludedAndEndsAtZero) {
    const TempFolder folder;
    const RunOutcome outcome = createAndRun(folder, prefixRequest(u"zet"_s), GetParam().files);
    EXPECT_EQ(outcome.progress, GetParam().progress);
    EXPECT_TRUE(outcome.idle);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, RunProgress,
    ::testing::Values(
        ProgressCase{"OneEntryLeavesTheBar", {u"a.txt"_s}, {}},
        ProgressCase{"ThreeEntries", {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}, {0, 50, 100}},
        ProgressCase{"FiveEntries", {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s, u"e.txt"_s}, {0, 25, 50, 75, 100}},
        ProgressCase{"FiveEntriesTwoSkipped",
                     {u"a.txt"_s, u"prog.exe"_s, u"b.txt"_s, u"QuillmarkLog.txt"_s, u"c.txt"_s},
                     {0, 25, 50, 75, 100}}),
    [](const ::testing::TestParamInfo<ProgressCase>& param) { return std::string(param.param.label); });

TEST(RenameRun, ProgramFileAndLogInCapitalsSkippedAndNotNumbered) {
    const TempFolder folder;
    const QStringList list{u"a.txt"_s, u"PROG.EXE"_s, u"b.txt"_s, u"QUILLMARKLOG.TXT"_s, u"c.txt"_s};
    const RunOutcome outcome = createAndRun(folder, prefixRequest(u"zet"_s), list);
    EXPECT_EQ(outcome.files,
              sortedNames({u"zet0.txt"_s, u"PROG.EXE"_s, u"zet1.txt"_s, u"QUILLMARKLOG.TXT"_s, u"zet2.txt"_s}));
    EXPECT_EQ(outcome.log, expectedLog({doneLine(u"a.txt"_s, u"zet0.txt"_s), doneLine(u"b.txt"_s, u"zet1.txt"_s),
                                        doneLine(u"c.txt"_s, u"zet2.txt"_s)}));
    EXPECT_EQ(folder.read(u"QUILLMARKLOG.TXT"_s), QByteArray("QUILLMARKLOG.TXT"));
    EXPECT_EQ(folder.read(u"PROG.EXE"_s), QByteArray("PROG.EXE"));
}

TEST(RenameRun, ProgramWithoutANameSkipsNoFile) {
    const TempFolder folder;
    createFiles(folder, {u".cfg"_s, u"a.txt"_s});
    const RunOutcome outcome =
        runRename(folder, prefixRequest(u"zet"_s), {u".cfg"_s, u"a.txt"_s}, fixedEnvironment(QString()));
    EXPECT_EQ(outcome.files, sortedNames({u"zet0.cfg"_s, u"zet1.txt"_s}));
}

TEST(RenameRun, EachLineReachesTheFileBeforeTheNextRenameAndAfterItsMessage) {
    const TempFolder folder;
    createFiles(folder, {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"zet2.txt"_s});
    engine::RenameRequest request = prefixRequest(u"zet"_s);
    request.Folder = folder.path();
    request.Files = QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s};
    RecordingServices services;
    QByteArray logWhileShown;
    services.onMessage = [&](const QString&) { logWhileShown = folder.read(kLog); };
    engine::RenameFiles(request, services, fixedEnvironment());

    const QStringList done{doneLine(u"a.txt"_s, u"zet0.txt"_s), doneLine(u"b.txt"_s, u"zet1.txt"_s)};
    EXPECT_EQ(services.messages, QStringList{takenMessage(u"c.txt"_s, u"zet2.txt"_s)});
    EXPECT_EQ(logWhileShown, expectedLog(done));
    EXPECT_EQ(folder.read(kLog), expectedLog(done + QStringList{takenLine(u"c.txt"_s, u"zet2.txt"_s)}));
}

// Counts and indexes are 32-bit: every entry of a list longer than 32,767 is renamed and numbered, the
// log's index beyond 16 bits included. The files are hard links of one file, which the file system
// makes much faster than as many new files.
TEST(RenameRun, MoreThan32767EntriesAreAllNumbered) {
    const TempFolder folder;
    folder.touch(u"f00000.txt"_s);
    const QByteArray first = QFile::encodeName(folder.filePath(u"f00000.txt"_s));
    const int renamable = 32769;
    QStringList list;
    QStringList expectedNames;
    QStringList lines;
    for (int k = 0; k < renamable; ++k) {
        const QString name = u"f%1.txt"_s.arg(k, 5, 10, QChar(u'0'));
        const QString newName = u"zet%1.txt"_s.arg(k, 5, 10, QChar(u'0'));
        if (k > 0) {
            ASSERT_EQ(::link(first.constData(), QFile::encodeName(folder.filePath(name)).constData()), 0);
        }
        if (k == 32768) {
            list << kLog;
        }
        list << name;
        expectedNames << newName;
        lines << doneLine(name, newName);
    }
    const RunOutcome outcome = runRename(folder, prefixRequest(u"zet"_s), list);
    EXPECT_EQ(outcome.files, sortedNames(expectedNames));
    EXPECT_TRUE(outcome.log == expectedLog(lines)) << "the log differs";
    EXPECT_EQ(outcome.progress.back(), 100);
}

// A folder gone before the run and a name the file system refuses; the log faults of every method are
// the failing file system tests'.

TEST(RenameRun, VanishedFolderGivesOneMessage) {
    const TempFolder folder;
    const QString path = folder.path() + u"/gone"_s;
    ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_TRUE(QDir(path).removeRecursively());
    engine::RenameRequest request = prefixRequest(u"zet"_s);
    request.Folder = path;
    request.Files = QStringList{u"a.txt"_s};
    RecordingServices services;
    engine::RenameFiles(request, services, fixedEnvironment());
    EXPECT_EQ(services.messages, QStringList{logNotWritableMessage()});
    EXPECT_TRUE(services.idle());
    EXPECT_FALSE(QDir(path).exists());
}

TEST(RenameRun, NameTooLongForTheFileSystemGetsTheFailedLineAndTheRunGoesOn) {
    const TempFolder folder;
    const QString text(248, u'x'); // 8 + 248 + 4 bytes are beyond the 255 a name may have; 1 + 248 + 4 are not
    const RunOutcome outcome = createAndRun(folder, insertRequest(text, u"9"_s), {u"abcdefgh.txt"_s, u"a.txt"_s});
    EXPECT_EQ(outcome.files, sortedNames({u"abcdefgh.txt"_s, u"a"_s + text + u".txt"_s}));
    EXPECT_EQ(outcome.log, expectedLog({failedLine(u"abcdefgh.txt"_s, u"abcdefgh"_s + text + u".txt"_s),
                                        doneLine(u"a.txt"_s, u"a"_s + text + u".txt"_s)}));
    EXPECT_TRUE(outcome.messages.isEmpty());
}

} // namespace
} // namespace filarion::test
