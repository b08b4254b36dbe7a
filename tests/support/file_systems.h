#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace filarion::test {

class TempFolder;

// While it lives, the program's renames meet a file system that refuses RENAME_NOREPLACE (EINVAL) and, for
// the files `linkRefused` names (every file when it is empty), hard links (EPERM), as FAT, exFAT and many
// FUSE and network file systems do. Everything else goes to the real calls. It works by standing in for
// renameat2 and linkat in the test program itself.
class WithoutNoReplace {
public:
    explicit WithoutNoReplace(bool linksWork = false, std::function<bool(const char* name)> linkRefused = {});
    ~WithoutNoReplace();
    WithoutNoReplace(const WithoutNoReplace&) = delete;
    WithoutNoReplace& operator=(const WithoutNoReplace&) = delete;

    // The hard links asked for since construction, refused or not.
    int linkCalls() const;
};

// An exFAT file system mounted through FUSE (exfat-fuse, on a loop device over an image file), as camera
// cards are mounted on older systems; unmounted when it goes. Needs root, /dev/fuse and a loop device.
class FuseExfat {
public:
    FuseExfat();
    ~FuseExfat();
    FuseExfat(const FuseExfat&) = delete;
    FuseExfat& operator=(const FuseExfat&) = delete;

    bool mounted() const { return !m_mountPoint.isEmpty(); }
    // Why it could not be mounted, for the skip message.
    const std::string& reason() const { return m_reason; }
    const QString& path() const { return m_mountPoint; }

private:
    QString m_work;
    QString m_mountPoint;
    QString m_loopDevice;
    std::string m_reason;
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
    void resume() const;
    bool mounted() const;
    QString mountPoint() const;
    // The folder the mount shows, reached without the mount.
    QString sourcePath() const;

private:
    std::unique_ptr<TempFolder> m_folder;
    QByteArray m_mountPoint;
    pid_t m_daemon = -1;
};

} // namespace filarion::test
