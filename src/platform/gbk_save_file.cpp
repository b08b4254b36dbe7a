#include "platform/gbk_save_file.h"

#include "platform/file_rename.h"
#include "platform/file_writes.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kSaveFileChunk = 64 * 1024;

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
