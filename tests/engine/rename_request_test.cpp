#include "engine/rename_request.h"
#include "support/printers.h"

#include <gtest/gtest.h>
#include <optional>

namespace filarion::engine {
namespace {
using namespace Qt::StringLiterals;

const QString kIllegal = u"文件名不能包含下列任何字符 / \\ : * ? < > | \""_s;

RenameRequest request(RenameMethod method) {
    RenameRequest r;
    r.Method = method;
    return r;
}

TEST(ValidateRenameRequest, IllegalCharacterMessageIs31CharactersEndingInAQuote) {
    RenameRequest r = request(RenameMethod::Prefix);
    r.PrefixText = u"a?"_s;
    const std::optional<QString> message = ValidateRenameRequest(r);
    ASSERT_TRUE(message);
    EXPECT_EQ(*message, kIllegal);
    EXPECT_EQ(message->size(), 31);
    EXPECT_EQ(message->back(), u'"');
    EXPECT_EQ(message->toUtf8(), QByteArray("\xe6\x96\x87\xe4\xbb\xb6\xe5\x90\x8d\xe4\xb8\x8d\xe8\x83\xbd\xe5\x8c\x85"
                                            "\xe5\x90\xab\xe4\xb8\x8b\xe5\x88\x97\xe4\xbb\xbb\xe4\xbd\x95\xe5\xad\x97"
                                            "\xe7\xac\xa6 / \\ : * ? < > | \""));
}

struct Case {
    const char* label;
    RenameMethod method;
    QString find, replace, prefix, fill, insert, position;
    std::optional<QString> message;
};

class Validation : public ::testing::TestWithParam<Case> {};

TEST_P(Validation, FirstFailingCheckOfTheSelectedMethodSpeaks) {
    const Case& c = GetParam();
    RenameRequest r = request(c.method);
    r.FindText = c.find;
    r.ReplaceText = c.replace;
    r.PrefixText = c.prefix;
    r.FillText = c.fill;
    r.InsertText = c.insert;
    r.PositionText = c.position;
    EXPECT_EQ(ValidateRenameRequest(r), c.message);
}

const std::optional<QString> kPass;

std::string caseLabel(const ::testing::TestParamInfo<Case>& param) {
    return param.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, Validation,
    ::testing::Values(
        Case{"EmptyFindBeatsIllegalReplace",
             RenameMethod::Replace,
             {},
             u"a*b"_s,
             {},
             {},
             {},
             {},
             u"没有输入替换内容！"_s},
        Case{"IllegalReplace", RenameMethod::Replace, u"cad"_s, u"z|t"_s, {}, {}, {}, {}, kIllegal},
        Case{"EmptyReplacePasses", RenameMethod::Replace, u"cad"_s, {}, {}, {}, {}, {}, kPass},
        Case{"IllegalFindPasses", RenameMethod::Replace, u"c*d"_s, u"x"_s, {}, {}, {}, {}, kPass},
        Case{"BlankFindIsNotEmpty", RenameMethod::Replace, u" "_s, {}, {}, {}, {}, {}, kPass},
        Case{"EmptyFill", RenameMethod::Fill, {}, {}, {}, {}, {}, {}, u"没有输入补齐所用字符！"_s},
        Case{"TwoAsterisksFillIsIllegalFirst", RenameMethod::Fill, {}, {}, {}, u"**"_s, {}, {}, kIllegal},
        Case{"TwoLettersFill", RenameMethod::Fill, {}, {}, {}, u"ab"_s, {}, {}, u"只能用单一字符补齐文件名！"_s},
        Case{"BlankFillPasses", RenameMethod::Fill, {}, {}, {}, u" "_s, {}, {}, kPass},
        Case{"ChineseFillPasses", RenameMethod::Fill, {}, {}, {}, u"零"_s, {}, {}, kPass},
        Case{"EmptyPrefixPasses", RenameMethod::Prefix, {}, {}, {}, {}, {}, {}, kPass},
        Case{"IllegalPrefix", RenameMethod::Prefix, {}, {}, u"a/b"_s, {}, {}, {}, kIllegal},
        Case{
            "OtherMethodsFieldsUntested", RenameMethod::Prefix, {}, u"***"_s, u"zet"_s, u"ab"_s, u"?"_s, u"x"_s, kPass},
        Case{"NegativePosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"-3"_s, kPass},
        Case{"ZeroPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"0"_s, kPass},
        Case{"PlusPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"+7"_s, kPass},
        Case{"OutOfRangePositionPasses", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"40000"_s, kPass},
        Case{"FractionPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"2.5"_s, u"插入位置值只能是整数！"_s},
        Case{"LettersPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"abc"_s, u"插入位置值只能是整数！"_s},
        Case{"EmptyPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, {}, u"插入位置值只能是整数！"_s},
        Case{"LoneSign", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u"-"_s, u"插入位置值只能是整数！"_s},
        Case{"BlankInPosition", RenameMethod::Insert, {}, {}, {}, {}, u"zet"_s, u" 2"_s, u"插入位置值只能是整数！"_s},
        Case{"BadPositionBeatsIllegalInsert",
             RenameMethod::Insert,
             {},
             {},
             {},
             {},
             u"a:b"_s,
             u"x"_s,
             u"插入位置值只能是整数！"_s},
        Case{"IllegalInsert", RenameMethod::Insert, {}, {}, {}, {}, u"a:b"_s, u"1"_s, kIllegal},
        Case{"EmptyInsertPasses", RenameMethod::Insert, {}, {}, {}, {}, {}, u"1"_s, kPass},
        Case{"EmojiReplaceIsIllegal", RenameMethod::Replace, u"a"_s, u"\U0001F600"_s, {}, {}, {}, {}, kIllegal}),
    caseLabel);

TEST(parseInsertPosition, SixteenBitRangeOnly) {
    EXPECT_EQ(parseInsertPosition(u"-32768"_s), -32768);
    EXPECT_EQ(parseInsertPosition(u"32767"_s), 32767);
    EXPECT_EQ(parseInsertPosition(u"+0007"_s), 7);
    EXPECT_EQ(parseInsertPosition(u"32768"_s), std::nullopt);
    EXPECT_EQ(parseInsertPosition(u"-32769"_s), std::nullopt);
    EXPECT_EQ(parseInsertPosition(u"40000"_s), std::nullopt);
    EXPECT_EQ(parseInsertPosition(u"99999999999999999999999"_s), std::nullopt);
    EXPECT_EQ(parseInsertPosition(u"0000000000000000000012"_s), 12);
    EXPECT_EQ(parseInsertPosition(u"x"_s), std::nullopt);
}

} // namespace
} // namespace filarion::engine
