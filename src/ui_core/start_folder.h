#pragma once

#include "ui_core/working_set.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace filarion::ui_core {

// What the reading of a start folder found.
struct StartAnswer {
    std::optional<QString> refused; // the folder asked for, when it could not be opened or read
    FolderReading reading;          // of the folder asked for, or else of the fallback
};

// Reads the folder a window starts in on a thread of its own, so that a folder on a mount that does not
// answer (a hung network or FUSE mount) never holds up the thread that asked: nothing here touches the
// folder on that thread. The answer comes back on the asking thread, from its event loop. Only the latest
// request is answered: a new request or cancel() (the user has moved elsewhere) drops the answer to an
// earlier one, however late it comes. A reading that never ends keeps its thread, never the program: the
// reader's end waits for no thread.
class StartFolderReader : public QObject {
    Q_OBJECT

public:
    using Answered = std::function<void(StartAnswer)>;

    explicit StartFolderReader(Answered answered, QObject* parent = nullptr);
    ~StartFolderReader() override;
    StartFolderReader(const StartFolderReader&) = delete;
    StartFolderReader& operator=(const StartFolderReader&) = delete;

    // Reads `given` as the command line gives it (a file stands for its folder, a relative path is taken from
    // the working folder) with its subfolders and its files under `pattern`; when `given` is missing or
    // cannot be read, `fallback` instead (nothing when it is empty). Both are absolute and clean.
    void read(const std::optional<QString>& given, const QString& fallback, const QString& pattern);
    void cancel();
    // A request is under way and not yet answered.
    bool pending() const { return m_pending; }
    // Waits at most `wait` for the answer, and gives it at once when it comes in that time: a window can
    // show a folder that answers quickly in its first frame, and one that does not answer after `wait`.
    // True when nothing is pending any more.
    bool settle(std::chrono::milliseconds wait);

private:
    struct Mailbox;

    unsigned newTicket();
    void deliver(unsigned ticket);

    Answered m_answered;
    std::shared_ptr<Mailbox> m_mailbox;
    unsigned m_ticket = 0;
    bool m_pending = false;
};

} // namespace filarion::ui_core
