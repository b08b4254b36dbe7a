#include "engine/prefix_method.h"
#include "support/engine_run.h"

#include <climits>
#include <gtest/gtest.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

// The names f0.txt, f1.txt, ... and, for the same count, prefix + the zero-padded numbers.
QStringList files(int count, int at = -1, const QString& extra = {}) {
    QStringList names;
    for (int k = 0; k < count; ++k) {
        if (k == at) {
            names << extra;
        }
        names << u"f%1.txt"_s.arg(k, 3, 10, QChar(u'0'));
    }
    return names;
}

QStringList numbered(int count, int width) {
    QStringList names;
    for (int k = 0; k < count; ++k) {
        names << u"zet%1.txt"_s.arg(k, width, 10, QChar(u'0'));
    }
    return names;
}

// The done lines of the renamable entries of list, in order, to the numbered names.
QStringList doneLines(const QStringList& list, const QStringList& newNames) {
    QStringList lines;
    qsizetype next = 0;
    for (const QString& name : list) {
        if (!name.startsWith(u"prog"_s, Qt::CaseInsensitive) &&
            name.compare(u"QuillmarkLog.txt"_s, Qt::CaseInsensitive)) {
            lines << doneLine(name, newNames[next++]);
        }
    }
    return lines;
}

MethodCase sequence(const char* label, const QStringList& list, const QStringList& kept, int renamed, int width) {
    const QStringList newNames = numbered(renamed, width);
    return {label, prefixRequest(u"zet"_s), list, newNames + kept, doneLines(list, newNames)};
}

class PrefixOutcomes : public ::testing::TestWithParam<MethodCase> {};

TEST_P(PrefixOutcomes, FolderLogAndMessagesMatch) {
    expectCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrefixOutcomes,
    ::testing::Values(
        sequence("NothingSkipped", files(3), {}, 3, 1),
        sequence("LogInTheMiddleLeavesNoGapAndNarrowsTheWidth", files(10, 4, u"QuillmarkLog.txt"_s), {}, 10, 1),
        sequence("ProgramInTheMiddleLeavesNoGapAndNarrowsTheWidth", files(10, 6, u"prog.exe"_s), {u"prog.exe"_s}, 10,
                 1),
        sequence("ProgramBeforeLog",
                 QStringList{u"a.txt"_s, u"prog.exe"_s, u"b.txt"_s, u"QuillmarkLog.txt"_s, u"c.txt"_s}, {u"prog.exe"_s},
                 3, 1),
        sequence("LogBeforeProgram",
                 QStringList{u"a.txt"_s, u"QuillmarkLog.txt"_s, u"b.txt"_s, u"PROG.EXE"_s, u"c.txt"_s}, {u"PROG.EXE"_s},
                 3, 1),
        sequence("BothSkippedWidthFromCountLessThree", files(10, 3, u"prog.exe"_s) + QStringList{u"QuillmarkLog.txt"_s},
                 {u"prog.exe"_s}, 10, 1),
        sequence("OneFile", files(1), {}, 1, 1), sequence("TenFilesOneDigit", files(10), {}, 10, 1),
        sequence("ElevenFilesTwoDigits", files(11), {}, 11, 2),
        sequence("HundredAndOneFilesThreeDigits", files(101), {}, 101, 3),
        MethodCase{"EmptyPrefixBareNumbers",
                   prefixRequest({}),
                   {u"a.txt"_s, u"b.doc"_s},
                   {u"0.txt"_s, u"1.doc"_s},
                   {doneLine(u"a.txt"_s, u"0.txt"_s), doneLine(u"b.doc"_s, u"1.doc"_s)}},
        MethodCase{"OneSequenceOverExtensions",
                   prefixRequest(u"zet"_s),
                   {u"a.doc"_s, u"b.txt"_s},
                   {u"zet0.doc"_s, u"zet1.txt"_s},
                   {doneLine(u"a.doc"_s, u"zet0.doc"_s), doneLine(u"b.txt"_s, u"zet1.txt"_s)}},
        MethodCase{"NoDotNoExtension",
                   prefixRequest(u"zet"_s),
                   {u"README"_s},
                   {u"zet0"_s},
                   {doneLine(u"README"_s, u"zet0"_s)}},
        MethodCase{"LeadingDotIsTheExtension",
                   prefixRequest(u"zet"_s),
                   {u".cfg"_s},
                   {u"zet0.cfg"_s},
                   {doneLine(u".cfg"_s, u"zet0.cfg"_s)}},
        MethodCase{"TwoProgramFilesOnlyTheLaterDiscounted",
                   prefixRequest(u"zet"_s),
                   {u"a.txt"_s, u"prog.exe"_s, u"prog.txt"_s, u"x.txt"_s},
                   {u"zet0.txt"_s, u"prog.exe"_s, u"prog.txt"_s, u"zet2.txt"_s},
                   {doneLine(u"a.txt"_s, u"zet0.txt"_s), doneLine(u"x.txt"_s, u"zet2.txt"_s)}},
        MethodCase{"TargetTakenByALaterEntry",
                   prefixRequest(u"zet"_s),
                   {u"a.txt"_s, u"zet0.txt"_s},
                   {u"a.txt"_s, u"zet1.txt"_s},
                   {takenLine(u"a.txt"_s, u"zet0.txt"_s), doneLine(u"zet0.txt"_s, u"zet1.txt"_s)},
                   {takenMessage(u"a.txt"_s, u"zet0.txt"_s)}},
        MethodCase{"AlreadyBearingItsNameIsDone",
                   prefixRequest(u"zet"_s),
                   {u"zet0.txt"_s},
                   {u"zet0.txt"_s},
                   {doneLine(u"zet0.txt"_s, u"zet0.txt"_s)}},
        MethodCase{"FailedRenameKeepsItsNumber",
                   prefixRequest(u"zet"_s),
                   {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"zet1.txt"_s},
                   {u"zet0.txt"_s, u"b.txt"_s, u"zet2.txt"_s, u"zet3.txt"_s},
                   {doneLine(u"a.txt"_s, u"zet0.txt"_s), takenLine(u"b.txt"_s, u"zet1.txt"_s),
                    doneLine(u"c.txt"_s, u"zet2.txt"_s), doneLine(u"zet1.txt"_s, u"zet3.txt"_s)},
                   {takenMessage(u"b.txt"_s, u"zet1.txt"_s)}}),
    caseLabel);

TEST(PrefixRun, WorkedExample) {
    const TempFolder folder;
    const QStringList list{u"a.txt"_s, u"b.txt"_s, u"QuillmarkLog.txt"_s, u"x.txt"_s, u"y.doc"_s};
    const RunOutcome outcome = createAndRun(folder, prefixRequest(u"zet"_s), list);
    EXPECT_EQ(outcome.files, sortedNames({u"zet0.txt"_s, u"zet1.txt"_s, u"zet2.txt"_s, u"zet3.doc"_s}));
    EXPECT_EQ(outcome.log, expectedLog({u"a.txt改名为zet0.txt！"_s, u"b.txt改名为zet1.txt！"_s,
                                        u"x.txt改名为zet2.txt！"_s, u"y.doc改名为zet3.doc！"_s}));
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_EQ(folder.read(u"zet2.txt"_s), QByteArray("x.txt"));
}

struct NineCase {
    const char* label;
    int i, count, programFileIndex, logFileIndex;
    const char16_t* newName;
};

class PrefixNumbering : public ::testing::TestWithParam<NineCase> {};

TEST_P(PrefixNumbering, NumberAndWidthFollowTheRecordedIndexes) {
    const NineCase& c = GetParam();
    EXPECT_EQ(engine::prefixNewName(c.i, c.count, c.programFileIndex, c.logFileIndex, u"zet", u"a.TXT"),
              QString::fromUtf16(c.newName));
}

// count 12 gives N = 11, 10 or 9 as none, one or both indexes are recorded: widths 2, 2 and 1.
INSTANTIATE_TEST_SUITE_P(NineCases, PrefixNumbering,
                         ::testing::Values(NineCase{"Case1NoneRecorded", 5, 12, -1, -1, u"zet05.TXT"},
                                           NineCase{"Case2AfterLog", 5, 12, -1, 3, u"zet04.TXT"},
                                           NineCase{"Case3BeforeLog", 2, 12, -1, 3, u"zet02.TXT"},
                                           NineCase{"Case4AfterProgram", 5, 12, 3, -1, u"zet04.TXT"},
                                           NineCase{"Case5BeforeProgram", 2, 12, 3, -1, u"zet02.TXT"},
                                           NineCase{"Case6AfterBoth", 5, 12, 1, 3, u"zet3.TXT"},
                                           NineCase{"Case7AfterProgramBeforeLog", 2, 12, 1, 3, u"zet1.TXT"},
                                           NineCase{"Case8BeforeProgramAfterLog", 2, 12, 3, 1, u"zet1.TXT"},
                                           NineCase{"Case9BeforeBoth", 0, 12, 1, 3, u"zet0.TXT"},
                                           NineCase{"SameEntryCountsTwiceAfterIt", 2, 3, 1, 1, u"zet0.TXT"},
                                           NineCase{"SameEntryNegativeNumberKeepsItsSign", 1, 2, 0, 0, u"zet-1.TXT"},
                                           NineCase{"WiderThanSixteenBits", 40000, 200001, 70000, -1, u"zet040000.TXT"},
                                           NineCase{"LastOfManyAfterTheLog", 32769, 32770, -1, 32768, u"zet32768.TXT"}),
                         [](const ::testing::TestParamInfo<NineCase>& param) {
                             return std::string(param.param.label);
                         });

TEST(PrefixNumbering, DecimalWidthCountsDigitsAndSign) {
    EXPECT_EQ(engine::decimalWidth(0), 1);
    EXPECT_EQ(engine::decimalWidth(9), 1);
    EXPECT_EQ(engine::decimalWidth(10), 2);
    EXPECT_EQ(engine::decimalWidth(-1), 2);
    EXPECT_EQ(engine::decimalWidth(32768), 5);
    EXPECT_EQ(engine::decimalWidth(INT_MAX), 10);
    EXPECT_EQ(engine::decimalWidth(INT_MIN), 11);
}

TEST(PrefixNumbering, NumberAndLargestNumber) {
    EXPECT_EQ(engine::prefixSequenceNumber(7, 2, 5), 5);
    EXPECT_EQ(engine::prefixSequenceNumber(7, -1, 5), 6);
    EXPECT_EQ(engine::prefixLargestNumber(12, 2, 5), 9);
    EXPECT_EQ(engine::prefixLargestNumber(12, -1, -1), 11);
}

} // namespace
} // namespace filarion::test
