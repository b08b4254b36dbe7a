#include "platform/gbk_text.h"
#include "support/temp_folder.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

TEST(GbkText, EncodesChineseWithCrLfAndNoByteOrderMark) {
    GbkEncoder encoder;
    QByteArray out;
    encoder.appendLine(u"a改名为b！"_s, out);
    EXPECT_EQ(out, QByteArray("a\xb8\xc4\xc3\xfb\xce\xaa" "b\xa3\xa1\r\n"));
}

TEST(GbkText, CharacterOutsideGbkBecomesOneQuestionMark) {
    GbkEncoder encoder;
    EXPECT_EQ(encoder.encode(u"x\U0001F600y"_s), QByteArray("x?y"));
    EXPECT_EQ(encoder.encode(u"\u00e9"_s), QByteArray("\xa8\xa6")); // é is in GBK
}

TEST(GbkText, AppendCreatesThenAppendsAndNeverTruncates) {
    test::TempFolder dir;
    const QString path = dir.filePath(u"log.txt"_s);
    {
        GbkAppendFile file;
        ASSERT_FALSE(file.open(path));
        ASSERT_FALSE(file.writeLine(u"第一行"_s));
    }
    {
        GbkAppendFile file;
        ASSERT_FALSE(file.open(path));
        ASSERT_FALSE(file.writeLine(u"second"_s));
        // Written through to the OS before close: another reader sees it at once.
        EXPECT_EQ(dir.read(u"log.txt"_s), test::gbkLines({u"第一行"_s, u"second"_s}));
        EXPECT_FALSE(file.close());
    }
    EXPECT_EQ(dir.read(u"log.txt"_s), QByteArray("\xb5\xda\xd2\xbb\xd0\xd0\r\nsecond\r\n"));
}

TEST(GbkText, LineBreakInsideALineNeverMakesALineOfItsOwn) {
    test::TempFolder dir;
    {
        GbkAppendFile log;
        ASSERT_FALSE(log.open(dir.filePath(u"log.txt"_s)));
        ASSERT_FALSE(log.writeLine(u"x！\r\ny改名为\nz"_s));
    }
    GbkSaveFile list(dir.filePath(u"list.txt"_s));
    ASSERT_TRUE(list.open());
    list.writeLine(u"1.a\rb"_s);
    ASSERT_TRUE(list.commit());
    EXPECT_EQ(dir.read(u"log.txt"_s), test::gbkLines({u"x！??y改名为?z"_s}));
    EXPECT_EQ(dir.read(u"list.txt"_s), QByteArray("1.a?b\r\n"));
}

TEST(GbkText, AppendIntoAFolderOrMissingFolderFails) {
    test::TempFolder dir;
    dir.makeFolder(u"log.txt"_s);
    GbkAppendFile file;
    EXPECT_TRUE(file.open(dir.filePath(u"log.txt"_s)));
    EXPECT_TRUE(file.open(dir.filePath(u"gone/log.txt"_s)));
    EXPECT_TRUE(file.writeLine(u"x"_s));
}

TEST(GbkText, SaveFileReplacesWholeOnlyOnCommit) {
    test::TempFolder dir;
    dir.write(u"list.txt"_s, QByteArray(100000, 'o'));
    GbkSaveFile file(dir.filePath(u"list.txt"_s));
    ASSERT_TRUE(file.open());
    for (int i = 0; i < 10000; ++i) {
        file.writeLine(u"行"_s);
    }
    EXPECT_EQ(dir.read(u"list.txt"_s).size(), 100000) << "the old file stays until the commit";
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(dir.read(u"list.txt"_s), QByteArray("\xd0\xd0\r\n").repeated(10000));
    EXPECT_EQ(dir.entries(), QStringList{u"list.txt"_s});
}

TEST(GbkText, SaveFileInMissingFolderFailsAndLeavesNothing) {
    test::TempFolder dir;
    GbkSaveFile file(dir.filePath(u"gone/list.txt"_s));
    EXPECT_FALSE(file.open());
    file.writeLine(u"x"_s);
    EXPECT_FALSE(file.commit());
    EXPECT_TRUE(dir.entries().isEmpty());
}

} // namespace
} // namespace filarion::platform
