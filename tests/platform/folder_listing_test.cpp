#include "platform/folder_handle.h"
#include "platform/folder_listing.h"
#include "support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

// Every entry, hidden ones too: the listings of the three kinds together.
std::map<QString, FolderEntry> listAll(const QString& folder) {
    std::map<QString, FolderEntry> entries;
    for (const EntryKind kind : {EntryKind::File, EntryKind::Folder, EntryKind::Other}) {
        const std::error_code error = listFolder(folder, {kind, true}, [&](FolderEntry&& e) { entries[e.name] = e; });
        EXPECT_FALSE(error) << error.message();
    }
    return entries;
}

TEST(FolderListing, TellsFilesFoldersLinksAndHiddenApart) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    dir.touch(u".hidden"_s);
    dir.makeFolder(u"sub"_s);
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(dir.filePath(u"link.txt"_s)).constData()), 0);
    ASSERT_EQ(::symlink("missing", QFile::encodeName(dir.filePath(u"broken.txt"_s)).constData()), 0);
    ASSERT_EQ(::symlink("sub", QFile::encodeName(dir.filePath(u"sublink"_s)).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"pipe"_s)).constData(), 0600), 0);

    const auto entries = listAll(dir.path());
    ASSERT_EQ(entries.size(), 7U);
    EXPECT_EQ(entries.at(u"a.txt"_s).kind, EntryKind::File);
    EXPECT_FALSE(entries.at(u"a.txt"_s).hidden);
    EXPECT_EQ(entries.at(u".hidden"_s).kind, EntryKind::File);
    EXPECT_TRUE(entries.at(u".hidden"_s).hidden);
    EXPECT_EQ(entries.at(u"sub"_s).kind, EntryKind::Folder);
    EXPECT_EQ(entries.at(u"link.txt"_s).kind, EntryKind::File);
    EXPECT_EQ(entries.at(u"broken.txt"_s).kind, EntryKind::Other);
    EXPECT_EQ(entries.at(u"sublink"_s).kind, EntryKind::Folder);
    EXPECT_EQ(entries.at(u"pipe"_s).kind, EntryKind::Other);
}

TEST(FolderListing, FilterVisitsOneKindAndHiddenOnlyWhenAsked) {
    test::TempFolder dir;
    dir.touch(u"a.txt"_s);
    dir.touch(u".h.txt"_s);
    dir.makeFolder(u"sub"_s);
    dir.makeFolder(u".hsub"_s);
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(dir.filePath(u"link.txt"_s)).constData()), 0);
    ASSERT_EQ(::symlink("sub", QFile::encodeName(dir.filePath(u"sublink"_s)).constData()), 0);
    const auto names = [&](ListFilter filter) {
        QStringList out;
        EXPECT_FALSE(listFolder(dir.path(), filter, [&](FolderEntry&& e) {
            EXPECT_EQ(e.kind, filter.kind);
            out.push_back(e.name);
        }));
        out.sort();
        return out;
    };
    EXPECT_EQ(names({EntryKind::File, false}), (QStringList{u"a.txt"_s, u"link.txt"_s}));
    EXPECT_EQ(names({EntryKind::File, true}), (QStringList{u".h.txt"_s, u"a.txt"_s, u"link.txt"_s}));
    EXPECT_EQ(names({EntryKind::Folder, false}), (QStringList{u"sub"_s, u"sublink"_s}));
    EXPECT_EQ(names({EntryKind::Folder, true}), (QStringList{u".hsub"_s, u"sub"_s, u"sublink"_s}));
}

TEST(FolderListing, LeavesOutNamesThatDoNotDecodeExactly) {
    test::TempFolder dir;
    dir.touch(u"清单.txt"_s);
    const QByteArray badName = QFile::encodeName(dir.path()) + "/bad\xff\xfe.txt";
    {
        FILE* f = ::fopen(badName.constData(), "w");
        ASSERT_NE(f, nullptr);
        ::fclose(f);
    }
    const auto entries = listAll(dir.path());
    // The temporary folder cannot remove a name it cannot decode: take it away here.
    ::unlink(badName.constData());
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries.begin()->first, u"清单.txt"_s);
}

TEST(FolderListing, MissingFolderGivesAnError) {
    test::TempFolder dir;
    int visited = 0;
    const std::error_code error = listFolder(dir.filePath(u"gone"_s), {}, [&](FolderEntry&&) { ++visited; });
    EXPECT_TRUE(error);
    EXPECT_EQ(visited, 0);
}

TEST(FolderListing, OnlyARegularFileItselfCanBeHeld) {
    test::TempFolder dir;
    dir.touch(u"a"_s);
    dir.makeFolder(u"d"_s);
    ASSERT_EQ(::symlink("missing", QFile::encodeName(dir.filePath(u"dangling"_s)).constData()), 0);
    ASSERT_EQ(::symlink("a", QFile::encodeName(dir.filePath(u"link"_s)).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0644), 0);
    FolderHandle folder;
    ASSERT_FALSE(folder.open(dir.path()));
    EXPECT_TRUE(HeldFile().open(folder, u"a"_s));
    for (const QString& other : {u"A"_s, u"d"_s, u"dangling"_s, u"link"_s, u"fifo"_s, u"a"_s + QChar(0)}) {
        EXPECT_FALSE(HeldFile().open(folder, other)) << other.toStdString();
    }
}

} // namespace
} // namespace filarion::platform
