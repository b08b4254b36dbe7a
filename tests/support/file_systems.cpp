#include "support/file_systems.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

struct Forced {
    std::atomic<bool> active{false};
    bool linksWork = false;
    std::function<bool(const char*)> linkRefused;
    std::atomic<int> linkCalls{0};
};

Forced& forced() {
    static Forced state;
    return state;
}

bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        return false;
    }
    if (output != nullptr) {
        *output = QString::fromLocal8Bit(process.readAll()).trimmed();
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

WithoutNoReplace::WithoutNoReplace(bool linksWork, std::function<bool(const char*)> linkRefused) {
    forced().linksWork = linksWork;
    forced().linkRefused = std::move(linkRefused);
    forced().linkCalls = 0;
    forced().active = true;
}

WithoutNoReplace::~WithoutNoReplace() {
    forced().active = false;
    forced().linkRefused = {};
}

int WithoutNoReplace::linkCalls() const {
    return forced().linkCalls;
}

FuseExfat::FuseExfat() {
    using namespace Qt::StringLiterals;
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_reason = "needs root and /dev/fuse";
        return;
    }
    for (const char* tool : {"mkfs.exfat", "mount.exfat-fuse", "losetup"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool), {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s})
                .isEmpty()) {
            m_reason = std::string("needs ") + tool;
            return;
        }
    }
    m_work = QDir::tempPath() + u"/filarion-exfat-"_s + QString::number(::getpid());
    const QString image = m_work + u"/card.img"_s;
    const QString mountPoint = m_work + u"/card"_s;
    QString device;
    if (!QDir().mkpath(mountPoint) || !run(u"truncate"_s, {u"-s"_s, u"256M"_s, image}) ||
        !run(u"mkfs.exfat"_s, {image}) || !run(u"losetup"_s, {u"-f"_s, u"--show"_s, image}, &device)) {
        m_reason = "no loop device for the image";
        QDir(m_work).removeRecursively();
        return;
    }
    m_loopDevice = device;
    if (!run(u"mount.exfat-fuse"_s, {m_loopDevice, mountPoint})) {
        m_reason = "mount.exfat-fuse failed";
        run(u"losetup"_s, {u"-d"_s, m_loopDevice});
        QDir(m_work).removeRecursively();
        return;
    }
    m_mountPoint = mountPoint;
}

FuseExfat::~FuseExfat() {
    using namespace Qt::StringLiterals;
    if (!m_mountPoint.isEmpty()) {
        run(u"umount"_s, {m_mountPoint});
    }
    if (!m_loopDevice.isEmpty()) {
        run(u"losetup"_s, {u"-d"_s, m_loopDevice});
    }
    if (!m_work.isEmpty()) {
        QDir(m_work).removeRecursively();
    }
}

} // namespace filarion::test

bool filarion::test::realPathsRequired() {
    return qEnvironmentVariable("FILARION_REQUIRE_REAL_PATHS") == QLatin1String("1");
}

// The test program's own renameat2 and linkat: the program's calls reach these before the C library's.
extern "C" int renameat2(int oldFolder, const char* oldName, int newFolder, const char* newName, unsigned flags) {
    if (filarion::test::forced().active && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldName, newFolder, newName, flags));
}

extern "C" int linkat(int oldFolder, const char* oldName, int newFolder, const char* newName, int flags) {
    auto& state = filarion::test::forced();
    if (state.active) {
        ++state.linkCalls;
        if (!state.linksWork || (state.linkRefused && state.linkRefused(oldName))) {
            errno = EPERM;
            return -1;
        }
    }
    return static_cast<int>(::syscall(SYS_linkat, oldFolder, oldName, newFolder, newName, flags));
}
