#include "engine/name_helpers.h"
#include "engine/rename_request.h"
#include "engine/texts.h"
#include "platform/gbk_codec.h"
#include "properties/file_pattern_properties.h"
#include "properties/gbk_line_properties.h"
#include "properties/name_helpers_properties.h"
#include "properties/prefix_numbering_properties.h"
#include "properties/rename_request_properties.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>

namespace filarion::fuzz {
namespace {
using namespace Qt::StringLiterals;

// Every committed input of a fuzz target, the ones that once failed included, satisfies its properties.
struct Target {
    const char* name;
    QString (*check)(const std::uint8_t* data, std::size_t size);
};

void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}

class CommittedInputs : public ::testing::TestWithParam<Target> {};

TEST_P(CommittedInputs, SatisfyEveryPropertyOfTheirTarget) {
    const QDir folder(QStringLiteral(FILARION_FUZZ_CORPUS) + u'/' + QString::fromLatin1(GetParam().name));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << folder.path().toStdString();
    for (const QString& file : files) {
        QFile input(folder.filePath(file));
        ASSERT_TRUE(input.open(QIODevice::ReadOnly)) << file.toStdString();
        const QByteArray bytes = input.readAll();
        EXPECT_EQ(GetParam().check(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())),
                  QString())
            << file.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CommittedInputs,
                         ::testing::Values(Target{"file_pattern", checkFilePatternInput},
                                           Target{"name_helpers", checkNameHelpersInput},
                                           Target{"rename_request", checkRenameRequestInput},
                                           Target{"gbk_line", checkGbkLinesInput},
                                           Target{"prefix_numbering", checkPrefixNumberingInput}),
                         [](const ::testing::TestParamInfo<Target>& param) { return std::string(param.param.name); });

// Texts with a character GBK cannot hold that the converter used to leave out, or to keep back for the
// next text, instead of writing '?'.
struct Unholdable {
    const char* what;
    const char16_t* text;
    const char* gbk;
};

void PrintTo(const Unholdable& unholdable, std::ostream* out) {
    *out << unholdable.what;
}

class CharacterGbkCannotHold : public ::testing::TestWithParam<Unholdable> {
protected:
    QString text() const { return QString::fromUtf16(GetParam().text); }
};

TEST_P(CharacterGbkCannotHold, IsWrittenAsOneQuestionMarkAndNothingCarriesOver) {
    platform::GbkEncoder encoder;
    QByteArray out;
    encoder.appendRecord(text(), out);
    encoder.appendRecord(u"b"_s, out);
    EXPECT_EQ(out, QByteArray(GetParam().gbk) + "\r\nb\r\n");
    EXPECT_EQ(checkGbkLines({}, text(), u"b"_s), QString());
}

TEST_P(CharacterGbkCannotHold, IsIllegalAndLeavesTheNextTestAlone) {
    EXPECT_TRUE(engine::HasIllegalChar(text()));
    EXPECT_FALSE(engine::HasIllegalChar(u"b"_s));
    EXPECT_EQ(checkNameHelpers(
                  {.name = text(), .text = u"b"_s, .insertion = text(), .position = 1, .count = 2, .folder = u"/"_s}),
              QString());
}

TEST_P(CharacterGbkCannotHold, IsRefusedAsPrefixEveryTime) {
    engine::RenameRequest request;
    request.Method = engine::RenameMethod::Prefix;
    request.PrefixText = text();
    const QString illegal = QString::fromUtf16(engine::texts::kIllegalChar);
    EXPECT_EQ(engine::ValidateRenameRequest(request), illegal);
    EXPECT_EQ(engine::ValidateRenameRequest(request), illegal);
    request.PrefixText = u"b"_s;
    EXPECT_EQ(engine::ValidateRenameRequest(request), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CharacterGbkCannotHold,
    ::testing::Values(Unholdable{"ZeroWidthSpace", u"a\u200Bb", "a?b"}, Unholdable{"LeftToRightMark", u"0\u200E", "0?"},
                      Unholdable{"SoftHyphen", u"\u00AD", "?"}, Unholdable{"ByteOrderMarkAtTheEnd", u"x\uFEFF", "x?"},
                      Unholdable{"MusicalFormatCharacter", u"\xDE00\U0001D173", "??"},
                      Unholdable{"LanguageTag", u"\U000E0001", "?"},
                      Unholdable{"LoneHighSurrogateAtTheEnd", u"a\xD83D", "a?"},
                      Unholdable{"LoneLowSurrogate", u"\xDE00z", "?z"}, Unholdable{"Emoji", u"\U0001F600", "?"}),
    [](const ::testing::TestParamInfo<Unholdable>& param) { return std::string(param.param.what); });

TEST(FoundByFuzzing, ReplaceTextEndingInALoneSurrogateIsRefusedEveryTime) {
    engine::RenameRequest request;
    request.FindText = QString(QChar(0xD83D));
    request.ReplaceText = u"+"_s + QChar(0xD83D);
    const QString illegal = QString::fromUtf16(engine::texts::kIllegalChar);
    EXPECT_EQ(engine::ValidateRenameRequest(request), illegal);
    EXPECT_EQ(engine::ValidateRenameRequest(request), illegal);

    engine::RenameRequest other;
    other.Method = engine::RenameMethod::Fill;
    other.FillText = QString(QChar(0xD83D));
    EXPECT_EQ(checkRenameRequest(request, other), QString());
    EXPECT_EQ(checkRenameRequest(other, request), QString());
}

} // namespace
} // namespace filarion::fuzz
