// The undo against logs written by hand, one decided case per row, and the undo's rules one by one: how far
// back it reads, a No, a log that is a link, and a folder that changes while the question is open.

#include "engine/undo_run.h"
#include "support/engine_run.h"
#include "undo_support.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

// The undo of a log written by hand, one decided case per row: the lines after the last header, the folder
// before the undo, and what the folder, the undo's lines and the messages are afterwards.
struct UndoCase {
    const char* label;
    QStringList log; // without line ends; a last entry starting with '~' is written without its CR LF
    QStringList files;
    QStringList after;
    QStringList undoLines; // after the undo's header; empty when nothing is written
    QStringList messages;
};

class Undo : public ::testing::TestWithParam<UndoCase> {};

TEST_P(Undo, TakesBackExactlyTheLinesThatNameOneFile) {
    const UndoCase& row = GetParam();
    const TempFolder folder;
    createFiles(folder, row.files);
    QStringList whole = row.log;
    QByteArray tail;
    if (!whole.isEmpty() && whole.last().startsWith(u'~')) {
        tail = gbkLines({whole.takeLast().mid(1)}).chopped(2);
    }
    const QByteArray log = gbkLines(whole) + tail;
    folder.write(kLog, log);
    YesServices services;
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    QStringList files = folder.entries();
    files.removeAll(kLog);
    EXPECT_EQ(files, sortedNames(row.after));
    EXPECT_EQ(services.messages, row.messages);
    EXPECT_EQ(folder.read(kLog), row.undoLines.isEmpty() ? log : log + expectedLog(row.undoLines));
    for (const QString& name : files) {
        EXPECT_EQ(folder.read(name).isEmpty(), false) << name.toStdString();
    }
}

const QString kOld = u"1/1/1 00:00:00 Quill Mark Log:"_s;

INSTANTIATE_TEST_SUITE_P(
    Cases, Undo,
    ::testing::Values(
        UndoCase{"OnlyTheLastRunAndInReverseOrder",
                 {kOld, u"x.txt改名为y.txt！"_s, kOld, u"b.txt改名为c.txt！"_s, u"a.txt改名为b.txt！"_s},
                 {u"b.txt"_s, u"c.txt"_s, u"y.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"y.txt"_s},
                 {u"b.txt改名为a.txt！"_s, u"c.txt改名为b.txt！"_s},
                 {}},
        UndoCase{"RefusalsAndSameNamesAreNoRenames",
                 {kOld, u"a.txt改名为b.txt，因重名未执行！"_s, u"c改名为.txt，因非法未执行！"_s,
                  u"d.txt改名为e.txt，因出错未执行！"_s, u"zet0.txt改名为zet0.txt！"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"zet0.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"zet0.txt"_s},
                 {},
                 {kNothingToUndo}},
        UndoCase{"NoHeaderNoRun", {u"a.txt改名为b.txt！"_s}, {u"b.txt"_s}, {u"b.txt"_s}, {}, {kNothingToUndo}},
        UndoCase{"RenamedToInANameIsSplitWhereTheDiskAgrees",
                 {kOld, u"改名为a.txt改名为b改名为.txt！"_s},
                 {u"b改名为.txt"_s},
                 {u"改名为a.txt"_s},
                 {u"b改名为.txt改名为改名为a.txt！"_s},
                 {}},
        UndoCase{"TwoSplitsThatBothFitAreLeftAlone",
                 {kOld, u"a改名为b改名为c！"_s, u"x改名为y！"_s},
                 {u"c"_s, u"b改名为c"_s, u"y"_s},
                 {u"c"_s, u"b改名为c"_s, u"x"_s},
                 {u"y改名为x！"_s},
                 {undoIncomplete(1)}},
        UndoCase{"QuestionMarksAndTornLinesAreLeftAlone",
                 {kOld, u"a?.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s, u"~e.txt改名为f.t"_s},
                 {u"b.txt"_s, u"d.txt"_s, u"f.txt"_s},
                 {u"b.txt"_s, u"c.txt"_s, u"f.txt"_s},
                 {u"d.txt改名为c.txt！"_s},
                 {undoIncomplete(1)}},
        UndoCase{"AnEndingInsideANameIsReadAgainstTheFolderAndALastLineAheadOfItsRenameIsNone",
                 {kOld, u"q改名为q，因重名未执行！"_s, u"r改名为r，因重名未执行！"_s},
                 {u"q，因重名未执行"_s, u"r"_s},
                 {u"q"_s, u"r"_s},
                 {u"q，因重名未执行改名为q！"_s},
                 {}},
        UndoCase{"NeverFromOrToTheLogOrTheProgramNorFromOrToAHiddenOrControlName",
                 {kOld, u"a改名为QuillmarkLog.txt！"_s, u"prog.txt改名为b！"_s, u"c改名为prog！"_s, u".d改名为e！"_s,
                  u"bashrc改名为.bashrc！"_s, u"t\tu改名为v！"_s, u"w\x1b改名为x！"_s, u"f改名为g！"_s},
                 {u"b"_s, u"prog"_s, u"e"_s, u".bashrc"_s, u"v"_s, u"x"_s, u"g"_s},
                 {u"b"_s, u"prog"_s, u"e"_s, u".bashrc"_s, u"v"_s, u"x"_s, u"f"_s},
                 {u"g改名为f！"_s},
                 {undoIncomplete(7)}},
        UndoCase{"AHeaderAfterZerosLongerThanALineStartsTheLastRun",
                 {kOld, u"a改名为b！"_s, QString(40000, QChar(0)) + kOld, u"c改名为d！"_s},
                 {u"b"_s, u"d"_s},
                 {u"b"_s, u"c"_s},
                 {u"d改名为c！"_s},
                 {}},
        UndoCase{"TheLastBatchWrittenAheadOfItsRenamesIsNone",
                 {kOld, u"a改名为b！"_s, u"c改名为d！"_s, u"e改名为f！"_s},
                 {u"b"_s, u"c"_s, u"e"_s},
                 {u"a"_s, u"c"_s, u"e"_s},
                 {u"b改名为a！"_s},
                 {}},
        UndoCase{"AFileNoLongerThereOrAnOldNameTakenIsLeftAlone",
                 {kOld, u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s},
                 {u"a.txt"_s, u"b.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s},
                 {},
                 {kNothingToUndo}}),
    [](const ::testing::TestParamInfo<UndoCase>& row) { return std::string(row.param.label); });

// Undo reads the log from its end back to the last header only: a hole of 64 GiB before the run and another
// after it (a sparse log) are passed over, and a line of bytes that are no GBK is never a name.
TEST(UndoRun, ReadsBackToTheLastHeaderOnlyPastHolesAndNeverActsOnBytesThatAreNoGbk) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s, u"d.txt"_s, u"f.txt"_s, u"h.txt"_s});
    constexpr qint64 kHole = qint64(64) << 30;
    const QByteArray run = expectedLog({u"c.txt改名为d.txt！"_s});
    // Bytes that are no GBK, and names that hold a line break or a CR that no line end follows.
    const QByteArray bad = "\x81\x7f" + gbkLines({u"a.txt改名为b.txt！"_s}) +
                           platform::GbkEncoder().encode(u"e\r.txt改名为f.txt！\r\ng\n.txt改名为h.txt！\r\n");
    QFile log(folder.filePath(kLog));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    ASSERT_TRUE(log.resize(kHole));
    ASSERT_TRUE(log.seek(kHole));
    // The hole ends a line; the run's header, the bad line, the good one; then a hole with no line end.
    const QByteArray header = run.left(run.indexOf("\r\n") + 2);
    const QByteArray written = "\r\n" + header + bad + run.mid(header.size());
    ASSERT_EQ(log.write(written), written.size());
    ASSERT_TRUE(log.resize(2 * kHole));
    log.close();
    YesServices services;
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    EXPECT_EQ(services.questions, QStringList{undoQuestion(1)});
    // Counted as not restored: the two lines that name a file but hold a control character; neither the bytes
    // that are no GBK nor the torn end can be said to name a file.
    EXPECT_EQ(services.messages, QStringList{undoIncomplete(2)});
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"b.txt"_s, u"c.txt"_s, u"f.txt"_s, u"h.txt"_s}));
}

TEST(UndoRun, NoKeepsEverythingAndTheLogRulesHold) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s});
    const QByteArray log = expectedLog({u"a.txt改名为b.txt！"_s});
    folder.write(kLog, log);
    RecordingServices no;
    no.expectQuestion(undoQuestion(1), false);
    engine::undoLastRun(folder.path(), no, fixedEnvironment());
    EXPECT_EQ(no.messages, QStringList());
    EXPECT_EQ(no.busyEntered, 0);
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"b.txt"_s}));
    EXPECT_EQ(folder.read(kLog), log);

    // A log that is a link is neither read nor written; a missing one has nothing to undo.
    const TempFolder outside;
    outside.write(kLog, log);
    ASSERT_EQ(::unlink(QFile::encodeName(folder.filePath(kLog)).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(kLog)).constData(),
                        QFile::encodeName(folder.filePath(kLog)).constData()),
              0);
    RecordingServices linked;
    engine::undoLastRun(folder.path(), linked, fixedEnvironment());
    EXPECT_EQ(linked.messages, QStringList{u"无法写入日记文件QuillmarkLog.txt，未执行改名！"_s});
    EXPECT_EQ(outside.read(kLog), log);
    ASSERT_EQ(::unlink(QFile::encodeName(folder.filePath(kLog)).constData()), 0);
    RecordingServices missing;
    engine::undoLastRun(folder.path(), missing, fixedEnvironment());
    EXPECT_EQ(missing.messages, QStringList{kNothingToUndo});
    EXPECT_EQ(folder.entries(), QStringList{u"b.txt"_s});
}

// The folder may change between the question and the undo: the rename then decides, as in a run.
TEST(UndoRun, AnOldNameTakenAfterTheQuestionGetsTheTakenNamePathAndIsCounted) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s, u"d.txt"_s});
    folder.write(kLog, expectedLog({u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s}));
    YesServices services;
    services.beforeAnswer = [&] { folder.write(u"a.txt"_s, "newcomer"); };
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    EXPECT_EQ(services.questions, QStringList{undoQuestion(2)});
    EXPECT_EQ(services.messages, (QStringList{takenMessage(u"b.txt"_s, u"a.txt"_s), undoIncomplete(1)}));
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}));
    EXPECT_EQ(folder.read(u"a.txt"_s), "newcomer");
    EXPECT_EQ(folder.read(kLog), expectedLog({u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s}) +
                                     expectedLog({u"d.txt改名为c.txt！"_s, takenLine(u"b.txt"_s, u"a.txt"_s)}));
    EXPECT_TRUE(services.idle());
    EXPECT_EQ(services.refreshes, 1);
}
} // namespace
} // namespace filarion::test
