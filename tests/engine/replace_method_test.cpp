#include "engine/replace_method.h"
#include "support/engine_run.h"

#include <gtest/gtest.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

class ReplaceOutcomes : public ::testing::TestWithParam<MethodCase> {};

TEST_P(ReplaceOutcomes, FolderLogAndMessagesMatch) {
    expectCase(GetParam());
}

MethodCase one(const char* label, const QString& entry, const QString& find, const QString& replace,
               const QString& renamedTo) {
    return {label, replaceRequest(find, replace), {entry}, {renamedTo}, {doneLine(entry, renamedTo)}};
}

MethodCase untouched(const char* label, const QString& entry, const QString& find, const QString& replace) {
    return {label, replaceRequest(find, replace), {entry}, {entry}, {}};
}

MethodCase refused(const char* label, const QString& entry, const QString& find, const QString& extension) {
    return {label,   replaceRequest(find, {}),        {entry},
            {entry}, {illegalLine(entry, extension)}, {emptyNameMessage(entry)}};
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplaceOutcomes,
    ::testing::Values(one("Replaced", u"autocad.JPG"_s, u"cad"_s, u"zet"_s, u"autozet.JPG"_s),
                      one("ReplacedAtTheEnd", u"Imagecad.JPG"_s, u"cad"_s, u"zet"_s, u"Imagezet.JPG"_s),
                      one("MatchIgnoresCase", u"AutoCAD.JPG"_s, u"cad"_s, u"zet"_s, u"Autozet.JPG"_s),
                      one("EveryOccurrence", u"cadcad.txt"_s, u"cad"_s, u"x"_s, u"xx.txt"_s),
                      one("NoOverlappingMatches", u"aaa.txt"_s, u"aa"_s, u"b"_s, u"ba.txt"_s),
                      one("InsertedTextNotSearchedAgain", u"cad.txt"_s, u"cad"_s, u"cadcad"_s, u"cadcad.txt"_s),
                      one("ExtensionUntouched", u"cad.cad"_s, u"cad"_s, u"x"_s, u"x.cad"_s),
                      untouched("NothingFoundInNamePart", u"photo.cad"_s, u"cad"_s, u"x"_s),
                      untouched("DiffersOnlyInCase", u"abc.txt"_s, u"abc"_s, u"ABC"_s),
                      refused("EmptyNamePart", u"cad.txt"_s, u"cad"_s, u".txt"_s),
                      refused("NamePartEmptyBefore", u".cfg"_s, u"cfg"_s, u".cfg"_s),
                      one("NoExtensionNoneAdded", u"README"_s, u"READ"_s, u"x"_s, u"xME"_s),
                      one("OnlyLastDotStartsExtension", u"a.cad.txt"_s, u"cad"_s, u"x"_s, u"a.x.txt"_s),
                      one("ChineseNamesInGbk", u"照片cad.JPG"_s, u"CAD"_s, u"图"_s, u"照片图.JPG"_s),
                      MethodCase{"TwoEntriesIntoOneName",
                                 replaceRequest(u"cad"_s, u"zet"_s),
                                 {u"cad1.txt"_s, u"CAD1.txt"_s},
                                 {u"zet1.txt"_s, u"CAD1.txt"_s},
                                 {doneLine(u"cad1.txt"_s, u"zet1.txt"_s), takenLine(u"CAD1.txt"_s, u"zet1.txt"_s)},
                                 {takenMessage(u"CAD1.txt"_s, u"zet1.txt"_s)}},
                      MethodCase{"TargetOfALaterEntryNotExchanged",
                                 replaceRequest(u"0"_s, u"00"_s),
                                 {u"a0.txt"_s, u"a00.txt"_s},
                                 {u"a0.txt"_s, u"a0000.txt"_s},
                                 {takenLine(u"a0.txt"_s, u"a00.txt"_s), doneLine(u"a00.txt"_s, u"a0000.txt"_s)},
                                 {takenMessage(u"a0.txt"_s, u"a00.txt"_s)}},
                      MethodCase{"OneMessagePerEmptyName",
                                 replaceRequest(u"cad"_s, {}),
                                 {u"cad.a"_s, u"CAD.b"_s, u"xcad.c"_s},
                                 {u"cad.a"_s, u"CAD.b"_s, u"x.c"_s},
                                 {illegalLine(u"cad.a"_s, u".a"_s), illegalLine(u"CAD.b"_s, u".b"_s),
                                  doneLine(u"xcad.c"_s, u"x.c"_s)},
                                 {emptyNameMessage(u"cad.a"_s), emptyNameMessage(u"CAD.b"_s)}}),
    caseLabel);

TEST(ReplaceRun, WorkedExampleOfTheLog) {
    const TempFolder folder;
    const QStringList files{u"autocad.JPG"_s, u"cad.txt"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s};
    const RunOutcome outcome = createAndRun(folder, replaceRequest(u"cad"_s, {}), files);
    EXPECT_EQ(outcome.files, sortedNames({u"auto.JPG"_s, u"cad.txt"_s, u"Image.JPG"_s, u"Imagecad.JPG"_s}));
    const QStringList lines{u"autocad.JPG改名为auto.JPG！"_s, u"cad.txt改名为.txt，因非法未执行！"_s,
                            u"Imagecad.JPG改名为Image.JPG，因重名未执行！"_s};
    EXPECT_EQ(outcome.log, expectedLog(lines));
    // Each message is shown before its line is written.
    EXPECT_EQ(outcome.logAtMessages,
              (std::vector<QByteArray>{expectedLog(lines.mid(0, 1)), expectedLog(lines.mid(0, 2))}));
    EXPECT_EQ(outcome.messages,
              QStringList({u"cad.txt改名后为空名,故保留原名!"_s, u"Imagecad.JPG改名后与Image.JPG同名,故保留原名!"_s}));
    EXPECT_EQ(folder.read(u"auto.JPG"_s), QByteArray("autocad.JPG"));
}

TEST(ReplaceRun, TargetThatIsAFolderCountsAsTaken) {
    const TempFolder folder;
    folder.makeFolder(u"zet.txt"_s);
    const RunOutcome outcome = createAndRun(folder, replaceRequest(u"cad"_s, u"zet"_s), {u"cad.txt"_s});
    EXPECT_EQ(outcome.files, sortedNames({u"cad.txt"_s, u"zet.txt"_s}));
    EXPECT_EQ(outcome.log, expectedLog({takenLine(u"cad.txt"_s, u"zet.txt"_s)}));
    EXPECT_EQ(outcome.messages, QStringList{takenMessage(u"cad.txt"_s, u"zet.txt"_s)});
}

TEST(replaceInNamePart, EmptyFindTextFindsNothing) {
    EXPECT_EQ(engine::replaceInNamePart(u"abc.txt", {}, u"x"), u"abc.txt"_s);
}

TEST(replaceInNamePart, ResultIsAsLongAsTheExtensionExactlyWhenTheNamePartVanishes) {
    EXPECT_EQ(engine::replaceInNamePart(u"cadCAD.txt", u"cad", {}), u".txt"_s);
    EXPECT_EQ(engine::replaceInNamePart(u"cad", u"cad", {}), QString());
    EXPECT_EQ(engine::replaceInNamePart(u"cad.txt", u"txt", {}), u"cad.txt"_s);
}

} // namespace
} // namespace filarion::test
