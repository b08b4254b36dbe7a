#pragma once

#include "platform/folder_handle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <system_error>

namespace filarion::platform {

// The lines of a text file of a held folder (CR LF after each), read from the last to the first in bounded
// pieces: memory does not grow with the file, and holes of a sparse file are passed over without being
// read. Reached by its bare name in the folder and never through a link: an entry of that name that is a
// link or not a regular file is refused (ELOOP, EISDIR, EINVAL); a missing one is ENOENT. Never waits on a
// FIFO put there meanwhile.
class ReverseLineReader {
public:
    // Longer lines are given by their last this many bytes only.
    static constexpr qsizetype kLongestLine = 16 * 1024;

    [[nodiscard]] std::error_code open(const FolderHandle& folder, const QString& name);

    // True when the file does not end with a line end: its unfinished last piece is no line and is skipped.
    bool endsTorn() const { return m_torn; }

    // Steps to the line before the current one (the last line at first). False at the start of the file,
    // or when a read failed (error()).
    [[nodiscard]] bool previous();

    // The current line without its CR LF; valid until the next call of previous().
    QByteArrayView line() const { return m_line; }
    // True when the current line is longer than kLongestLine and line() is its end only.
    bool isCut() const { return m_cut; }

    std::error_code error() const { return m_error; }

private:
    // Loads the bytes before `end` into the window, skipping holes; the window then ends at the returned
    // position, at or before `end` (0 and an empty window at the start of the file).
    [[nodiscard]] qint64 loadBefore(qint64 end);
    [[nodiscard]] bool readAt(qint64 offset, qsizetype size, char* out);
    // The position of the last CR LF that ends at or before `end`, or -1 when there is none.
    [[nodiscard]] qint64 lastLineEndBefore(qint64 end);

    UniqueFd m_fd;
    qint64 m_pos = -1; // the current line's CR LF starts here (its end); -1 once the first line was given
    bool m_torn = false;
    QByteArray m_window; // the bytes [m_windowStart, m_windowStart + m_window.size()) of the file
    qint64 m_windowStart = 0;
    QByteArray m_lineCopy; // a line that does not lie whole in the window
    QByteArrayView m_line;
    bool m_cut = false;
    std::error_code m_error;
};

} // namespace filarion::platform
