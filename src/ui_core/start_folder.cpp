#include "ui_core/start_folder.h"

#include "ui_core/command_line.h"

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

// Where a reading thread hands its answer over. The reader leaves it when it goes, under the lock, so that a
// thread never posts to a reader that is gone.
struct StartFolderReader::Mailbox {
    std::mutex mutex;
    StartFolderReader* reader = nullptr;
};

StartFolderReader::StartFolderReader(Answered answered, QObject* parent)
    : QObject(parent), m_answered(std::move(answered)), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->reader = this;
}

StartFolderReader::~StartFolderReader() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->reader = nullptr;
}

void StartFolderReader::read(const std::optional<QString>& given, const QString& fallback, const QString& pattern) {
    const unsigned ticket = ++m_ticket;
    m_pending = true;
    std::thread([mailbox = m_mailbox, ticket, given, fallback, pattern] {
        auto answer = std::make_shared<StartAnswer>(readStart(given, fallback, pattern));
        const std::lock_guard lock(mailbox->mutex);
        if (StartFolderReader* reader = mailbox->reader) {
            QMetaObject::invokeMethod(
                reader, [reader, ticket, answer] { reader->deliver(ticket, std::move(*answer)); },
                Qt::QueuedConnection);
        }
    }).detach();
}

void StartFolderReader::cancel() {
    ++m_ticket;
    m_pending = false;
}

void StartFolderReader::deliver(unsigned ticket, StartAnswer answer) {
    if (ticket != m_ticket) {
        return;
    }
    m_pending = false;
    m_answered(std::move(answer));
}

} // namespace filarion::ui_core
