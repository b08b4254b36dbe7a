#include "support/temp_folder.h"
#include "ui/file_pattern.h"
#include "ui/working_set.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace filarion::ui {
namespace {
using namespace Qt::StringLiterals;

struct PatternCase {
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
};

class PatternTable : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTable, MatchesWholeNameIgnoringCase) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(FilePattern(QString::fromUtf16(c.pattern)).matches(QString::fromUtf16(c.name)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PatternTable,
    ::testing::Values(PatternCase{u"*.JPG", u"a.jpg", true}, PatternCase{u"*.JPG", u"a.JPG", true},
                      PatternCase{u"*.JPG", u"a.jpeg", false}, PatternCase{u"*.JPG", u"a.jpg.txt", false},
                      PatternCase{u"*.*", u"README", true}, PatternCase{u"*.*", u"a.b", true},
                      PatternCase{u"*", u"README", true}, PatternCase{u"*.t", u"a.t", true},
                      PatternCase{u"*.t", u"a.txt", false}, PatternCase{u"?.txt", u"a.txt", true},
                      PatternCase{u"?.txt", u"ab.txt", false}, PatternCase{u"?.txt", u".txt", false},
                      PatternCase{u"*.txt;*.doc", u"x.DOC", true}, PatternCase{u"*.txt;*.doc", u"x.bmp", false},
                      PatternCase{u"*.txt;;", u"x.txt", true}, PatternCase{u"", u"x.txt", false},
                      PatternCase{u"a*b*c", u"aXXbYYc", true}, PatternCase{u"a*b*c", u"aXXbYY", false},
                      PatternCase{u"*a*a*a*a*b", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
                      PatternCase{u"照片*", u"照片1.jpg", true}, PatternCase{u"*.jpg ", u"a.jpg", false},
                      PatternCase{u"ÄB*", u"äbc", true}));

class WorkingSetTest : public ::testing::Test {
protected:
    QStringList read(const QString& pattern) {
        WorkingSet set;
        set.setFolder(dir.path());
        set.setPatternText(pattern);
        EXPECT_FALSE(set.refresh());
        return set.names();
    }
    test::TempFolder dir;
};

TEST_F(WorkingSetTest, ListsMatchingFilesSortedIgnoringCaseCharacterByCharacter) {
    for (const auto& name : {u"2.txt"_s, u"10.txt"_s, u"1.txt"_s, u"B.txt"_s, u"a.txt"_s, u"c.JPG"_s}) {
        dir.touch(name);
    }
    EXPECT_EQ(read(u"*.txt"_s), (QStringList{u"1.txt"_s, u"10.txt"_s, u"2.txt"_s, u"a.txt"_s, u"B.txt"_s}));
    EXPECT_EQ(read(u"*.jpg"_s), QStringList{u"c.JPG"_s});
}

TEST_F(WorkingSetTest, NamesDifferingOnlyInCaseAreBothListedInAFixedOrder) {
    dir.touch(u"abc.txt"_s);
    dir.touch(u"ABC.txt"_s);
    EXPECT_EQ(read(u"*.*"_s), (QStringList{u"ABC.txt"_s, u"abc.txt"_s}));
}

TEST_F(WorkingSetTest, HiddenFoldersAndOtherEntriesAreLeftOut) {
    dir.touch(u"a.txt"_s);
    dir.touch(u".hidden.txt"_s);
    dir.makeFolder(u"sub.txt"_s);
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(dir.filePath(u"link.txt"_s)).constData()), 0);
    ASSERT_EQ(::symlink("none", QFile::encodeName(dir.filePath(u"broken.txt"_s)).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"fifo.txt"_s)).constData(), 0600), 0);
    EXPECT_EQ(read(u"*.*"_s), (QStringList{u"a.txt"_s, u"link.txt"_s}));
}

TEST_F(WorkingSetTest, FolderOfOnlySubfoldersOrHiddenFilesIsEmpty) {
    dir.makeFolder(u"one"_s);
    dir.makeFolder(u"two.JPG"_s);
    dir.touch(u".x.JPG"_s);
    EXPECT_TRUE(read(u"*.*"_s).isEmpty());
}

TEST_F(WorkingSetTest, SnapshotChangesOnlyOnRefresh) {
    dir.touch(u"a.JPG"_s);
    WorkingSet set;
    set.setFolder(dir.path());
    set.setPatternText(u"*.JPG"_s);
    ASSERT_FALSE(set.refresh());
    dir.touch(u"b.jpg"_s);
    EXPECT_EQ(set.count(), 1);
    ASSERT_FALSE(set.refresh());
    EXPECT_EQ(set.count(), 2);
    EXPECT_EQ(set.nameAt(1), u"b.jpg"_s);
    EXPECT_EQ(set.folder(), dir.path());
    EXPECT_EQ(set.patternText(), u"*.JPG"_s);
}

TEST_F(WorkingSetTest, UnreadableFolderGivesAnEmptySet) {
    dir.touch(u"a.JPG"_s);
    WorkingSet set;
    set.setFolder(dir.path());
    set.setPatternText(u"*.*"_s);
    ASSERT_FALSE(set.refresh());
    set.setFolder(dir.filePath(u"gone"_s));
    EXPECT_TRUE(set.refresh());
    EXPECT_EQ(set.count(), 0);
}

TEST_F(WorkingSetTest, FortyThousandFilesAreAllListedInOrder) {
    for (int i = 0; i < 40000; ++i) {
        QFile file(dir.filePath(u"f%1.txt"_s.arg(i, 5, 10, QChar(u'0'))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QStringList names = read(u"*.TXT"_s);
    ASSERT_EQ(names.size(), 40000);
    EXPECT_EQ(names.front(), u"f00000.txt"_s);
    EXPECT_EQ(names.back(), u"f39999.txt"_s);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

} // namespace
} // namespace filarion::ui
