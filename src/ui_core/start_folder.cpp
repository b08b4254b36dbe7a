#include "ui_core/start_folder.h"

#include "ui_core/command_line.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace filarion::ui_core {

namespace {

StartAnswer readStart(const std::optional<QString>& given, const QString& fallback, const QString& pattern) {
    StartAnswer answer;
    if (given) {
        if (const std::optional<QString> folder = startFolderOf(*given)) {
            answer.reading = FolderReading(*folder, pattern, true);
            if (!answer.reading.error()) {
                return answer;
            }
        }
        answer.refused = *given;
    }
    answer.reading = fallback.isEmpty() ? FolderReading() : FolderReading(fallback, pattern, true);
    return answer;
}

} // namespace

// Where a reading thread hands its answer over: only the answer to the latest request is kept. The reader
// leaves it when it goes, under the lock, so that a thread never posts to a reader that is gone.
struct StartFolderReader::Mailbox {
    std::mutex mutex;
    std::condition_variable answered;
    StartFolderReader* reader = nullptr;
    unsigned latest = 0;               // the ticket of the latest request
    std::optional<StartAnswer> answer; // the answer to it, once there
};

StartFolderReader::StartFolderReader(Answered answered, QObject* parent)
    : QObject(parent), m_answered(std::move(answered)), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->reader = this;
}

StartFolderReader::~StartFolderReader() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->reader = nullptr;
    m_mailbox->answer.reset();
}

void StartFolderReader::read(const std::optional<QString>& given, const QString& fallback, const QString& pattern) {
    const unsigned ticket = newTicket();
    m_pending = true;
    std::thread([mailbox = m_mailbox, ticket, given, fallback, pattern] {
        StartAnswer answer = readStart(given, fallback, pattern);
        const std::lock_guard lock(mailbox->mutex);
        if (mailbox->reader == nullptr || mailbox->latest != ticket) {
            return;
        }
        mailbox->answer = std::move(answer);
        mailbox->answered.notify_all();
        QMetaObject::invokeMethod(
            mailbox->reader, [reader = mailbox->reader, ticket] { reader->deliver(ticket); }, Qt::QueuedConnection);
    }).detach();
}

void StartFolderReader::cancel() {
    (void)newTicket();
    m_pending = false;
}

bool StartFolderReader::settle(std::chrono::milliseconds wait) {
    if (m_pending) {
        std::unique_lock lock(m_mailbox->mutex);
        (void)m_mailbox->answered.wait_for(lock, wait, [this] { return m_mailbox->answer.has_value(); });
    }
    deliver(m_ticket);
    return !m_pending;
}

unsigned StartFolderReader::newTicket() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->latest = ++m_ticket;
    m_mailbox->answer.reset();
    return m_ticket;
}

void StartFolderReader::deliver(unsigned ticket) {
    std::optional<StartAnswer> answer;
    {
        const std::lock_guard lock(m_mailbox->mutex);
        if (ticket != m_ticket || !m_pending || !m_mailbox->answer) {
            return;
        }
        answer = std::move(m_mailbox->answer);
        m_mailbox->answer.reset();
    }
    m_pending = false;
    m_answered(std::move(*answer));
}

} // namespace filarion::ui_core
