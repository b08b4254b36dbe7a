#include "engine/run_values.h"
#include "support/printers.h"

#include <gtest/gtest.h>

namespace filarion::engine {
namespace {
using namespace Qt::StringLiterals;

struct SkipCase {
    const char16_t* name;
    const char16_t* programName;
    bool skipped;
};

class SkippedEntry : public ::testing::TestWithParam<SkipCase> {};

TEST_P(SkippedEntry, ProgramFileWithAnyExtensionOrTheLogCaseIgnored) {
    const SkipCase& c = GetParam();
    EXPECT_EQ(IsSkippedEntry(QStringView(c.name), QStringView(c.programName)), c.skipped)
        << QString::fromUtf16(c.name).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Names, SkippedEntry,
    ::testing::Values(SkipCase{u"prog.exe", u"prog", true}, SkipCase{u"PROG.EXE", u"prog", true},
                      SkipCase{u"prog.txt", u"prog", true}, SkipCase{u"prog", u"prog", true},
                      SkipCase{u"prog.", u"prog", true}, SkipCase{u"Prog.Tar.gz", u"prog.tar", true},
                      SkipCase{u"prog.tar.gz", u"prog", false}, SkipCase{u"progx.exe", u"prog", false},
                      SkipCase{u"xprog.exe", u"prog", false}, SkipCase{u".prog", u"prog", false},
                      SkipCase{u"QuillmarkLog.txt", u"prog", true}, SkipCase{u"QUILLMARKLOG.TXT", u"prog", true},
                      SkipCase{u"QuillmarkLog.txt.bak", u"prog", false}, SkipCase{u"xQuillmarkLog.txt", u"prog", false},
                      SkipCase{u"QuillmarkLog.doc", u"quillmarklog", true}, SkipCase{u".cfg", u"", false},
                      SkipCase{u"a.txt", u"", false}));

TEST(scanWorkingSet, RecordsTheLastSkippedIndexesAndTheLongestOtherName) {
    const QStringList files{u"prog.exe"_s,
                            u"a.txt"_s,
                            u"QuillmarkLog.txt"_s,
                            u"prog.longest.txt"_s,
                            u"PROG.verylongextension"_s,
                            u"bb.jpeg"_s,
                            u"quillmarklog.TXT"_s,
                            u"c"_s};
    const RunValues values = scanWorkingSet(files, u"prog");
    EXPECT_EQ(values.count, 8);
    EXPECT_EQ(values.ProgramFileIndex, 4);
    EXPECT_EQ(values.LogFileIndex, 6);
    EXPECT_EQ(values.LongestNameLength, 16); // prog.longest.txt is not the program's file
}

TEST(scanWorkingSet, NothingRecordedInAnOrdinaryList) {
    const RunValues values = scanWorkingSet({u"a.txt"_s, u"bbb.txt"_s}, u"prog");
    EXPECT_EQ(values.ProgramFileIndex, -1);
    EXPECT_EQ(values.LogFileIndex, -1);
    EXPECT_EQ(values.LongestNameLength, 7);
    EXPECT_EQ(scanWorkingSet({u"prog.exe"_s}, u"prog").LongestNameLength, 0);
}

} // namespace
} // namespace filarion::engine
