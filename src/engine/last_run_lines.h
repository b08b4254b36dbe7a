#pragma once

#include "engine/run_log.h"
#include "platform/folder_handle.h"
#include "platform/reverse_line_reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QStringView>
#include <system_error>

namespace filarion::engine {

// The lines of the rename log's last run, read from the last to the first up to its header, in bounded pieces
// (platform::ReverseLineReader), never through a link. The one reading of the log's lines that the undo's
// plan, the clearing of what a killed command left and the undo's look-ahead share.
class LastRunLines {
public:
    // Told: each line decoded and told by its kind. Bytes only: a line's bytes and whether it ends as a done
    // line, for a reader that looks only at names of ASCII (the undo's look-ahead).
    enum class Reading : std::uint8_t { Told, BytesOnly };

    explicit LastRunLines(Reading reading = Reading::Told);

    [[nodiscard]] std::error_code open(const platform::FolderHandle& folder);

    // Steps to the line before the current one (the last line at first). False at the run's header, at the
    // log's start, or when a read failed (error()).
    [[nodiscard]] bool previous();
    // True once the run's header was reached: the lines given were those of a run.
    bool reachedHeader() const { return m_header; }
    // True when the log does not end with a line end: its unfinished last piece is no line.
    bool endsTorn() const { return m_log.endsTorn(); }
    std::error_code error() const { return m_log.error(); }

    // The current line's bytes without its CR LF, and whether they are only the end of a longer line.
    QByteArrayView bytes() const { return m_log.line(); }
    bool isCut() const { return m_log.isCut(); }
    // True when the current line's bytes end as a done line and it was read whole.
    bool endsAsDone() const;

    // Told only: the current line's kind; for a done line, its text without the ending.
    LogLineReader::Kind kind() const { return m_kind; }
    QStringView doneText() const { return m_lines.doneText(); }
    bool endsAsRefusal() const { return m_lines.endsAsRefusal(); }
    // A done line that a later line of the run refuses with the same two names: its run could not take it
    // back (another program held the log, or the folder is on a network file system), and it is no rename.
    bool withdrawn() const { return m_withdrawn; }

private:
    Reading m_reading;
    platform::ReverseLineReader m_log;
    LogLineReader m_lines;
    QByteArray m_headerEnd;
    QByteArray m_doneEnd;
    QSet<QByteArray> m_refusals; // the two names of the refusals read so far
    LogLineReader::Kind m_kind = LogLineReader::Kind::Other;
    bool m_withdrawn = false;
    bool m_header = false;
};

// Calls visit(oldName, newName) for every reading of a line's text as a name, "改名为" and a name, both
// names not empty (a name may itself hold "改名为"), from the first such reading to the last; stops where
// visit returns false. Text is QStringView, or QByteArrayView over GBK bytes with renamedTo in GBK.
template <typename Text, typename Visit> void forEachSplit(Text body, Text renamedTo, Visit visit) {
    for (qsizetype at = body.indexOf(renamedTo); at >= 0; at = body.indexOf(renamedTo, at + 1)) {
        const Text oldName = body.first(at);
        const Text newName = body.sliced(at + renamedTo.size());
        if (!oldName.isEmpty() && !newName.isEmpty() && !visit(oldName, newName)) {
            return;
        }
    }
}

} // namespace filarion::engine
