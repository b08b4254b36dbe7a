#include "support/file_systems.h"

#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <atomic>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

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

QString findTool(const char* tool) {
    return QStandardPaths::findExecutable(QString::fromLatin1(tool), {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s});
}

// Why a FUSE mount with these tools cannot be made here; empty when it can.
std::string lacking(std::initializer_list<const char*> tools) {
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
        return "needs root and /dev/fuse";
    }
    for (const char* tool : tools) {
        if (findTool(tool).isEmpty()) {
            return std::string("needs ") + tool;
        }
    }
    return {};
}

// A work folder of its own for each mount of the program.
QString workFolder(const QString& kind) {
    static std::atomic<int> mounts{0};
    return QDir::tempPath() + u"/filarion-"_s + kind + u'-' + QString::number(::getpid()) + u'-' +
           QString::number(mounts++);
}

void unmount(const QString& mountPoint) {
    if (!mountPoint.isEmpty() && !run(u"fusermount"_s, {u"-u"_s, mountPoint})) {
        run(u"umount"_s, {u"-l"_s, mountPoint});
    }
}

// Asks every 50 ms, for up to ten seconds, until the answer is yes; the last answer.
bool waitFor(const std::function<bool()>& ready) {
    for (int i = 0; i < 200; ++i) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ready();
}

// A socket of the loopback interface bound to the port (0: a free one) or connected to it, and closed again: the
// port, or 0 when that failed.
int loopback(int port, bool connectIt) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    auto* at = reinterpret_cast<sockaddr*>(&address);
    socklen_t size = sizeof(address);
    const bool done = fd >= 0 && (connectIt ? ::connect(fd, at, size) == 0
                                            : ::bind(fd, at, size) == 0 && ::getsockname(fd, at, &size) == 0);
    ::close(fd);
    return done ? ntohs(address.sin_port) : 0;
}

} // namespace

FuseMount::~FuseMount() {
    if (!m_work.isEmpty()) {
        QDir(m_work).removeRecursively();
    }
}

FuseExfat::FuseExfat() {
    if (m_reason = lacking({"mkfs.exfat", "mount.exfat-fuse", "losetup"}); !m_reason.empty()) {
        return;
    }
    m_work = workFolder(u"exfat"_s);
    const QString image = m_work + u"/card.img"_s;
    const QString mountPoint = m_work + u"/card"_s;
    if (!QDir().mkpath(mountPoint) || !run(u"truncate"_s, {u"-s"_s, u"256M"_s, image}) ||
        !run(u"mkfs.exfat"_s, {image}) || !run(u"losetup"_s, {u"-f"_s, u"--show"_s, image}, &m_loopDevice)) {
        m_loopDevice.clear();
        m_reason = "no loop device for the image";
    } else if (!run(u"mount.exfat-fuse"_s, {m_loopDevice, mountPoint})) {
        m_reason = "mount.exfat-fuse failed";
    } else {
        m_mountPoint = mountPoint;
    }
}

FuseExfat::~FuseExfat() {
    if (!m_mountPoint.isEmpty()) {
        run(u"umount"_s, {m_mountPoint});
    }
    if (!m_loopDevice.isEmpty()) {
        run(u"losetup"_s, {u"-d"_s, m_loopDevice});
    }
}

FuseRclone::FuseRclone() {
    if (m_reason = lacking({"rclone"}); !m_reason.empty()) {
        return;
    }
    m_work = workFolder(u"rclone"_s);
    const QString backend = m_work + u"/backend"_s;
    const QString mountPoint = m_work + u"/mount"_s;
    if (!QDir().mkpath(backend) || !QDir().mkpath(mountPoint) ||
        !run(findTool("rclone"), {u"mount"_s, backend, mountPoint, u"--daemon"_s, u"--config"_s, u"/dev/null"_s})) {
        m_reason = "rclone could not mount";
        return;
    }
    m_mountPoint = mountPoint;
}

FuseRclone::~FuseRclone() {
    unmount(m_mountPoint);
}

FuseSshfs::FuseSshfs(SftpServer server, const QString& serverFolder) : m_served(serverFolder) {
    if (m_reason = lacking({"sshd", "ssh-keygen", "sshfs", "fusermount"}); !m_reason.empty()) {
        return;
    }
    m_work = workFolder(u"sshfs"_s);
    const QString key = m_work + u"/key"_s;
    const QString hostKey = m_work + u"/host_key"_s;
    m_served = m_served.isEmpty() ? m_work + u"/served"_s : m_served;
    const QString mountPoint = m_work + u"/nas"_s;
    if (!QDir().mkpath(m_served) || !QDir().mkpath(mountPoint) || !QDir().mkpath(u"/run/sshd"_s) ||
        !run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s, key}) ||
        !run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s, hostKey})) {
        m_reason = "no keys for the server";
        return;
    }
    const int port = loopback(0, false);
    QFile config(m_work + u"/sshd_config"_s);
    if (port == 0 || !config.open(QIODevice::WriteOnly)) {
        m_reason = "no loopback port for the server";
        return;
    }
    config.write(QStringLiteral("Port %1\nListenAddress 127.0.0.1\nHostKey %2\nAuthorizedKeysFile %3.pub\n"
                                "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                                "PermitRootLogin prohibit-password\nStrictModes no\nUsePAM no\n"
                                "PidFile none\nSubsystem sftp internal-sftp\n")
                     .arg(port)
                     .arg(hostKey, key)
                     .toUtf8());
    config.close();
    m_sshd = std::make_unique<QProcess>();
    m_sshd->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sshd->setStandardOutputFile(QProcess::nullDevice());
    m_sshd->start(findTool("sshd"), {u"-D"_s, u"-f"_s, config.fileName()});
    if (!waitFor([&] { return m_sshd->state() == QProcess::NotRunning || loopback(port, true) != 0; }) ||
        loopback(port, true) == 0) {
        m_reason = "sshd did not start";
        return;
    }
    const bool noPosixRename = server == SftpServer::NoPosixRename || server == SftpServer::NoPosixRenameNoHardLinks;
    const bool noHardLinks = server == SftpServer::NoHardLinks || server == SftpServer::NoPosixRenameNoHardLinks;
    const QString sftpServer =
        findTool("sftp-server").isEmpty() ? u"/usr/lib/openssh/sftp-server"_s : findTool("sftp-server");
    const QString options = u"port=%1,IdentityFile=%2,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,"
                            u"BatchMode=yes,LogLevel=ERROR,sftp_server=%3%4%5"_s.arg(port)
                                .arg(key, sftpServer, noPosixRename ? u" -P posix-rename"_s : QString(),
                                     noHardLinks ? u",disable_hardlink"_s : QString());
    if (!run(findTool("sshfs"), {u"root@127.0.0.1:"_s + m_served, mountPoint, u"-o"_s, options})) {
        m_reason = "sshfs could not mount the server's folder";
        return;
    }
    m_mountPoint = mountPoint;
}

FuseSshfs::~FuseSshfs() {
    // The mount first: sshfs, its ssh and the server's session end with it; then the server.
    unmount(m_mountPoint);
    if (m_sshd) {
        m_sshd->terminate();
        if (!m_sshd->waitForFinished(5000)) {
            m_sshd->kill();
            m_sshd->waitForFinished();
        }
    }
}

bool realPathsRequired() {
    return qEnvironmentVariable("FILARION_REQUIRE_REAL_PATHS") == QLatin1String("1");
}

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
    } else if (waitFor([this] { return mounted(); })) {
        ::kill(m_daemon, SIGSTOP);
    }
}

HungMount::~HungMount() {
    if (m_daemon <= 0) {
        return;
    }
    ::kill(m_daemon, SIGCONT);
    run(u"fusermount3"_s, {u"-u"_s, u"-z"_s, mountPoint()});
    if (mounted()) {
        run(u"umount"_s, {u"-l"_s, mountPoint()});
    }
    ::kill(m_daemon, SIGTERM);
    ::waitpid(m_daemon, nullptr, 0);
}

bool HungMount::mounted() const {
    QFile table(u"/proc/self/mountinfo"_s);
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(" " + m_mountPoint + " ");
}

QString HungMount::sourcePath() const {
    return m_folder->filePath(u"source"_s);
}

} // namespace filarion::test
