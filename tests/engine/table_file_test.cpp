// The table file's rules: two columns by old name, one column row by row, and every way an import is refused
// whole, with the line it names; the file's bytes as GBK or UTF-8.

#include "engine/table_file.h"
#include "platform/gbk_codec.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

struct ImportCase {
    const char* label;
    QString text;
    QStringList newNames; // the rows' new names afterwards; the rows are a.txt, b.txt, 照片.jpg, new names as old
    QString refusal = {};
};

class TableImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(TableImport, TakesTheWholeTextOrNothing) {
    const ImportCase& row = GetParam();
    const engine::NameList oldNames{u"a.txt", u"b.txt", u"照片.jpg"};
    engine::NameList newNames = oldNames;
    const std::optional<QString> refusal = engine::takeTableText(row.text, oldNames, newNames);
    EXPECT_EQ(refusal.value_or(QString()), row.refusal);
    QStringList after;
    for (qsizetype i = 0; i < newNames.size(); ++i) {
        after << newNames.at(i).toString();
    }
    EXPECT_EQ(after, row.newNames);
}

const QStringList kUnchanged{u"a.txt"_s, u"b.txt"_s, u"照片.jpg"_s};

INSTANTIATE_TEST_SUITE_P(Rows, TableImport,
                         ::testing::Values(ImportCase{"TwoColumnsByOldName",
                                                      u"照片.jpg\t1.jpg\r\nb.txt\ta.txt\r\n"_s,
                                                      {u"a.txt"_s, u"a.txt"_s, u"1.jpg"_s}},
                                           ImportCase{"OneColumnRowByRow", u"x\ny\n\n"_s, {u"x"_s, u"y"_s, u""_s}},
                                           ImportCase{"OneColumnOfAnotherLength", u"x\ny\n"_s, kUnchanged,
                                                      u"改名表只有一列，共 2 行，与列表的 3 个文件不一致，未导入！"_s},
                                           ImportCase{"OldNameNoRow", u"a.txt\tx\r\nc.txt\ty\r\n"_s, kUnchanged,
                                                      u"改名表第 2 行的原文件名不在列表中，未导入！"_s},
                                           ImportCase{"OldNameTwice", u"a.txt\tx\nb.txt\ty\na.txt\tz\n"_s, kUnchanged,
                                                      u"改名表第 3 行的原文件名在前面已出现过，未导入！"_s},
                                           ImportCase{"OneColumnAmongTwo", u"a.txt\tx\r\ny\r\n"_s, kUnchanged,
                                                      u"改名表第 2 行与其他行的列数不同，未导入！"_s}),
                         [](const ::testing::TestParamInfo<ImportCase>& row) { return std::string(row.param.label); });

TEST(TableText, IsReadAsUtf8WithOrWithoutItsMarkElseAsGbk) {
    const QString text = u"照片.jpg\t新照片.jpg\r\n"_s;
    platform::GbkEncoder gbk;
    EXPECT_EQ(engine::decodeTableText(text.toUtf8()), text);
    EXPECT_EQ(engine::decodeTableText("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(engine::decodeTableText(gbk.encode(text)), text);
}

} // namespace
} // namespace filarion::test
