#include "engine/fill_method.h"
#include "support/engine_run.h"

#include <gtest/gtest.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

class FillOutcomes : public ::testing::TestWithParam<MethodCase> {};

TEST_P(FillOutcomes, FolderLogAndMessagesMatch) {
    expectCase(GetParam());
}

MethodCase padded(const char* label, const QString& fill, const QStringList& list, const QString& entry,
                  const QString& renamedTo) {
    QStringList after = list;
    after.replace(after.indexOf(entry), renamedTo);
    return {label, fillRequest(fill), list, after, {doneLine(entry, renamedTo)}};
}

MethodCase unchanged(const char* label, const QStringList& list) {
    return {label, fillRequest(u"0"_s), list, list, {}};
}

INSTANTIATE_TEST_SUITE_P(
    Table, FillOutcomes,
    ::testing::Values(MethodCase{"HelpExample",
                                 fillRequest(u"0"_s),
                                 {u"1.txt"_s, u"67.txt"_s, u"126.txt"_s},
                                 {u"001.txt"_s, u"067.txt"_s, u"126.txt"_s},
                                 {doneLine(u"1.txt"_s, u"001.txt"_s), doneLine(u"67.txt"_s, u"067.txt"_s)}},
                      unchanged("AllOfOneLength", {u"ab.txt"_s, u"cd.txt"_s, u"ef.txt"_s}),
                      padded("ExtensionsCountInFull", u"0"_s, {u"a.txt"_s, u"bb.jpeg"_s}, u"a.txt"_s, u"00a.txt"_s),
                      unchanged("EqualLengthsWithDifferentExtensions", {u"1.jpeg"_s, u"12.txt"_s}),
                      padded("LetterFill", u"x"_s, {u"1.txt"_s, u"123.txt"_s}, u"1.txt"_s, u"xx1.txt"_s),
                      padded("BlankFill", u" "_s, {u"1.txt"_s, u"12.txt"_s}, u"1.txt"_s, u" 1.txt"_s),
                      padded("ChineseFillInGbk", u"零"_s, {u"1.txt"_s, u"12.txt"_s}, u"1.txt"_s, u"零1.txt"_s),
                      padded("LetterCaseKept", u"0"_s, {u"Ab.TXT"_s, u"abcd.txt"_s}, u"Ab.TXT"_s, u"00Ab.TXT"_s),
                      padded("LogAndProgramFileNeitherCountNorChange", u"0"_s,
                             {u"1.txt"_s, u"12.txt"_s, u"prog.longextension"_s, u"QuillmarkLog.txt"_s}, u"1.txt"_s,
                             u"01.txt"_s),
                      MethodCase{"TargetExists",
                                 fillRequest(u"0"_s),
                                 {u"01.txt"_s, u"1.txt"_s, u"100.txt"_s},
                                 {u"001.txt"_s, u"1.txt"_s, u"100.txt"_s},
                                 {doneLine(u"01.txt"_s, u"001.txt"_s), takenLine(u"1.txt"_s, u"001.txt"_s)},
                                 {takenMessage(u"1.txt"_s, u"001.txt"_s)}}),
    caseLabel);

TEST(FillRun, WorkedExampleInListOrder) {
    const TempFolder folder;
    const RunOutcome outcome = createAndRun(folder, fillRequest(u"0"_s), {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s});
    EXPECT_EQ(outcome.files, sortedNames({u"001.txt"_s, u"126.txt"_s, u"067.txt"_s}));
    EXPECT_EQ(outcome.log, expectedLog({u"1.txt改名为001.txt！"_s, u"67.txt改名为067.txt！"_s}));
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_EQ(folder.read(u"001.txt"_s), QByteArray("1.txt"));
}

TEST(fillNewName, PadsToTheLongestOrKeepsTheName) {
    EXPECT_EQ(engine::fillNewName(u"0", 7, u"1.txt"), u"001.txt"_s);
    EXPECT_EQ(engine::fillNewName(u"0", 5, u"1.txt"), u"1.txt"_s);
    EXPECT_EQ(engine::fillNewName(u"0", 0, u"1.txt"), u"1.txt"_s);
}

} // namespace
} // namespace filarion::test
