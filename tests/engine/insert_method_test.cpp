#include "engine/insert_method.h"
#include "engine/name_helpers.h"
#include "support/engine_run.h"

#include <gtest/gtest.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

class InsertOutcomes : public ::testing::TestWithParam<MethodCase> {};

TEST_P(InsertOutcomes, FolderLogAndMessagesMatch) {
    expectCase(GetParam());
}

MethodCase one(const char* label, const QString& entry, const QString& text, const QString& position,
               const QString& renamedTo) {
    return {label, insertRequest(text, position), {entry}, {renamedTo}, {doneLine(entry, renamedTo)}};
}

MethodCase nothing(const char* label, const QString& position) {
    return {label, insertRequest(u"zet"_s, position), {u"a.txt"_s, u"b.txt"_s}, {u"a.txt"_s, u"b.txt"_s}, {}};
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertOutcomes,
    ::testing::Values(MethodCase{"HelpExample",
                                 insertRequest(u"zet"_s, u"2"_s),
                                 {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s},
                                 {u"1zet.txt"_s, u"12zet6.txt"_s, u"67zet.txt"_s},
                                 {doneLine(u"1.txt"_s, u"1zet.txt"_s), doneLine(u"126.txt"_s, u"12zet6.txt"_s),
                                  doneLine(u"67.txt"_s, u"67zet.txt"_s)}},
                      one("PositionZeroAtTheStart", u"1.txt"_s, u"zet"_s, u"0"_s, u"zet1.txt"_s),
                      one("NegativePositionAtTheStart", u"1.txt"_s, u"zet"_s, u"-5"_s, u"zet1.txt"_s),
                      one("LowestPositionAtTheStart", u"1.txt"_s, u"zet"_s, u"-32768"_s, u"zet1.txt"_s),
                      one("InsideTheNamePart", u"abc.txt"_s, u"zet"_s, u"1"_s, u"azetbc.txt"_s),
                      one("PositionOfTheLengthAtTheEnd", u"1.txt"_s, u"zet"_s, u"1"_s, u"1zet.txt"_s),
                      one("LargerPositionAtTheEnd", u"ab.txt"_s, u"zet"_s, u"9"_s, u"abzet.txt"_s),
                      one("HighestPositionAtTheEnd", u"ab.txt"_s, u"zet"_s, u"+32767"_s, u"abzet.txt"_s),
                      one("OnlyTheLastDotStartsTheExtension", u"a.b.txt"_s, u"zet"_s, u"1"_s, u"azet.b.txt"_s),
                      one("NoDotWholeNameIsTheNamePart", u"README"_s, u"zet"_s, u"2"_s, u"REzetADME"_s),
                      one("EmptyNamePart", u".cfg"_s, u"zet"_s, u"3"_s, u"zet.cfg"_s),
                      one("LetterCaseKept", u"Ab.TXT"_s, u"x"_s, u"1"_s, u"Axb.TXT"_s),
                      one("EmptyTextIsADoneLine", u"a.txt"_s, {}, u"1"_s, u"a.txt"_s),
                      nothing("PositionAboveSixteenBitsRenamesNothing", u"40000"_s),
                      nothing("PositionJustAboveRenamesNothing", u"32768"_s),
                      nothing("PositionJustBelowRenamesNothing", u"-32769"_s),
                      MethodCase{"TargetExists",
                                 insertRequest(u"zet"_s, u"1"_s),
                                 {u"a.txt"_s, u"azet.txt"_s},
                                 {u"a.txt"_s, u"azetzet.txt"_s},
                                 {takenLine(u"a.txt"_s, u"azet.txt"_s), doneLine(u"azet.txt"_s, u"azetzet.txt"_s)},
                                 {takenMessage(u"a.txt"_s, u"azet.txt"_s)}}),
    caseLabel);

TEST(InsertRun, WorkedExample) {
    const TempFolder folder;
    const RunOutcome outcome =
        createAndRun(folder, insertRequest(u"zet"_s, u"2"_s), {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s});
    EXPECT_EQ(outcome.log,
              expectedLog({u"1.txt改名为1zet.txt！"_s, u"126.txt改名为12zet6.txt！"_s, u"67.txt改名为67zet.txt！"_s}));
    EXPECT_EQ(folder.read(u"12zet6.txt"_s), QByteArray("126.txt"));
}

} // namespace
} // namespace filarion::test
