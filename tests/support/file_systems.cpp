#include "support/file_systems.h"

#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

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

namespace filarion::test {

namespace {
using namespace Qt::StringLiterals;

void runQuietly(std::vector<const char*> args) {
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, const_cast<char**>(args.data()), environ) == 0) {
        ::waitpid(pid, nullptr, 0);
    }
}

} // namespace

HungMount::HungMount(const QString& bindfs) : m_folder(std::make_unique<TempFolder>()) {
    const QByteArray source = QFile::encodeName(m_folder->filePath(u"source"_s));
    m_mountPoint = QFile::encodeName(m_folder->filePath(u"mount"_s));
    m_folder->makeFolder(u"source"_s);
    m_folder->makeFolder(u"mount"_s);
    const QByteArray program = QFile::encodeName(bindfs);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("-f"),
                    const_cast<char*>(source.constData()), const_cast<char*>(m_mountPoint.constData()), nullptr};
    if (posix_spawn(&m_daemon, program.constData(), nullptr, nullptr, argv, environ) != 0) {
        m_daemon = -1;
        return;
    }
    for (int i = 0; i < 200 && !mounted(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (mounted()) {
        ::kill(m_daemon, SIGSTOP);
    }
}

HungMount::~HungMount() {
    if (m_daemon <= 0) {
        return;
    }
    ::kill(m_daemon, SIGCONT);
    runQuietly({"fusermount3", "-u", "-z", m_mountPoint.constData()});
    if (mounted()) {
        runQuietly({"umount", "-l", m_mountPoint.constData()});
    }
    ::kill(m_daemon, SIGTERM);
    ::waitpid(m_daemon, nullptr, 0);
}

void HungMount::resume() const {
    ::kill(m_daemon, SIGCONT);
}

bool HungMount::mounted() const {
    QFile table(u"/proc/self/mountinfo"_s);
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(" " + m_mountPoint + " ");
}

QString HungMount::mountPoint() const {
    return QFile::decodeName(m_mountPoint);
}

QString HungMount::sourcePath() const {
    return m_folder->filePath(u"source"_s);
}

} // namespace filarion::test
