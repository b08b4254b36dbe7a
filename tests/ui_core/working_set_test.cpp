#include "platform/folder_listing.h"
#include "support/file_systems.h"
#include "support/temp_folder.h"
#include "ui_core/file_pattern.h"
#include "ui_core/working_set.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

// What the working set asks of a pattern for one name: the name folded once, then matched.
bool matchesName(const FilePattern& pattern, QStringView name) {
    std::u16string folded;
    appendCaseFolded(name, folded);
    return pattern.matchesFolded(folded);
}

struct PatternCase {
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
};

void PrintTo(const PatternCase& c, std::ostream* out) {
    *out << '"' << QString::fromUtf16(c.pattern).toStdString() << "\" on \"" << QString::fromUtf16(c.name).toStdString()
         << '"';
}

class PatternTable : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTable, MatchesWholeNameIgnoringCase) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(matchesName(FilePattern(QString::fromUtf16(c.pattern)), QString::fromUtf16(c.name)), c.matches);
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
                      PatternCase{u"ÄB*", u"äbc", true}, PatternCase{u"*.TXT", u"A.TxT", true},
                      PatternCase{u"*txt", u"txt", true}, PatternCase{u"*.txt", u"a.txt.bak", false},
                      PatternCase{u"*Ä", u"xä", true}, PatternCase{u"*.t?t", u"a.tXt", true},
                      PatternCase{u"**.txt", u"a.TXT", true}, PatternCase{u"*.jpg;a*", u"A.png", true},
                      PatternCase{u"*.jpg;a*", u"b.png", false}));

TEST(FilePatternTest, NamesLongerThanTheStackBufferAreMatchedToo) {
    const QString longName = QString(300, u'a') + u"照片.JPG"_s;
    EXPECT_TRUE(matchesName(FilePattern(u"*照片.jpg"_s), longName));
    EXPECT_TRUE(matchesName(FilePattern(u"A*.j?g"_s), longName));
    EXPECT_FALSE(matchesName(FilePattern(u"*.png"_s), longName));
}

struct SortCase {
    std::vector<const char16_t*> names;
    std::vector<const char16_t*> sorted;
};

QStringList toList(const std::vector<const char16_t*>& texts) {
    QStringList list;
    for (const char16_t* text : texts) {
        list.push_back(QString::fromUtf16(text));
    }
    return list;
}

void PrintTo(const SortCase& c, std::ostream* out) {
    PrintTo(toList(c.names), out);
}

class SortTable : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortTable, OrdersByFoldedNameThenExactName) {
    QStringList names = toList(GetParam().names);
    sortNames(names);
    EXPECT_EQ(names, toList(GetParam().sorted));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SortTable,
    ::testing::Values(SortCase{{}, {}}, SortCase{{u"only.txt"}, {u"only.txt"}},
                      SortCase{{u"2.txt", u"10.txt", u"1.txt"}, {u"1.txt", u"10.txt", u"2.txt"}},
                      // a key that is the start of another sorts first, inside and beyond the first eight units
                      SortCase{{u"abcd", u"abc", u"ab"}, {u"ab", u"abc", u"abcd"}},
                      SortCase{{u"commonprefix12345678x", u"commonprefix12345678"},
                               {u"commonprefix12345678", u"commonprefix12345678x"}},
                      // names that share a long start and differ only in case or after it
                      SortCase{{u"prefix_common_b.txt", u"prefix_common_A.txt", u"PREFIX_COMMON_a.txt"},
                               {u"PREFIX_COMMON_a.txt", u"prefix_common_A.txt", u"prefix_common_b.txt"}},
                      SortCase{{u"zzb", u"zzAAAAAAAAb", u"zzaaaaaaaaA"}, {u"zzaaaaaaaaA", u"zzAAAAAAAAb", u"zzb"}},
                      // names beyond ASCII are folded by their own rules and compared unit by unit
                      SortCase{{u"照片.txt", u"Äb.txt", u"b.txt", u"äa.txt"},
                               {u"b.txt", u"äa.txt", u"Äb.txt", u"照片.txt"}},
                      SortCase{{u"aé", u"AÉ", u"Ab"}, {u"Ab", u"AÉ", u"aé"}}));

// The order the file list defines, computed the plain way: fold every name, compare the folded
// names, then the names.
bool plainOrder(const QString& a, const QString& b) {
    const int byFolded = a.toCaseFolded().compare(b.toCaseFolded());
    return byFolded != 0 ? byFolded < 0 : a.compare(b) < 0;
}

TEST(SortNamesTest, ManyMixedNamesSortAsThePlainOrderDoes) {
    const QStringList pieces{u"IMG_"_s, u"img_"_s, u"Img"_s, u"照片"_s, u"Ä"_s, u"ä"_s, u"a"_s, u"B"_s,
                             u"_"_s,    u"0"_s,    u"9"_s,   u"10"_s,   u"."_s, u"x"_s, u"X"_s, u"é"_s};
    std::mt19937 random(7);
    QStringList names;
    for (int i = 0; i < 3000; ++i) {
        QString name = i % 3 == 0 ? u"Shared_Start_"_s : QString();
        const int length = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) {
            name += pieces[static_cast<qsizetype>(random() % static_cast<unsigned>(pieces.size()))];
        }
        names.push_back(name);
    }
    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), plainOrder);
    sortNames(names);
    EXPECT_EQ(names, expected);
}

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

TEST_F(WorkingSetTest, NamesThePatternRejectsBetweenOthersAreLeftOut) {
    for (const auto& name : {u"照片1.jpg"_s, u"照片2.txt"_s, u"b.JPG"_s, u"Ä.TXT"_s, u"a.txt"_s}) {
        dir.touch(name);
    }
    EXPECT_EQ(read(u"*.Txt"_s), (QStringList{u"a.txt"_s, u"Ä.TXT"_s, u"照片2.txt"_s}));
    EXPECT_EQ(read(u"照*;*.jpg"_s), (QStringList{u"b.JPG"_s, u"照片1.jpg"_s, u"照片2.txt"_s}));
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

// The compact store serves the names the folder read gives: every file the listing visits that the pattern
// takes, in the plain order, whole and unit for unit, on ext4 and on exFAT, and again after the folder changed.
void expectStoreServesTheFolderRead(const QString& folder) {
    const QStringList pieces{u"IMG_"_s, u"img_"_s, u"照片"_s, u"Ä"_s, u"ä"_s, u"a"_s, u"B"_s,
                             u"0"_s,    u"10"_s,   u"."_s,    u"x"_s, u"é"_s, u" "_s, u"ß"_s};
    const QStringList endings{u".jpg"_s, u".JPG"_s, u".txt"_s, QString()};
    const QStringList patterns{u"*.*"_s, u"*.jpg"_s, u"*.txt;i*"_s, u"?*"_s};
    std::mt19937 random(19);
    const auto pick = [&random](const QStringList& list) {
        return list[static_cast<qsizetype>(random() % static_cast<unsigned>(list.size()))];
    };
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 300; ++i) {
            QString name = i % 7 == 0 ? u"."_s : QString();
            for (int k = 1 + static_cast<int>(random() % 9); k > 0; --k) {
                name += pick(pieces);
            }
            name += pick(endings);
            QFile file(folder + u'/' + name);
            if (i % 11 == 0) {
                (void)QDir(folder).mkdir(name);
            } else if (round > 0 && i % 3 == 0) {
                (void)file.remove();
            } else {
                (void)file.open(QIODevice::WriteOnly);
            }
        }
        const QString pattern = pick(patterns);
        QStringList expected;
        const FilePattern filter(pattern);
        ASSERT_FALSE(platform::listFolder(folder, {platform::EntryKind::File, false}, [&](platform::FolderEntry&& e) {
            if (matchesName(filter, e.name)) {
                expected.push_back(e.name);
            }
        }));
        std::sort(expected.begin(), expected.end(), plainOrder);
        QStringList subfolders;
        ASSERT_FALSE(platform::listFolder(folder, {platform::EntryKind::Folder, false},
                                          [&](platform::FolderEntry&& e) { subfolders.push_back(e.name); }));
        std::sort(subfolders.begin(), subfolders.end(), plainOrder);
        WorkingSet set;
        set.setFolder(folder);
        set.setPatternText(pattern);
        ASSERT_FALSE(set.refresh());
        ASSERT_FALSE(set.refresh()); // a second reading replaces the first
        ASSERT_EQ(set.names(), expected) << qPrintable(pattern);
        for (int i = 0; i < set.count(); ++i) {
            ASSERT_EQ(set.nameViewAt(i), expected[i]);
        }
        // A command's list: the names in list order; the set serves them as before, from that list itself.
        const engine::NameList listed = set.nameList();
        ASSERT_EQ(listed, engine::NameList(expected));
        ASSERT_EQ(set.names(), expected);
        ASSERT_EQ(set.indexOf(expected.value(expected.size() / 2)), expected.isEmpty() ? -1 : expected.size() / 2);
        ASSERT_EQ(set.nameList().text().constData(), listed.text().constData());
        // One reading for the folder list and the file list serves both as their own readings do.
        FolderReading both(folder, pattern, true);
        ASSERT_EQ(both.takeSubfolders(), subfolders);
        WorkingSet fromBoth;
        ASSERT_FALSE(fromBoth.take(std::move(both)));
        ASSERT_EQ(fromBoth.names(), expected);
        ASSERT_EQ(FolderReading(folder, std::nullopt, true).takeSubfolders(), subfolders);
    }
}

TEST(NameStoreTest, ServesTheNamesTheFolderReadGivesOnExt4AndExfat) {
    const test::TempFolder dir;
    expectStoreServesTheFolderRead(dir.path());
    const test::FuseExfat exfat;
    if (!exfat.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("exFAT not mounted: " << exfat.reason());
    }
    expectStoreServesTheFolderRead(exfat.path());
}

} // namespace
} // namespace filarion::ui_core
