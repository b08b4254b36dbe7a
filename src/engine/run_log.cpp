#include "engine/run_log.h"

#include "engine/texts.h"
#include "platform/clock.h"
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

std::error_code openRunLog(const platform::FolderHandle& folder, const RunEnvironment& environment,
                           platform::GbkAppendFile& log) {
    QString header = environment.stamp ? environment.stamp() : QString();
    header.append(QStringView(texts::kLogHeaderEnd));
    if (const std::error_code error = log.open(folder, QString::fromUtf16(texts::kLogFileName))) {
        return error;
    }
    return log.writeLine(header);
}

void composeEventLine(QString& line, EventKind kind, QStringView oldName, QStringView newName) {
    line.resize(0); // keeps the capacity for the next line
    line.append(oldName).append(QStringView(texts::kRenamedTo)).append(newName).append(endingOf(kind));
}

platform::RenameResult DiskEffects::rename(const QString& oldName, const QString& newName) {
    return m_folder.rename(oldName, newName).result;
}

std::error_code DiskEffects::writeLine(const RunEvent& event) {
    return m_log.writeLine(event.line);
}

std::error_code DiskEffects::retractLine() {
    return m_log.retractLastLine();
}

LogLineReader::LogLineReader() : m_decoder("GBK", QStringConverter::Flag::Stateless) {
    m_headerEnd = m_encoder.encode(QStringView(texts::kLogHeaderEnd));
    for (const EventKind kind : {EventKind::NameTaken, EventKind::Illegal, EventKind::Failed}) {
        m_refusals.push_back(m_encoder.encode(endingOf(kind)));
    }
}

LogLineReader::Kind LogLineReader::read(QByteArrayView bytes, bool cut) {
    m_doneText = {};
    m_refusal = std::any_of(m_refusals.begin(), m_refusals.end(),
                            [&](const QByteArray& ending) { return bytes.endsWith(ending); });
    if (cut) {
        return m_refusal ? Kind::Refusal : Kind::Other;
    }
    if (bytes.endsWith(m_headerEnd)) {
        return Kind::Header;
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
