#include "engine/rename_context.h"

#include "engine/run_log.h"
#include "engine/texts.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace filarion::engine {

namespace {

QString joined(std::initializer_list<QStringView> parts) {
    qsizetype size = 0;
    for (const QStringView part : parts) {
        size += part.size();
    }
    QString text;
    text.reserve(size);
    for (const QStringView part : parts) {
        text.append(part);
    }
    return text;
}

} // namespace

const QString* RenameContext::decidedAhead() const {
    return m_next < m_batch.size() && m_batch[m_next].entry == m_entry ? &m_batch[m_next].newName : nullptr;
}

void RenameContext::ApplyRename(const QString& oldName, const QString& newName) {
    if (m_stopped) {
        return;
    }
    // The done line is on the disk before the file is touched, so a run killed or cut from power at any
    // moment leaves no file renamed without its line; at most the lines of the last batch name renames that
    // did not happen.
    if (decidedAhead() == nullptr && !writeBatch(oldName, newName)) {
        return;
    }
    ++m_next;
    const platform::RenameResult result = m_effects.rename(oldName, newName);
    m_services.noteRename(oldName, newName,
                          result == platform::RenameResult::Renamed        ? RenameOutcome::Renamed
                          : result == platform::RenameResult::TargetExists ? RenameOutcome::NameTaken
                                                                           : RenameOutcome::Failed);
    if (result == platform::RenameResult::Renamed) {
        if (m_next == m_batch.size()) {
            m_limit = std::min(m_limit * kGrowth, m_effects.batchLimit());
        }
        return;
    }
    // This line and the later ones of the batch go; where they cannot go whole, they stay for the renames
    // still to come, and the refusal line follows them.
    if (!m_linesStay) {
        const auto count = static_cast<qsizetype>(m_batch.size() - (m_next - 1));
        if (m_effects.retractLines(count)) {
            m_linesStay = true;
        } else {
            m_batch.clear();
            m_next = 0;
        }
    }
    m_limit = std::max(1, m_limit / 2);
    if (result == platform::RenameResult::TargetExists) {
        m_services.showMessage(joined({oldName, texts::kNameTakenBefore, newName, texts::kNameTakenAfter}));
        writeEventLine(EventKind::NameTaken, oldName, newName);
    } else {
        writeEventLine(EventKind::Failed, oldName, newName);
    }
}

bool RenameContext::writeBatch(const QString& oldName, const QString& newName) {
    m_batch.clear();
    m_next = 0;
    m_linesStay = false;
    m_batch.push_back({m_entry, oldName, newName});
    // A rename from a name that an earlier rename of the batch gives (a table's step out of its temporary name)
    // starts a batch of its own: its line is written only once that rename was made, so that no line written
    // ahead of a kill can read as a rename that happened (its old name free, its new name a file).
    m_given.clear();
    m_given.insert(newName);
    for (int j = m_entry + 1; m_lookAhead && std::ssize(m_batch) < m_limit; ++j) {
        ComingRename coming = m_lookAhead(j);
        if (coming.rename && !m_given.contains(coming.oldName)) {
            m_given.insert(coming.newName);
            m_batch.push_back({j, std::move(coming.oldName), std::move(coming.newName)});
        } else if (coming.rename || !coming.skip) {
            break;
        }
    }
    m_lines.resize(m_batch.size());
    m_events.clear();
    for (std::size_t k = 0; k < m_batch.size(); ++k) {
        const Pending& pending = m_batch[k];
        composeEventLine(m_lines[k], EventKind::Done, pending.oldName, pending.newName);
        m_events.push_back({pending.entry, EventKind::Done, pending.oldName, pending.newName, m_lines[k]});
    }
    qsizetype written = 0;
    const std::error_code error = m_effects.writeLines(m_events, written);
    if (written == 0) {
        m_batch.clear();
        stop();
        return false;
    }
    if (error) {
        // The lines that went out are a batch of their own; the next one tries the rest again.
        m_batch.resize(static_cast<std::size_t>(written));
        m_limit = std::max(1, m_limit / 2);
    }
    if (m_effects.commitLines()) {
        (void)m_effects.retractLines(written);
        m_batch.clear();
        stop();
        return false;
    }
    return true;
}

void RenameContext::refuseEmptyName(const QString& oldName, QStringView extension) {
    if (m_stopped) {
        return;
    }
    m_services.noteRename(oldName, extension, RenameOutcome::EmptyName);
    m_services.showMessage(joined({oldName, texts::kEmptyNameAfter}));
    writeEventLine(EventKind::Illegal, oldName, extension);
}

bool RenameContext::writeEventLine(EventKind kind, QStringView oldName, QStringView newName) {
    composeEventLine(m_line, kind, oldName, newName);
    if (m_effects.writeLine({m_entry, kind, oldName, newName, m_line})) {
        stop();
        return false;
    }
    return true;
}

void RenameContext::stop() {
    m_stopped = true;
    m_services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
}

} // namespace filarion::engine
