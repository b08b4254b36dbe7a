#pragma once

#include "platform/folder_handle.h"
#include "platform/gbk_codec.h"

#include <QByteArray>
#include <QString>
#include <csignal>
#include <system_error>
#include <vector>

namespace filarion::platform {

// The rename log's write-ahead file: a text file of a held folder, opened for appending lines in GBK, CR LF after each
// (a line break inside a line is written as '?'). Created when missing, never truncated. Opened by its bare name in the
// folder and never through a link: an entry of that name that is a link or not a regular file is refused, so nothing
// outside the folder is ever written. Every line is handed to the OS by one write before writeLine returns, so a
// process that dies between lines leaves whole lines behind; a line whose write fails or falls short is cut off again,
// so the file ends at a line end (where another program holds the file open, the torn piece stays rather than risk its
// bytes). Opening and writing never wait: a FIFO of that name fails instead. A file-size limit makes a write fail
// (EFBIG) instead of ending the program.
//
// Lines may also be queued and handed over as one batch (writeQueued), made durable (sync) and cut off again
// (retractLines). Only this file's own bytes are ever cut: the lines it wrote last, while they are still the
// file's end and no other program has the file open, so a writer that ignores the lock never loses a byte. A
// write lease sees only this machine's openers: on FUSE and network file systems, where other clients write
// too, nothing is ever cut, and the file is only appended to.
// The signal by which the kernel tells a lease holder that another program opens the file (SIGIO, whose
// default ends the program): handled, doing nothing, from the first lease to the end of the holder's life,
// and the action before restored then. Not ignored: an ignored signal would stay ignored in every program
// started from this one.
class LeaseSignal {
public:
    LeaseSignal() = default;
    ~LeaseSignal() { release(); }
    LeaseSignal(const LeaseSignal&) = delete;
    LeaseSignal& operator=(const LeaseSignal&) = delete;

    void handle();
    void release();

private:
    struct sigaction m_before {};
    bool m_handled = false;
};

class WriteAheadFile {
public:
    // True when open() would take the file of that name in the held folder: an entry of that name is a
    // regular file (no link) that may be written, or there is none and the folder may be written. Looks
    // without opening or creating anything.
    [[nodiscard]] static bool isAppendable(const FolderHandle& folder, const QString& name);

    [[nodiscard]] std::error_code open(const FolderHandle& folder, const QString& name);
    [[nodiscard]] std::error_code writeLine(QStringView line);
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
    // Cuts off the last `count` lines written through this file. Refused (busy, nothing cut) unless the file
    // lies on a local disk, the lines are still its end, were written one after another with nothing of
    // another writer between them, and no other program holds the file open: a write lease shuts out every
    // other opener while it cuts.
    [[nodiscard]] std::error_code retractLines(qsizetype count);

private:
    // Records where the lines of one write of `size` bytes lie, the write ending at the descriptor's offset;
    // a torn line after the whole ones is cut off again, or where it may not be, ended by a line end.
    void noteWritten(qsizetype size, const qsizetype* lineEnds, qsizetype lines);
    // Cuts the file back to `mark` while it still ends at m_end (see retractLines).
    [[nodiscard]] std::error_code cutOwnTail(qint64 mark);

    UniqueFd m_fd;
    bool m_mayCut = false; // on a local disk, where a write lease sees every other opener
    LeaseSignal m_leaseSignal;
    GbkEncoder m_encoder;
    QByteArray m_buffer;
    QByteArray m_queue;
    std::vector<qsizetype> m_queuedEnds; // where each queued line ends in m_queue
    std::vector<qint64> m_lineStarts;    // the file offsets of the last lines written, one after another
    qint64 m_end = -1;                   // where this file's last write ended; -1 before the first
};

} // namespace filarion::platform
