#include "platform/clock.h"
#include "platform/program_info.h"
#include "platform/volumes.h"
#include "support/file_systems.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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

std::vector<QString> rootsOf(const std::vector<Volume>& volumes) {
    std::vector<QString> roots;
    for (const Volume& volume : volumes) {
        roots.push_back(volume.rootPath);
    }
    return roots;
}

struct MountTableCase {
    const char* title;
    QByteArray table;
    std::vector<Volume> expected;
};

class VolumesFromMountTable : public testing::TestWithParam<MountTableCase> {};

TEST_P(VolumesFromMountTable, ListsTheRealFileSystemsSortedByRoot) {
    const auto labelOf = [](const QByteArray& source) {
        return source == "/dev/sdb1" ? u"相机 卡"_s : source == "/dev/vda" ? u"SYSTEM"_s : QString();
    };
    const std::vector<Volume> volumes = volumesFromMountTable(GetParam().table, labelOf);
    ASSERT_EQ(rootsOf(volumes), rootsOf(GetParam().expected));
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        EXPECT_EQ(volumes[i].name, GetParam().expected[i].name) << volumes[i].rootPath.toStdString();
    }
}

// Lines as the kernel writes them: id, parent, device, root, mount point, options, optional fields, "-",
// type, source, super options; blanks and backslashes in paths written as octal escapes.
INSTANTIATE_TEST_SUITE_P(
    Tables, VolumesFromMountTable,
    testing::Values(MountTableCase{"Desktop",
                                   "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                                   "22 27 0:21 / /proc rw,relatime shared:5 - proc proc rw\n"
                                   "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
                                   "41 23 0:38 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
                                   "24 27 0:6 / /dev rw - devtmpfs udev rw,size=1k\n"
                                   "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                                   "26 24 0:24 / /dev/pts rw - devpts devpts rw\n"
                                   "50 27 0:40 / /run rw - tmpfs tmpfs rw\n"
                                   "51 50 0:41 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                                   "52 51 0:42 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                                   "53 50 8:17 / /run/media/li/CARD rw shared:9 master:2 - vfat /dev/sdb1 rw\n"
                                   "60 27 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                                   "61 27 0:43 / /tmp rw - tmpfs tmpfs rw\n"
                                   "62 27 0:44 / /mnt/my\\040disk\\134x rw - fuse.sshfs host:/ rw\n"
                                   "63 27 0:45 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw\n"
                                   "64 27 0:46 / /var/lib/nfs/rpc_pipefs rw - rpc_pipefs sunrpc rw\n",
                                   {{u"/"_s, u"SYSTEM"_s},
                                    {u"/home"_s, {}},
                                    {u"/mnt/my disk\\x"_s, {}},
                                    {u"/run/media/li/CARD"_s, u"相机 卡"_s},
                                    {u"/tmp"_s, {}}}},
                    // A chroot or a build root: the root folder is no mount point of its own, only the kernel's trees
                    // are mounted in it.
                    MountTableCase{"BuildRoot",
                                   "300 299 0:21 / /proc rw - proc proc rw\n"
                                   "301 299 0:22 / /sys rw - sysfs sysfs rw\n"
                                   "302 299 0:6 / /dev rw - devtmpfs udev rw\n",
                                   {{u"/"_s, {}}}},
                    MountTableCase{"NoTable", "", {{u"/"_s, {}}}},
                    // The mount made last on a folder hides the ones below it, and decides what the folder is; a
                    // root file system of a pseudo type is still the root.
                    MountTableCase{"OverMounted",
                                   "1 0 0:1 / / rw - rootfs rootfs rw\n"
                                   "10 1 8:1 / /data rw - ext4 /dev/sdc1 rw\n"
                                   "11 10 0:50 / /data rw - autofs systemd-1 rw\n"
                                   "12 1 0:51 / /media rw - autofs systemd-1 rw\n"
                                   "13 12 8:33 / /media rw - ext4 /dev/sdc2 rw\n"
                                   "a broken line\n"
                                   "14 1 8:34 / /broken rw no-separator ext4 /dev/sdc3\n",
                                   {{u"/"_s, {}}, {u"/media"_s, {}}}}),
    [](const testing::TestParamInfo<MountTableCase>& param) { return std::string(param.param.title); });

using test::HungMount;

TEST(Volumes, AMountThatDoesNotAnswerNeitherBlocksNorLeavesTheDriveList) {
    const QString bindfs = QStandardPaths::findExecutable(u"bindfs"_s);
    if (bindfs.isEmpty() || !QFile::exists(u"/dev/fuse"_s)) {
        FILARION_SKIP_WITHOUT_REAL_PATH("bindfs or /dev/fuse missing: no FUSE file system to hang");
    }
    HungMount hung(bindfs);
    if (!hung.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("this machine does not let the test mount a FUSE file system");
    }
    // The drive list is read in a child process, which a hang would leave blocked; the time limit only
    // keeps the test from waiting for ever.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        const std::vector<QString> roots = rootsOf(mountedVolumes());
        _exit(std::find(roots.begin(), roots.end(), hung.mountPoint()) != roots.end() ? 0 : 3);
    }
    int status = 0;
    bool finished = false;
    for (int i = 0; i < 600 && !finished; ++i) {
        finished = ::waitpid(child, &status, WNOHANG) == child;
        if (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    if (!finished) {
        ::kill(child, SIGKILL);
        hung.resume();
        ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(finished) << "reading the drive list blocked on the stopped mount";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the stopped mount is not among the drives";
}

} // namespace
} // namespace filarion::platform
