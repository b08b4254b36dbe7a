// A real run and its undo watched under strace: every rename comes after an fdatasync of the log that
// followed the write of its line, and the folder is fsynced after the last rename of each command.

#include "platform/gbk_codec.h"
#include "reliability_support.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

// Decodes strace's quoted strings under -xx: every byte as \xHH.
QByteArray quoted(const QByteArray& call, qsizetype& at) {
    QByteArray out;
    at = call.indexOf('"', at);
    if (at < 0) {
        return out;
    }
    for (++at; at + 3 < call.size() && call[at] == '\\' && call[at + 1] == 'x'; at += 4) {
        out.append(char(call.mid(at + 2, 2).toInt(nullptr, 16)));
    }
    ++at; // the closing quote
    return out;
}

long long resultOf(const QByteArray& call) {
    const qsizetype equals = call.lastIndexOf(" = ");
    return equals < 0 ? -1 : std::atoll(call.constData() + equals + 3);
}

int firstArgument(const QByteArray& call) {
    return std::atoi(call.constData() + call.indexOf('(') + 1);
}

struct Watch {
    int renames = 0;
    int syncsOfTheLog = 0;
    int foldersSynced = 0;
    int headers = 0;
};

// Reads the calls in order and checks each rename and each command's end as it comes.
void checkCalls(const QList<QByteArray>& calls, Watch& watch) {
    platform::GbkEncoder encoder;
    const QByteArray renamedTo = encoder.encode(u"改名为");
    const QByteArray done = encoder.encode(u"！") + "\r\n";
    QSet<int> logs;
    QSet<int> folders;
    QHash<QByteArray, int> lineWrittenAt; // a line, by the index of the last write that held it
    int lastSync = -1;
    int lastRename = -1;
    int lastFolderSync = -1;
    for (int i = 0; i < calls.size(); ++i) {
        const QByteArray& call = calls[i];
        const long long result = resultOf(call);
        qsizetype at = 0;
        if (call.startsWith("openat(") && result >= 0) {
            const QByteArray path = quoted(call, at);
            if (path.endsWith("QuillmarkLog.txt") && call.contains("O_APPEND")) {
                logs.insert(int(result));
            } else if (path == "." && call.contains("O_DIRECTORY")) {
                folders.insert(int(result));
            }
        } else if (call.startsWith("close(")) {
            logs.remove(firstArgument(call));
            folders.remove(firstArgument(call));
        } else if (call.startsWith("write(") && logs.contains(firstArgument(call))) {
            const QByteArray data = quoted(call, at);
            if (data.contains(" Quill Mark Log:")) {
                ++watch.headers;
                ASSERT_TRUE(lastRename < 0 || lastFolderSync > lastRename) << "a header before a folder sync: " << i;
            }
            for (const QByteArray& line : data.split('\n')) {
                lineWrittenAt.insert(line + '\n', i);
            }
        } else if (call.startsWith("fdatasync(") && result == 0 && logs.contains(firstArgument(call))) {
            lastSync = i;
            ++watch.syncsOfTheLog;
        } else if (call.startsWith("fsync(") && result == 0 && folders.contains(firstArgument(call))) {
            lastFolderSync = i;
            ++watch.foldersSynced;
        } else if (call.startsWith("renameat2(")) {
            const QByteArray from = quoted(call, at);
            const QByteArray to = quoted(call, at);
            const auto written = lineWrittenAt.find(from + renamedTo + to + done);
            ASSERT_NE(written, lineWrittenAt.end()) << "a rename without its line: " << call.toStdString();
            ASSERT_GT(lastSync, written.value()) << "a rename before its line was synced: " << call.toStdString();
            lastRename = i;
            ++watch.renames;
        }
    }
    ASSERT_GT(lastFolderSync, lastRename) << "no folder sync after the last rename";
}

TEST(SyncOrder, EveryRenameFollowsTheSyncOfItsLineAndEachCommandEndsWithTheFolderSynced) {
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    constexpr int kNames = 600;
    int taken = 0;
    for (int k = 0; k < kNames; ++k) {
        const QByteArray name = "f" + QByteArray::number(k).rightJustified(4, '0') + ".dat";
        ASSERT_TRUE(createExclusive(root + name, name));
        if (k % 13 == 5) { // the new name is taken: its line is cut off again and the batch begins anew
            ASSERT_TRUE(createExclusive(root + "x" + name, name));
            ++taken;
        }
    }
    const QByteArray trace = QFile::encodeName(folder.filePath(u"trace.txt"_s));
    // LeakSanitizer cannot work under ptrace: a sanitized child leaves the leak check out, nothing else.
    const QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    const QByteArray command =
        "ASAN_OPTIONS='" + sanitizer + (sanitizer.isEmpty() ? "" : ":") +
        "detect_leaks=0' strace -qq -xx -s 16777216 -e trace=openat,close,write,fdatasync,fsync,renameat2 -o '" +
        trace + "' '" + SYNC_ORDER_CHILD + "' '" + QFile::encodeName(folder.path()) + "'";
    const int status = std::system(command.constData());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "strace or the run failed: " << status;
    const QByteArray calls = folder.read(u"trace.txt"_s);
    ASSERT_FALSE(calls.isEmpty());
    Watch watch;
    ASSERT_NO_FATAL_FAILURE(checkCalls(calls.split('\n'), watch));
    // Both commands ran whole: each file went and came back, the taken names were tried and refused.
    EXPECT_EQ(watch.headers, 2);
    EXPECT_EQ(watch.renames, (kNames + taken) + kNames);
    EXPECT_GE(watch.syncsOfTheLog, taken);
    EXPECT_LT(watch.syncsOfTheLog, kNames); // batches, not one sync per line
    EXPECT_GE(watch.foldersSynced, 2);
}

} // namespace
} // namespace filarion::test
