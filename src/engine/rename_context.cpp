#include "engine/rename_context.h"

#include "engine/run_log.h"
#include "engine/texts.h"

#include <initializer_list>

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

void RenameContext::ApplyRename(const QString& oldName, const QString& newName) {
    if (m_stopped) {
        return;
    }
    // The done line is on record before the file is touched, so a run killed at any moment leaves no file
    // renamed without its line; at most the log's last line names a rename that did not happen.
    if (!writeEventLine(EventKind::Done, oldName, newName)) {
        return;
    }
    const platform::RenameResult result = m_effects.rename(oldName, newName);
    if (result == platform::RenameResult::Renamed) {
        return;
    }
    if (m_effects.retractLine()) {
        stop();
        return;
    }
    if (result == platform::RenameResult::TargetExists) {
        m_services.showMessage(joined({oldName, texts::kNameTakenBefore, newName, texts::kNameTakenAfter}));
        writeEventLine(EventKind::NameTaken, oldName, newName);
    } else {
        writeEventLine(EventKind::Failed, oldName, newName);
    }
}

void RenameContext::refuseEmptyName(const QString& oldName, QStringView extension) {
    if (m_stopped) {
        return;
    }
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
