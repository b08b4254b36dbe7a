#include "platform/clock.h"
#include "platform/program_info.h"
#include "platform/volumes.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

#include <gtest/gtest.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

TEST(Clock, StampIsShortDateBlankTimeWithSeconds) {
    const QDateTime moment(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString stamp = formatStamp(moment);
    // Under the C locale of the test run: short date, one blank, the time with its seconds.
    EXPECT_EQ(stamp, QLocale::system().toString(moment.date(), QLocale::ShortFormat) + u" 05:06:07"_s);
}

TEST(ProgramInfo, NamesTheRunningExecutable) {
    EXPECT_EQ(programBaseName(), u"platform_tests"_s);
    EXPECT_TRUE(QDir(programFolder()).exists(u"platform_tests"_s));
}

TEST(Volumes, RootHoldsEveryFolderAndLongestPrefixWins) {
    const std::vector<Volume> volumes{{u"/"_s, {}}, {u"/mnt/data"_s, u"DATA"_s}, {u"/mnt/d"_s, {}}};
    EXPECT_EQ(volumeRootOf(u"/home/x"_s, volumes), u"/"_s);
    EXPECT_EQ(volumeRootOf(u"/mnt/data/photos"_s, volumes), u"/mnt/data"_s);
    EXPECT_EQ(volumeRootOf(u"/mnt/data"_s, volumes), u"/mnt/data"_s);
    EXPECT_EQ(volumeRootOf(u"/mnt/database"_s, volumes), u"/"_s);
    EXPECT_EQ(volumeRootOf(u"/mnt/d/x"_s, volumes), u"/mnt/d"_s);
}

TEST(Volumes, CurrentFolderIsTheWorkingFolderOnItsVolumeElseTheRoot) {
    const std::vector<Volume> volumes = mountedVolumes();
    ASSERT_FALSE(volumes.empty());
    const QString cwd = workingFolder();
    const QString cwdRoot = volumeRootOf(cwd, volumes);
    EXPECT_EQ(currentFolderOf(cwdRoot, volumes), cwd);
    const std::vector<Volume> withOther{{u"/"_s, {}}, {u"/nowhere-mounted"_s, {}}};
    if (!cwd.startsWith(u"/nowhere-mounted"_s)) {
        EXPECT_EQ(currentFolderOf(u"/nowhere-mounted"_s, withOther), u"/nowhere-mounted"_s);
    }
}

TEST(Volumes, PseudoFileSystemsAndSystemTreesAreNotDrives) {
    const std::vector<Volume> volumes = mountedVolumes();
    EXPECT_TRUE(std::any_of(volumes.begin(), volumes.end(), [](const Volume& v) { return v.rootPath == u"/"_s; }));
    for (const Volume& volume : volumes) {
        for (const QString& tree : {u"/proc"_s, u"/sys"_s, u"/dev"_s}) {
            EXPECT_FALSE(volume.rootPath == tree || volume.rootPath.startsWith(tree + u'/'))
                << volume.rootPath.toStdString();
        }
        EXPECT_TRUE(!volume.rootPath.startsWith(u"/run/"_s) || volume.rootPath.startsWith(u"/run/media/"_s))
            << volume.rootPath.toStdString();
    }
}

} // namespace
} // namespace filarion::platform
