#pragma once

#include "engine/command_services.h"
#include "support/recording_services.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <sys/types.h>

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

} // namespace filarion::test
