#include "engine/run_log.h"

#include "engine/texts.h"
#include "platform/clock.h"
#include "platform/disk_sync.h"
#include "platform/file_rename.h"
#include "platform/program_info.h"

#include <algorithm>

namespace filarion::engine {

namespace {

QStringView endingOf(EventKind kind) {
    switch (kind) {
    case EventKind::Done:
        return texts::kLineDone;
    case EventKind::NameTaken:
        return texts::kLineNameTaken;
    case EventKind::Illegal:
        return texts::kLineIllegal;
    case EventKind::Failed:
        return texts::kLineFailed;
    }
    return texts::kLineDone;
}

} // namespace

RunEnvironment defaultRunEnvironment() {
    return {platform::programBaseName(), &platform::currentStamp};
}

std::error_code openLockedRunLog(const platform::FolderHandle& folder, platform::WriteAheadFile& log) {
    if (const std::error_code error = log.open(folder, QString::fromUtf16(texts::kLogFileName))) {
        return error;
    }
    if (const std::error_code error = log.lock()) {
        (void)log.close();
        return error;
    }
    return {};
}

std::error_code writeRunHeader(const RunEnvironment& environment, platform::WriteAheadFile& log) {
    QString header = environment.stamp ? environment.stamp() : QString();
    header.append(QStringView(texts::kLogHeaderEnd));
    return log.writeLine(header);
}

QString runLogMessage(std::error_code error) {
    return QString::fromUtf16(error == std::errc::resource_unavailable_try_again ? texts::kAnotherRunGoingOn
                                                                                 : texts::kLogNotWritable);
}

std::error_code finishRunLog(const platform::FolderHandle& folder, platform::WriteAheadFile& log) {
    std::error_code error = log.sync();
    if (const std::error_code synced = platform::syncFolder(folder); !error) {
        error = synced;
    }
    if (const std::error_code closed = log.close(); !error) {
        error = closed;
    }
    return error;
}

void composeEventLine(QString& line, EventKind kind, QStringView oldName, QStringView newName) {
    line.resize(0); // keeps the capacity for the next line
    line.append(oldName).append(QStringView(texts::kRenamedTo)).append(newName).append(endingOf(kind));
}

platform::RenameResult DiskEffects::rename(const QString& oldName, const QString& newName) {
    const platform::RenameResult result = m_folder.rename(oldName, newName).result;
    m_renamed += result == platform::RenameResult::Renamed ? 1 : 0;
    return result;
}

std::error_code DiskEffects::writeLine(const RunEvent& event) {
    return m_log.writeLine(event.line);
}

std::error_code DiskEffects::retractLine() {
    return m_log.retractLines(1);
}

std::error_code DiskEffects::writeLines(const std::vector<RunEvent>& events, qsizetype& written) {
    for (const RunEvent& event : events) {
        m_log.queueLine(event.line);
    }
    return m_log.writeQueued(written);
}

std::error_code DiskEffects::commitLines() {
    return m_log.sync();
}

std::error_code DiskEffects::retractLines(qsizetype count) {
    return m_log.retractLines(count);
}

LogLineReader::LogLineReader() : m_decoder("GBK", QStringConverter::Flag::Stateless) {
    m_headerEnd = m_encoder.encode(QStringView(texts::kLogHeaderEnd));
    for (const EventKind kind : {EventKind::NameTaken, EventKind::Illegal, EventKind::Failed}) {
        m_refusals.push_back(m_encoder.encode(endingOf(kind)));
    }
}

LogLineReader::Kind LogLineReader::read(QByteArrayView bytes, bool cut) {
    m_doneText = {};
    m_refusalBody = {};
    const auto ending = std::find_if(m_refusals.begin(), m_refusals.end(),
                                     [&](const QByteArray& refusal) { return bytes.endsWith(refusal); });
    m_refusal = ending != m_refusals.end();
    if (m_refusal && !cut) {
        m_refusalBody = bytes.chopped(ending->size());
    }
    // A header is a header whatever stands before it on its line: the zeros a crash left at the log's end,
    // a hole, or anything longer than a line is read.
    if (bytes.endsWith(m_headerEnd)) {
        return Kind::Header;
    }
    if (cut) {
        return m_refusal ? Kind::Refusal : Kind::Other;
    }
    if (bytes.isEmpty()) {
        return Kind::Other;
    }
    m_text = m_decoder.decode(bytes);
    m_check.resize(0);
    m_encoder.append(m_text, m_check);
    const QStringView done(texts::kLineDone);
    if (m_check == bytes && m_text.endsWith(done)) {
        m_doneText = QStringView(m_text).chopped(done.size());
        return Kind::Done;
    }
    return m_refusal ? Kind::Refusal : Kind::Other;
}

} // namespace filarion::engine
