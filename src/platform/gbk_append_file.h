#pragma once

#include "platform/folder_handle.h"
#include "platform/gbk_codec.h"

#include <QByteArray>
#include <QString>
#include <system_error>
#include <vector>

namespace filarion::platform {

// A text file of a held folder, opened for appending lines in GBK, CR LF after each (a line break inside a
// line is written as '?'). Created when missing, never truncated. Opened by its bare name in the folder
// and never through a link: an entry of that name that is a link or not a regular file is refused, so
// nothing outside the folder is ever written. Every line is handed to the OS by one write before
// writeLine returns, so a process that dies between lines leaves whole lines behind; a line whose write
// fails or falls short is cut off again, so the file ends at a line end (where another program holds the
// file open, the torn piece stays rather than risk its bytes). Opening and writing never
// wait: a FIFO of that name fails instead. A file-size limit makes a write fail (EFBIG) instead of ending
// the program.
//
// Lines may also be queued and handed over as one batch (writeQueued), made durable (sync) and cut off again
// (retractLines). Only this file's own bytes are ever cut: the lines it wrote last, while they are still the
// file's end and no other program has the file open, so a writer that ignores the lock never loses a byte.
class GbkAppendFile {
public:
    // True when open() would take the file of that name in the held folder: an entry of that name is a
    // regular file (no link) that may be written, or there is none and the folder may be written. Looks
    // without opening or creating anything.
    [[nodiscard]] static bool isAppendable(const FolderHandle& folder, const QString& name);

    [[nodiscard]] std::error_code open(const FolderHandle& folder, const QString& name);
    [[nodiscard]] std::error_code writeLine(QStringView line);
    // Cuts the line that the last writeLine wrote off again. Refused (and nothing cut) when the file no
    // longer ends with it: another writer appended since, or it was cut already.
    [[nodiscard]] std::error_code retractLastLine();
    [[nodiscard]] std::error_code close();
    bool isOpen() const { return m_fd.isOpen(); }

    // Takes the file's exclusive lock (flock) without waiting, held until close: busy
    // (resource_unavailable_try_again) when another descriptor holds it. A file system that knows no locks
    // lets the file be written unlocked.
    [[nodiscard]] std::error_code lock();
    // Adds a line to the queue; nothing reaches the file before writeQueued.
    void queueLine(QStringView line);
    // Hands the queued lines to the OS by one write and empties the queue. On failure `written` is the number
    // of whole lines that went out; the part of a line after them is cut off again.
    [[nodiscard]] std::error_code writeQueued(qsizetype& written);
    // Puts the lines written so far on the disk (fdatasync).
    [[nodiscard]] std::error_code sync();
    // Cuts off the last `count` lines written through this file. Refused (busy, nothing cut) unless they are
    // still the file's end, were written one after another with nothing of another writer between them, and
    // no other program holds the file open: a write lease shuts out every other opener while it cuts.
    [[nodiscard]] std::error_code retractLines(qsizetype count);

private:
    // Records where the lines of one write of `size` bytes lie, the write ending at the descriptor's offset;
    // a torn line after the whole ones is cut off again.
    void noteWritten(qsizetype size, const qsizetype* lineEnds, qsizetype lines);

    UniqueFd m_fd;
    qsizetype m_lastLineSize = 0; // the bytes of the last whole line written; 0 once retracted
    GbkEncoder m_encoder;
    QByteArray m_buffer;
    QByteArray m_queue;
    std::vector<qsizetype> m_queuedEnds; // where each queued line ends in m_queue
    std::vector<qint64> m_lineStarts;    // the file offsets of the last lines written, one after another
    qint64 m_end = -1;                   // where this file's last write ended; -1 before the first
};

} // namespace filarion::platform
