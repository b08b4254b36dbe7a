#include "support/file_systems.h"

#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

} // namespace

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

namespace {

// A port of the loopback interface that no one listens on now.
int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return connected;
}

QString findTool(const char* tool) {
    return QStandardPaths::findExecutable(QString::fromLatin1(tool), {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s});
}

} // namespace

FuseRclone::FuseRclone() {
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_reason = "needs root and /dev/fuse";
        return;
    }
    if (findTool("rclone").isEmpty()) {
        m_reason = "needs rclone";
        return;
    }
    m_work = QDir::tempPath() + u"/filarion-rclone-"_s + QString::number(::getpid());
    const QString backend = m_work + u"/backend"_s;
    const QString mountPoint = m_work + u"/mount"_s;
    if (!QDir().mkpath(backend) || !QDir().mkpath(mountPoint) ||
        !run(findTool("rclone"), {u"mount"_s, backend, mountPoint, u"--daemon"_s, u"--config"_s, u"/dev/null"_s})) {
        m_reason = "rclone could not mount";
        QDir(m_work).removeRecursively();
        return;
    }
    m_mountPoint = mountPoint;
}

FuseRclone::~FuseRclone() {
    if (!m_mountPoint.isEmpty() && !run(u"fusermount"_s, {u"-u"_s, m_mountPoint})) {
        run(u"umount"_s, {u"-l"_s, m_mountPoint});
    }
    if (!m_work.isEmpty()) {
        QDir(m_work).removeRecursively();
    }
}

FuseSshfs::FuseSshfs(SftpServer server, const QString& serverFolder) : m_served(serverFolder) {
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_reason = "needs root and /dev/fuse";
        return;
    }
    for (const char* tool : {"sshd", "ssh-keygen", "sshfs", "fusermount"}) {
        if (findTool(tool).isEmpty()) {
            m_reason = std::string("needs ") + tool;
            return;
        }
    }
    static std::atomic<int> mounts{0};
    m_work = QDir::tempPath() + u"/filarion-sshfs-"_s + QString::number(::getpid()) + u'-' + QString::number(mounts++);
    if (!start(server)) {
        if (m_sshd) {
            m_sshd->kill();
            m_sshd->waitForFinished();
            m_sshd.reset();
        }
        QDir(m_work).removeRecursively();
        m_mountPoint.clear();
    }
}

bool FuseSshfs::start(SftpServer server) {
    const QString key = m_work + u"/key"_s;
    const QString hostKey = m_work + u"/host_key"_s;
    if (m_served.isEmpty()) {
        m_served = m_work + u"/served"_s;
    }
    const QString mountPoint = m_work + u"/nas"_s;
    if (!QDir().mkpath(m_served) || !QDir().mkpath(mountPoint) || !QDir().mkpath(u"/run/sshd"_s) ||
        !run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s, key}) ||
        !run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s, hostKey})) {
        m_reason = "no keys for the server";
        return false;
    }
    const int port = freeLoopbackPort();
    QFile config(m_work + u"/sshd_config"_s);
    if (port == 0 || !config.open(QIODevice::WriteOnly)) {
        m_reason = "no loopback port for the server";
        return false;
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
    bool listening = false;
    for (int wait = 0; wait < 100 && !listening && m_sshd->state() != QProcess::NotRunning; ++wait) {
        listening = accepts(port);
        if (!listening) {
            ::usleep(50000);
        }
    }
    if (!listening) {
        m_reason = "sshd did not start";
        return false;
    }
    QString options = u"port=%1,IdentityFile=%2,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,"
                      u"BatchMode=yes,LogLevel=ERROR"_s.arg(port)
                          .arg(key);
    const QString sftpServer =
        findTool("sftp-server").isEmpty() ? u"/usr/lib/openssh/sftp-server"_s : findTool("sftp-server");
    if (server == SftpServer::NoPosixRename || server == SftpServer::NoPosixRenameNoHardLinks) {
        options += u",sftp_server="_s + sftpServer + u" -P posix-rename"_s;
    } else {
        options += u",sftp_server="_s + sftpServer;
    }
    if (server == SftpServer::NoHardLinks || server == SftpServer::NoPosixRenameNoHardLinks) {
        options += u",disable_hardlink"_s;
    }
    if (!run(findTool("sshfs"), {u"root@127.0.0.1:"_s + m_served, mountPoint, u"-o"_s, options})) {
        m_reason = "sshfs could not mount the server's folder";
        return false;
    }
    m_mountPoint = mountPoint;
    return true;
}

FuseSshfs::~FuseSshfs() {
    // The mount first: sshfs, its ssh and the server's session end with it; then the server.
    if (!m_mountPoint.isEmpty() && !run(u"fusermount"_s, {u"-u"_s, m_mountPoint})) {
        run(u"umount"_s, {u"-l"_s, m_mountPoint});
    }
    if (m_sshd) {
        m_sshd->terminate();
        if (!m_sshd->waitForFinished(5000)) {
            m_sshd->kill();
            m_sshd->waitForFinished();
        }
    }
    if (!m_work.isEmpty()) {
        QDir(m_work).removeRecursively();
    }
}

bool realPathsRequired() {
    return qEnvironmentVariable("FILARION_REQUIRE_REAL_PATHS") == QLatin1String("1");
}

namespace {

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
