#include "platform/gbk_text.h"

#include "platform/file_rename.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

using namespace Qt::StringLiterals;

namespace {

QStringEncoder makeGbkEncoder() {
    // Stateless: nothing of one text (a lone high surrogate at its end) carries over into the next.
    return QStringEncoder("GBK", QStringConverter::Flag::Stateless);
}

// The characters ICU's GBK converter leaves out instead of writing '?': the default-ignorable code points,
// none of which GBK holds.
bool isLeftOutByConverter(char32_t c) {
    return c == 0x00AD || c == 0x034F || c == 0x061C || (c >= 0x115F && c <= 0x1160) || (c >= 0x17B4 && c <= 0x17B5) ||
           (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 ||
           (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) ||
           (c >= 0xE0000 && c <= 0xE0FFF);
}

// The number of code units of the character at i; negative when the converter would not write it as
// '?' although GBK cannot hold it (a lone surrogate, a left-out character).
qsizetype characterAt(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.unicode() < 0x00AD) {
        return 1;
    }
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        return isLeftOutByConverter(QChar::surrogateToUcs4(c, text[i + 1])) ? -2 : 2;
    }
    return c.isSurrogate() || isLeftOutByConverter(c.unicode()) ? -1 : 1;
}

constexpr qsizetype kSaveFileChunk = 64 * 1024;

} // namespace

bool gbkCodecAvailable() {
    return makeGbkEncoder().isValid();
}

GbkEncoder::GbkEncoder() : m_encoder(makeGbkEncoder()) {}

void GbkEncoder::append(QStringView text, QByteArray& out) {
    // ASCII is the same bytes in GBK: most lines need no converter at all.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* bytes = out.data() + start;
    const char16_t* units16 = text.utf16();
    qsizetype ascii = 0;
    while (ascii < text.size() && units16[ascii] < 0x80) {
        bytes[ascii] = static_cast<char>(units16[ascii]);
        ++ascii;
    }
    if (ascii == text.size()) {
        return;
    }
    out.resize(start);
    qsizetype i = 0;
    qsizetype units = 1;
    while (i < text.size() && (units = characterAt(text, i)) > 0) {
        i += units;
    }
    if (i == text.size()) {
        appendConverted(text, out);
        return;
    }
    // Rare: such a character becomes '?' here, as every character GBK cannot hold.
    QString substituted;
    substituted.reserve(text.size());
    substituted.append(text.left(i));
    while (i < text.size()) {
        units = characterAt(text, i);
        if (units < 0) {
            substituted.append(u'?');
            i -= units;
        } else {
            substituted.append(text.mid(i, units));
            i += units;
        }
    }
    appendConverted(substituted, out);
}

void GbkEncoder::appendConverted(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + m_encoder.requiredSpace(text.size()));
    char* end = m_encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

void GbkEncoder::appendRecord(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    // ASCII, the usual line, is copied and checked for line breaks in one pass.
    out.resize(start + text.size() + 2);
    char* bytes = out.data() + start;
    const char16_t* units = text.utf16();
    qsizetype ascii = 0;
    for (; ascii < text.size() && units[ascii] < 0x80; ++ascii) {
        const auto c = static_cast<char>(units[ascii]);
        bytes[ascii] = c == '\r' || c == '\n' ? '?' : c;
    }
    if (ascii == text.size()) {
        bytes[ascii] = '\r';
        bytes[ascii + 1] = '\n';
        return;
    }
    out.resize(start);
    append(text, out);
    // CR and LF never occur inside a GBK double-byte character (trail bytes start at 0x40).
    for (qsizetype i = start; i < out.size(); ++i) {
        if (out[i] == '\r' || out[i] == '\n') {
            out[i] = '?';
        }
    }
    out.append("\r\n", 2);
}

QByteArray GbkEncoder::encode(QStringView text) {
    QByteArray out;
    append(text, out);
    return out;
}

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// A write beyond the file-size limit then fails with EFBIG, which the writers report, instead of ending
// the program by SIGXFSZ in the middle of a command. Set on every open: cheap, and nothing can undo it
// between two commands.
void letWritesFailBeyondTheSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

// Refuses an existing entry of the name that is a link or not a regular file; ENOENT when there is none.
std::error_code checkRegularOrMissing(int folder, const char* name, struct stat& st) {
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastError();
    }
    if (S_ISLNK(st.st_mode)) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if (S_ISDIR(st.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    return {};
}

// Writes all bytes; on failure, the number written before it.
std::error_code writeAll(int fd, const char* data, qsizetype size, qsizetype& written) {
    written = 0;
    while (written < size) {
        const ssize_t done = ::write(fd, data + written, static_cast<size_t>(size - written));
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        written += done;
    }
    return {};
}

// A free-looking temporary name beside the file, hidden so that no pattern takes it into a working set:
// a dot, its name, a dot and six random letters; a hidden name of our own where that would be longer than
// a file name may be.
QString temporaryNameFor(const QString& name, qsizetype nameBytes) {
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr qsizetype kLongestName = 255;
    QString temporary = nameBytes + 8 > kLongestName ? u".filarion"_s : u'.' + name;
    temporary.append(u'.');
    for (int i = 0; i < 6; ++i) {
        temporary.append(QChar(kLetters[QRandomGenerator::global()->bounded(int(std::size(kLetters) - 1))]));
    }
    return temporary;
}

} // namespace

bool GbkAppendFile::isAppendable(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    if (!folder.isOpen() || !bytes) {
        return false;
    }
    const int fd = folder.descriptor();
    struct stat st {};
    const std::error_code error = checkRegularOrMissing(fd, bytes->constData(), st);
    if (!error) {
        return ::faccessat(fd, bytes->constData(), W_OK, AT_EACCESS) == 0;
    }
    return error == std::errc::no_such_file_or_directory && ::faccessat(fd, ".", W_OK, AT_EACCESS) == 0;
}

std::error_code GbkAppendFile::open(const FolderHandle& folder, const QString& name) {
    m_fd.reset();
    letWritesFailBeyondTheSizeLimit();
    const std::optional<QByteArray> encoded = encodeEntryName(name);
    if (!folder.isOpen() || !encoded) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const QByteArray& bytes = *encoded;
    struct stat st {};
    if (const std::error_code error = checkRegularOrMissing(folder.descriptor(), bytes.constData(), st);
        error && error != std::errc::no_such_file_or_directory) {
        return error;
    }
    // Never waits: a FIFO put there since the check fails the open at once (ENXIO) or is refused below.
    UniqueFd fd(::openat(folder.descriptor(), bytes.constData(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!fd.isOpen()) {
        return lastError();
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    m_fd = std::move(fd);
    return {};
}

std::error_code GbkAppendFile::writeLine(QStringView line) {
    if (!m_fd.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    m_buffer.resize(0); // keeps the capacity for the next line
    m_encoder.appendRecord(line, m_buffer);
    qsizetype written = 0;
    m_lastLineSize = 0;
    const std::error_code error = writeAll(m_fd.get(), m_buffer.constData(), m_buffer.size(), written);
    // A part of the line that went out is cut off again: the file keeps only whole lines.
    const qsizetype end = m_buffer.size();
    if (written > 0) {
        noteWritten(written, &end, error ? 0 : 1);
    }
    if (!error) {
        m_lastLineSize = written;
    }
    return error;
}

std::error_code GbkAppendFile::retractLastLine() {
    if (!m_fd.isOpen() || m_lastLineSize == 0) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const std::error_code error = retractLines(1);
    if (!error) {
        m_lastLineSize = 0;
    }
    return error;
}

std::error_code GbkAppendFile::close() {
    return m_fd.close();
}

GbkSaveFile::GbkSaveFile(const FolderHandle& folder, const QString& name, const HeldFile* replaces, RenameWay way)
    : m_folder(folder), m_name(name), m_replaces(replaces), m_way(way) {
    m_nameBytes = encodeEntryName(name).value_or(QByteArray());
}

GbkSaveFile::~GbkSaveFile() {
    discard();
}

std::error_code GbkSaveFile::open() {
    letWritesFailBeyondTheSizeLimit();
    if (!m_folder.isOpen() || m_nameBytes.isEmpty()) {
        return m_error = std::make_error_code(std::errc::invalid_argument);
    }
    const int folder = m_folder.descriptor();
    struct stat st {};
    if (std::error_code error = checkRegularOrMissing(folder, m_nameBytes.constData(), st);
        error && error != std::errc::no_such_file_or_directory) {
        return m_error = error;
    }
    // An unnamed file leaves nothing behind when the program dies while writing it.
    m_fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!m_fd.isOpen() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)) {
        // A file system without unnamed files: a named temporary file beside the list from the start.
        for (int attempt = 0; attempt < 100 && !m_fd.isOpen(); ++attempt) {
            m_temporaryName = temporaryNameFor(m_name, m_nameBytes.size());
            const QByteArray bytes = encodeEntryName(m_temporaryName).value_or(QByteArray());
            m_fd.reset(::openat(folder, bytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (!m_fd.isOpen() && errno != EEXIST) {
                break;
            }
        }
        if (!m_fd.isOpen()) {
            m_temporaryName.clear();
        }
    }
    if (!m_fd.isOpen()) {
        return m_error = lastError();
    }
    return {};
}

void GbkSaveFile::writeLine(QStringView line) {
    if (m_error) {
        return;
    }
    m_encoder.appendRecord(line, m_buffer);
    if (m_buffer.size() >= kSaveFileChunk) {
        flushBuffer();
    }
}

void GbkSaveFile::flushBuffer() {
    qsizetype written = 0;
    if (!m_error && !m_buffer.isEmpty()) {
        m_error = writeAll(m_fd.get(), m_buffer.constData(), m_buffer.size(), written);
    }
    m_buffer.resize(0); // keeps the capacity for the next line
}

// Gives the unnamed file a temporary name beside the list, so that it can be renamed over it.
std::error_code GbkSaveFile::nameTheTemporaryFile() {
    if (!m_temporaryName.isEmpty()) {
        return {};
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = temporaryNameFor(m_name, m_nameBytes.size());
        const QByteArray bytes = encodeEntryName(name).value_or(QByteArray());
        int result = ::linkat(AT_FDCWD, self.constData(), m_folder.descriptor(), bytes.constData(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT) {
            // No /proc (a bare chroot): linking the descriptor itself needs a privilege that root has.
            result = ::linkat(m_fd.get(), "", m_folder.descriptor(), bytes.constData(), AT_EMPTY_PATH);
        }
        if (result == 0) {
            m_temporaryName = name;
            return {};
        }
        if (errno != EEXIST) {
            return lastError();
        }
    }
    return std::make_error_code(std::errc::file_exists);
}

// Puts the named temporary file at the list's name. Where a file may be replaced, the two are swapped
// atomically and the one swapped out must be that very file (else they are swapped back); a file system
// that cannot swap gets the same check just before a plain rename. Everywhere else the name must be free.
std::error_code GbkSaveFile::putInPlace() {
    const int folder = m_folder.descriptor();
    const QByteArray temporary = encodeEntryName(m_temporaryName).value_or(QByteArray());
    if (m_replaces != nullptr && m_replaces->isOpen()) {
        if (::renameat2(folder, temporary.constData(), folder, m_nameBytes.constData(), RENAME_EXCHANGE) == 0) {
            if (m_replaces->isAt(folder, temporary.constData())) {
                (void)::unlinkat(folder, temporary.constData(), 0);
                m_temporaryName.clear();
                return {};
            }
            if (::renameat2(folder, temporary.constData(), folder, m_nameBytes.constData(), RENAME_EXCHANGE) != 0) {
                // The other file keeps the temporary name: never removed as ours, it loses nothing.
                m_temporaryName.clear();
            }
            return std::make_error_code(std::errc::file_exists);
        }
        if (errno != ENOENT) {
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
                return lastError();
            }
            if (m_replaces->isAt(folder, m_nameBytes.constData())) {
                if (m_way == RenameWay::PlainRefuses) {
                    return replaceWhereRenamesRefuse(temporary);
                }
                return ::renameat(folder, temporary.constData(), folder, m_nameBytes.constData()) == 0
                           ? std::error_code()
                           : lastError();
            }
            struct stat st {};
            if (::fstatat(folder, m_nameBytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                return std::make_error_code(std::errc::file_exists);
            }
        }
        // The file agreed to is gone: the name is put in place only where it is free.
    }
    NoReplaceRenamer renamer(m_folder, m_way);
    const RenameOutcome outcome = renamer.rename(m_temporaryName, m_name);
    switch (outcome.result) {
    case RenameResult::Renamed:
        return {};
    case RenameResult::TargetExists:
        return std::make_error_code(std::errc::file_exists);
    case RenameResult::Failed:
        break;
    }
    return outcome.error ? outcome.error : std::make_error_code(std::errc::io_error);
}

// Where a rename never replaces, the file agreed to is moved aside to a hidden name of its own first, the
// list put at the freed name, and the old file removed only then; on failure it is moved back.
std::error_code GbkSaveFile::replaceWhereRenamesRefuse(const QByteArray& temporary) {
    const int folder = m_folder.descriptor();
    const QByteArray aside = encodeEntryName(temporaryNameFor(m_name, m_nameBytes.size())).value_or(QByteArray());
    if (aside.isEmpty() || ::renameat(folder, m_nameBytes.constData(), folder, aside.constData()) != 0) {
        return lastError();
    }
    if (!m_replaces->isAt(folder, aside.constData())) {
        (void)::renameat(folder, aside.constData(), folder, m_nameBytes.constData());
        return std::make_error_code(std::errc::file_exists);
    }
    if (::renameat(folder, temporary.constData(), folder, m_nameBytes.constData()) != 0) {
        const std::error_code error = lastError();
        (void)::renameat(folder, aside.constData(), folder, m_nameBytes.constData());
        return error;
    }
    (void)::unlinkat(folder, aside.constData(), 0);
    return {};
}

std::error_code GbkSaveFile::commit() {
    if (!m_fd.isOpen()) {
        return m_error ? m_error : std::make_error_code(std::errc::bad_file_descriptor);
    }
    flushBuffer();
    if (!m_error && ::fdatasync(m_fd.get()) != 0) {
        m_error = lastError();
    }
    if (!m_error) {
        m_error = nameTheTemporaryFile();
    }
    if (!m_error) {
        m_error = putInPlace();
    }
    if (!m_error) {
        m_temporaryName.clear();
    }
    if (const std::error_code closed = m_fd.close(); closed && !m_error) {
        m_error = closed;
    }
    discard();
    return m_error;
}

void GbkSaveFile::discard() {
    m_fd.reset();
    if (!m_temporaryName.isEmpty() && m_folder.isOpen()) {
        const QByteArray bytes = encodeEntryName(m_temporaryName).value_or(QByteArray());
        ::unlinkat(m_folder.descriptor(), bytes.constData(), 0);
        m_temporaryName.clear();
    }
}

} // namespace filarion::platform
