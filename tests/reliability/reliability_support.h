#pragma once

#include "engine/command_services.h"
#include "support/recording_services.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <random>
#include <sys/types.h>
#include <vector>

namespace filarion::test {

// The services a command runs with in a child process: no window, every question answered with Yes.
class SilentServices : public engine::CommandServices {
public:
    void showMessage(const QString&) override {}
    bool askYesNo(const QString&) override { return true; }
    void setProgress(int) override {}
    void enterBusy() override {}
    void leaveBusy() override {}
    void refreshFileList() override {}
};

// Recording services whose progress callback runs a hook just before the entry of that tick is handled. In
// a run of 2 to 101 entries every entry moves the bar, so the k-th call belongs to entry k.
class HookedServices : public RecordingServices {
public:
    std::function<void(int)> beforeEntry;
    int ticks = 0;

    void setProgress(int value) override {
        RecordingServices::setProgress(value);
        if (beforeEntry) {
            beforeEntry(ticks);
        }
        ++ticks;
    }
};

// The working set of the folder for the pattern, read as the window reads it.
QStringList readWorkingSet(const QString& folder, const QString& pattern);

// The bytes of the file at the path, read with plain system calls; nothing when it cannot be opened.
std::optional<QByteArray> readBytes(const QByteArray& path);

// Creates the file at the path with the bytes; false when that fails or it exists.
bool createExclusive(const QByteArray& path, const QByteArray& bytes);

// Every entry name of the folder ("." and ".." left out) as raw bytes, in no particular order.
QList<QByteArray> rawEntries(const QByteArray& folder);

// A forked child running body and ending with its result through _exit, so that nothing of the test
// framework runs twice.
pid_t startChild(const std::function<int()>& body);

// Waits for the child: its exit code, or 128 + the signal that ended it.
int waitChild(pid_t child);

// Files and kills of the killed-run tests: the sanitizer makes every step slower, so its runs work on fewer
// files; the kills stay as many.
#if defined(__SANITIZE_ADDRESS__)
#define FILARION_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FILARION_UNDER_ASAN 1
#endif
#endif
#ifdef FILARION_UNDER_ASAN
constexpr int kFiles = 10000;
#else
constexpr int kFiles = 20000;
#endif
constexpr int kKills = 50;
// A kill that comes after the command's last write finds it gone: the faster the command, the more trials end
// that way (up to 69 of 119 for the undo of 20,000 files), so the bound leaves room for twice that.
constexpr int kMaxTrials = 250;

// The size of the file at the path; 0 when there is none.
qint64 sizeOf(const QByteArray& path);

// Kills the child once the file at the path has grown to the given size, or at once when it has ended
// already. True when the kill is what ended it.
bool killWhenGrown(pid_t child, const QByteArray& path, qint64 size);

// Creates kFiles files f_00000.dat, f_00001.dat, ... in the folder (its path with a separator at the end),
// each holding its own bytes; their bytes by name.
QHash<QString, QByteArray> createNumberedFiles(const QByteArray& root);

// Runs the command in a child process and kills it once the log has grown to a random size within `reach`
// bytes past what it `held`, or not at all when the command ends first. Counts the kill or the end, and
// gives the log's bytes afterwards, asserting that it lost none that it held.
void runAndKillWithinLog(const std::function<void()>& command, const QByteArray& logPath, const QByteArray& held,
                         qint64 reach, std::mt19937& random, int& kills, int& completed, QByteArray& now);

// What a killed run added to its log: `headed` when the header is there whole, `lined` whole event lines in
// order after it, `torn` when a start of the next line (or of the header) follows them. The caller asserts
// that the log kept what it held; failing also when bytes follow that start no line.
struct LogGrowth {
    bool headed = false;
    qsizetype lined = 0;
    bool torn = false;
};
void readLogGrowth(QByteArrayView gained, const QByteArray& header, const std::vector<QByteArray>& lines,
                   LogGrowth& growth);
// The rule a kill leaves between the renames made and their lines: every rename has its line, and the lines
// without their rename (with a torn one after them) are at most one batch, the last, which went to the disk
// whole before its first rename.
void expectLinesAheadOfOneBatch(qsizetype renamed, qsizetype lined, bool torn);

} // namespace filarion::test
