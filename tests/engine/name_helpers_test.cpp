#include "engine/name_helpers.h"
#include "support/printers.h"

#include <QDir>
#include <gtest/gtest.h>

namespace filarion::engine {
namespace {
using namespace Qt::StringLiterals;

struct SplitCase {
    const char16_t* name;
    const char16_t* extension;
    const char16_t* namePart;
};

class NameSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(NameSplit, ExtensionStartsAtTheLastDotAndPartsJoinBack) {
    const QString name = QString::fromUtf16(GetParam().name);
    EXPECT_EQ(GetExtension(name), QString::fromUtf16(GetParam().extension));
    EXPECT_EQ(GetNamePart(name), QString::fromUtf16(GetParam().namePart));
    EXPECT_EQ(GetNamePart(name).toString().append(GetExtension(name)), name);
}

INSTANTIATE_TEST_SUITE_P(Table, NameSplit,
                         ::testing::Values(SplitCase{u"a.txt", u".txt", u"a"}, SplitCase{u"a.b.txt", u".txt", u"a.b"},
                                           SplitCase{u"a.", u".", u"a"}, SplitCase{u".cfg", u".cfg", u""},
                                           SplitCase{u"README", u"", u"README"}, SplitCase{u"a.b.c", u".c", u"a.b"},
                                           SplitCase{u"", u"", u""}, SplitCase{u"照片.JPG", u".JPG", u"照片"},
                                           SplitCase{u"archive.tar.gz", u".gz", u"archive.tar"}));

TEST(RepeatString, RepeatsOrGivesEmpty) {
    EXPECT_EQ(RepeatString(u"0"_s, 3), u"000"_s);
    EXPECT_EQ(RepeatString(u"ab"_s, 2), u"abab"_s);
    EXPECT_EQ(RepeatString(u"0"_s, 0), QString());
    EXPECT_EQ(RepeatString(u"0"_s, -5), QString());
    EXPECT_EQ(RepeatString(QString(), 7), QString());
}

TEST(HasIllegalChar, EachOfTheNineCharactersIsIllegal) {
    for (const QChar c : u"\"*/:<>?\\|"_s) {
        EXPECT_TRUE(HasIllegalChar(QString(c))) << int(c.unicode());
        EXPECT_TRUE(HasIllegalChar(u"ab"_s + c + u"cd"_s)) << int(c.unicode());
    }
}

TEST(HasIllegalChar, OrdinaryTextsPass) {
    for (const QString& text : {QString(), u" "_s, u"."_s, u"清单文件"_s, u"a-b_c (1)"_s, u"\t"_s, u"CON"_s}) {
        EXPECT_FALSE(HasIllegalChar(text)) << text.toStdString();
    }
}

TEST(HasIllegalChar, ChineseWhoseTrailByteLooksLikeBackslashOrBarPasses) {
    // 表 is B1 ED, 枫 is B7 E3; 乗 is 81 5C and 僜 is 83 7C in GBK: trail bytes equal to '\' and '|'.
    EXPECT_FALSE(HasIllegalChar(u"表"_s));
    EXPECT_FALSE(HasIllegalChar(u"\u4E57"_s));
    EXPECT_FALSE(HasIllegalChar(u"\u50DC"_s));
    // U+F8F5 is the single byte FF: the character after it is judged on its own.
    for (const QString& text : {u"\uF8F5/"_s, u"\uF8F5"_s + QChar(0), u"\u20AC\uF8F5|"_s}) {
        EXPECT_TRUE(HasIllegalChar(text)) << text.toStdString();
    }
    EXPECT_FALSE(HasIllegalChar(u"\uF8F5a\u20AC"_s));
}

TEST(HasIllegalChar, CharacterGbkCannotHoldIsIllegal) {
    EXPECT_TRUE(HasIllegalChar(u"photo\U0001F600"_s));
    EXPECT_TRUE(HasIllegalChar(u"\u0E01"_s)); // Thai ko kai is not in GBK
}

TEST(JoinPath, NeverDoublesTheSeparator) {
    const QString sep = QDir::separator();
    EXPECT_EQ(JoinPath(sep, u"a.txt"_s), sep + u"a.txt"_s);
    EXPECT_EQ(JoinPath(sep + u"x"_s, u"a.txt"_s), sep + u"x"_s + sep + u"a.txt"_s);
    EXPECT_EQ(JoinPath(sep + u"x"_s + sep, u"a.txt"_s), sep + u"x"_s + sep + u"a.txt"_s);
    EXPECT_EQ(JoinPath(QString(), u"a.txt"_s), sep + u"a.txt"_s);
    EXPECT_EQ(JoinPath(u"/p"_s, u"*.JPG"_s), u"/p/*.JPG"_s);
}

struct InsertCase {
    const char16_t* text;
    const char16_t* insertion;
    int position;
    const char16_t* result;
};

class InsertStringTable : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertStringTable, InsertsAfterPositionCharactersClampedToTheText) {
    const InsertCase& c = GetParam();
    EXPECT_EQ(InsertString(QString::fromUtf16(c.text), QString::fromUtf16(c.insertion), c.position),
              QString::fromUtf16(c.result));
}

INSTANTIATE_TEST_SUITE_P(Table, InsertStringTable,
                         ::testing::Values(InsertCase{u"1", u"zet", 2, u"1zet"}, InsertCase{u"67", u"zet", 2, u"67zet"},
                                           InsertCase{u"126", u"zet", 2, u"12zet6"},
                                           InsertCase{u"1", u"zet", 0, u"zet1"}, InsertCase{u"1", u"zet", -5, u"zet1"},
                                           InsertCase{u"1", u"zet", 1, u"1zet"}, InsertCase{u"abc", u"", 1, u"abc"},
                                           InsertCase{u"", u"zet", 3, u"zet"}, InsertCase{u"", u"zet", -1, u"zet"},
                                           InsertCase{u"abc", u"X", 32767, u"abcX"},
                                           InsertCase{u"abc", u"X", -32768, u"Xabc"},
                                           InsertCase{u"图片名", u"_", 2, u"图片_名"}));

} // namespace
} // namespace filarion::engine
