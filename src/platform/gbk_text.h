#pragma once

#include "platform/folder_handle.h"
#include "platform/rename_probe.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <memory>
#include <system_error>
#include <vector>

namespace filarion::platform {

// True when this Qt build has the GBK codec (through ICU). Without it every log and list would be written
// wrongly: the program checks it once at start-up and refuses to run.
bool gbkCodecAvailable();

// Encodes text in GBK (code page 936). A character GBK cannot hold becomes a single '?'.
class GbkEncoder {
public:
    GbkEncoder();

    // Appends the GBK bytes of the text to out.
    void append(QStringView text, QByteArray& out);
    // Appends the GBK bytes of the text and CR LF to out, as one record of a text file: a line break inside
    // the text is written as '?', so the text stays one line and cannot make lines of its own.
    void appendRecord(QStringView text, QByteArray& out);

    QByteArray encode(QStringView text);

private:
    void appendConverted(QStringView text, QByteArray& out);

    QStringEncoder m_encoder;
};

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

// A text file of a held folder written whole in GBK, CR LF after each line (a line break inside a line is
// written as '?'). The lines go to a temporary file in the folder (unnamed, or hidden where the file system
// has no unnamed files), which is put at the name on commit: an existing file is never left half
// overwritten, and an entry of that name that is a link or not a regular file is never written, followed
// or replaced. Only the file held as `replaces` (the very one the user agreed to replace) may be replaced;
// any other entry at the name at commit, or any entry at all when there is none to replace, fails the commit
// (EEXIST) and stays as it is. The file gets the permissions of a new file, never those of the one it
// replaces. Nothing of an uncommitted file stays behind.
class GbkSaveFile {
public:
    // `way` is the folder's rename way as probeRenameWay found it, for putting the file at its name.
    GbkSaveFile(const FolderHandle& folder, const QString& name, const HeldFile* replaces = nullptr,
                RenameWay way = RenameWay::Unprobed);
    ~GbkSaveFile();
    GbkSaveFile(const GbkSaveFile&) = delete;
    GbkSaveFile& operator=(const GbkSaveFile&) = delete;

    [[nodiscard]] std::error_code open();
    // Lines are buffered; a failure is remembered and reported by commit().
    void writeLine(QStringView line);
    // Writes what is buffered and puts the file in place; the first failure of the whole file.
    [[nodiscard]] std::error_code commit();

private:
    void flushBuffer();
    [[nodiscard]] std::error_code nameTheTemporaryFile();
    [[nodiscard]] std::error_code putInPlace();
    [[nodiscard]] std::error_code replaceWhereRenamesRefuse(const QByteArray& temporary);
    void discard();

    const FolderHandle& m_folder;
    QString m_name;
    QByteArray m_nameBytes;
    const HeldFile* m_replaces;
    RenameWay m_way;
    QString m_temporaryName; // empty while the temporary file has no name
    UniqueFd m_fd;
    std::error_code m_error;
    GbkEncoder m_encoder;
    QByteArray m_buffer;
};

} // namespace filarion::platform
