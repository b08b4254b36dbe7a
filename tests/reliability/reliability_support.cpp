#include "reliability_support.h"

#include "engine/run_log.h"
#include "ui_core/working_set.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace filarion::test {

QStringList readWorkingSet(const QString& folder, const QString& pattern) {
    ui_core::WorkingSet set;
    set.setFolder(folder);
    set.setPatternText(pattern);
    (void)set.refresh();
    return set.names();
}

std::optional<QByteArray> readBytes(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    ::close(fd);
    return bytes;
}

bool createExclusive(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

QList<QByteArray> rawEntries(const QByteArray& folder) {
    QList<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.push_back(QByteArray(entry->d_name));
        }
    }
    ::closedir(dir);
    return names;
}

pid_t startChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    return child;
}

int waitChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

qint64 sizeOf(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 ? static_cast<qint64>(st.st_size) : 0;
}

bool killWhenGrown(pid_t child, const QByteArray& path, qint64 size) {
    int status = 0;
    while (sizeOf(path) < size) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100)); // leaves the processor to the child
    }
    ::kill(child, SIGKILL);
    return waitChild(child) == 128 + SIGKILL;
}

QHash<QString, QByteArray> createNumberedFiles(const QByteArray& root) {
    QHash<QString, QByteArray> contentOf;
    for (int k = 0; k < kFiles; ++k) {
        const QString name = QStringLiteral("f_%1.dat").arg(k, 5, 10, QChar(u'0'));
        const QByteArray content = "file " + QByteArray::number(k) + '\n';
        EXPECT_TRUE(createExclusive(root + QFile::encodeName(name), content));
        contentOf.insert(name, content);
    }
    return contentOf;
}

void runAndKillWithinLog(const std::function<void()>& command, const QByteArray& logPath, const QByteArray& held,
                         qint64 reach, std::mt19937& random, int& kills, int& completed, QByteArray& now) {
    const pid_t child = startChild([&] {
        command();
        return 0;
    });
    const qint64 killAt = held.size() + static_cast<qint64>(random() % static_cast<unsigned>(reach));
    if (killWhenGrown(child, logPath, killAt)) {
        ++kills;
    } else {
        ++completed;
    }
    now = readBytes(logPath).value_or(QByteArray());
    ASSERT_TRUE(now.startsWith(held)) << "the log lost bytes it held";
}

void readLogGrowth(QByteArrayView gained, const QByteArray& header, const std::vector<QByteArray>& lines,
                   LogGrowth& growth) {
    qsizetype at = 0;
    growth = {};
    growth.headed = gained.startsWith(header);
    if (growth.headed) {
        at = header.size();
        while (at < gained.size() && growth.lined < qsizetype(lines.size()) &&
               gained.sliced(at).startsWith(lines[std::size_t(growth.lined)])) {
            at += lines[std::size_t(growth.lined++)].size();
        }
    }
    // A kill between two pages of one write can tear the last line; the part that is there is its start.
    growth.torn = at < gained.size();
    if (growth.torn) {
        ASSERT_LT(growth.lined, qsizetype(lines.size())) << "bytes in the log after the last line";
        const QByteArray& expected = growth.headed ? lines[std::size_t(growth.lined)] : header;
        ASSERT_TRUE(expected.startsWith(gained.sliced(at))) << "bytes in the log that name no rename";
    }
}

void expectLinesAheadOfOneBatch(qsizetype renamed, qsizetype lined, bool torn) {
    ASSERT_LE(renamed, lined) << "a rename without its line";
    ASSERT_LE(lined - renamed + (torn ? 1 : 0), engine::RunEnvironment::kLargestBatch)
        << renamed << " renamed, " << lined << " lines: more lines ahead than one batch";
}

} // namespace filarion::test
