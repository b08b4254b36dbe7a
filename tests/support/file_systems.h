#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/types.h>

namespace filarion::test {

class TempFolder;

// While it lives, the program's renames meet a file system that refuses RENAME_NOREPLACE (EINVAL) and, for
// the files `linkRefused` names (every file when it is empty), hard links (EPERM), as FAT, exFAT and many
// FUSE and network file systems do. Everything else goes to the real calls. It works by standing in for
// renameat2, renameat and linkat in the test program itself (without_no_replace.cpp).
class WithoutNoReplace {
public:
    explicit WithoutNoReplace(bool linksWork = false, std::function<bool(const char* name)> linkRefused = {});
    ~WithoutNoReplace();
    WithoutNoReplace(const WithoutNoReplace&) = delete;
    WithoutNoReplace& operator=(const WithoutNoReplace&) = delete;

    // The hard links asked for since construction, refused or not.
    int linkCalls() const;

    // Every hard link fails with this error instead (EIO, as rclone's mount answers).
    void failLinksWith(int error);
    // Every plain rename (renameat) of the program goes to this instead; it returns 0 or -1 with errno set.
    void replacePlainRename(std::function<int(int folder, const char* from, const char* to)> rename);
};

// What every mount of a test has: where it is (empty when it could not be made) and why not, for the skip
// message. The mount, and the work folder it lives in, are the object's own.
class FuseMount {
public:
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    bool mounted() const { return !m_mountPoint.isEmpty(); }
    const std::string& reason() const { return m_reason; }
    // The folder as the program sees it, through the mount.
    const QString& path() const { return m_mountPoint; }

protected:
    FuseMount() = default;
    ~FuseMount();

    QString m_work;
    QString m_mountPoint;
    std::string m_reason;
};

// An exFAT file system mounted through FUSE (exfat-fuse, on a loop device over an image file), as camera
// cards are mounted on older systems; unmounted when it goes. Needs root, /dev/fuse and a loop device.
class FuseExfat : public FuseMount {
public:
    FuseExfat();
    ~FuseExfat();

private:
    QString m_loopDevice;
};

// True when the environment asks that no test of a real file system, mount or display be skipped
// (FILARION_REQUIRE_REAL_PATHS=1, which CI sets): a test that cannot get what it needs then fails instead.
bool realPathsRequired();

// A folder of this machine mounted through rclone's FUSE mount (its local backend), which answers a hard link
// with EIO and writes a file to its backend after it is closed. Needs root, /dev/fuse and rclone.
class FuseRclone : public FuseMount {
public:
    FuseRclone();
    ~FuseRclone();
};

// What the SFTP server behind an sshfs mount offers.
enum class SftpServer {
    PosixRename,   // OpenSSH's sftp-server as it comes: a rename replaces, hard links work
    NoPosixRename, // posix-rename denied: a rename onto an existing name fails (EPERM), as older NAS servers do
    NoHardLinks,   // as it comes, with sshfs's hard links switched off (link answers EPERM): the claim method
    NoPosixRenameNoHardLinks, // both: only the plain rename, which refuses an existing name there
};

// A folder on a "NAS" reached through sshfs: OpenSSH's sshd on a free loopback port with a throwaway key,
// serving a folder of this machine (`serverFolder`, or a fresh one) through sftp-server. The server and the
// mount are this object's own: both go when it goes, and no process of theirs is left. Needs root,
// /dev/fuse, sshd, ssh-keygen and sshfs; otherwise not mounted, with the reason.
class FuseSshfs : public FuseMount {
public:
    explicit FuseSshfs(SftpServer server = SftpServer::PosixRename, const QString& serverFolder = {});
    ~FuseSshfs();
    // The same folder on the server's side.
    const QString& serverPath() const { return m_served; }

private:
    QString m_served;
    std::unique_ptr<QProcess> m_sshd;
};

// A FUSE file system (bindfs over an empty folder of its own) whose daemon is stopped (SIGSTOP): it answers no
// request, and whatever touches it waits for ever, until resume(). Unmounted when it goes.
class HungMount {
public:
    explicit HungMount(const QString& bindfs);
    ~HungMount();
    HungMount(const HungMount&) = delete;
    HungMount& operator=(const HungMount&) = delete;

    // A process blocked on the mount cannot even be killed until the daemon answers again.
    void resume() const { ::kill(m_daemon, SIGCONT); }
    bool mounted() const;
    QString mountPoint() const { return QFile::decodeName(m_mountPoint); }
    // The folder the mount shows, reached without the mount.
    QString sourcePath() const;

private:
    std::unique_ptr<TempFolder> m_folder;
    QByteArray m_mountPoint;
    pid_t m_daemon = -1;
};

} // namespace filarion::test

// Skips a test whose real file system, mount or display is missing here, or fails it where realPathsRequired().
// The message may be streamed: FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << card.reason()).
#define FILARION_SKIP_WITHOUT_REAL_PATH(message)                                                                       \
    if (::filarion::test::realPathsRequired())                                                                         \
        GTEST_FAIL() << "FILARION_REQUIRE_REAL_PATHS=1, yet skipped: " << message;                                     \
    else                                                                                                               \
        GTEST_SKIP() << message
