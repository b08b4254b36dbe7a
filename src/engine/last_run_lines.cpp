#include "engine/last_run_lines.h"

#include "engine/texts.h"
#include "platform/gbk_codec.h"

namespace filarion::engine {

LastRunLines::LastRunLines(Reading reading) : m_reading(reading) {
    platform::GbkEncoder encoder;
    m_headerEnd = encoder.encode(QStringView(texts::kLogHeaderEnd));
    m_doneEnd = encoder.encode(QStringView(texts::kLineDone));
}

std::error_code LastRunLines::open(const platform::FolderHandle& folder) {
    m_header = false;
    m_refusals.clear();
    return m_log.open(folder, QString::fromUtf16(texts::kLogFileName));
}

bool LastRunLines::endsAsDone() const {
    return !m_log.isCut() && m_log.line().endsWith(m_doneEnd);
}

bool LastRunLines::previous() {
    m_kind = LogLineReader::Kind::Other;
    m_withdrawn = false;
    if (m_header || !m_log.previous()) {
        return false;
    }
    if (m_reading == Reading::BytesOnly) {
        m_header = m_log.line().endsWith(m_headerEnd);
        return !m_header;
    }
    m_kind = m_lines.read(m_log.line(), m_log.isCut());
    if (m_kind == LogLineReader::Kind::Header) {
        m_header = true;
        return false;
    }
    if (!m_lines.refusalBody().isEmpty()) {
        m_refusals.insert(m_lines.refusalBody().toByteArray());
    }
    if (m_kind == LogLineReader::Kind::Done) {
        m_withdrawn = !m_refusals.isEmpty() && m_refusals.remove(m_log.line().chopped(m_doneEnd.size()).toByteArray());
    }
    return true;
}

} // namespace filarion::engine
