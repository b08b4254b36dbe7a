#include "platform/own_files.h"

#include "platform/file_writes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

constexpr char kMagic[] = "filarion-temporary ";
static_assert(sizeof kMagic - 1 == CommandMark::kMagicSize);
constexpr char kProbePrefix[] = ".filarion-probe-";
constexpr qsizetype kProbePrefixSize = sizeof kProbePrefix - 1;
constexpr qsizetype kProbeNameSize = kProbePrefixSize + CommandMark::kIdSize + 2; // "-a"

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The id a probe file's name carries, or nothing when the name is not the test's pattern.
QByteArrayView probeIdOf(QByteArrayView name) {
    if (name.size() != kProbeNameSize || !name.startsWith(kProbePrefix) || name[name.size() - 2] != '-' ||
        name.back() < 'a' || name.back() > 'c') {
        return {};
    }
    const QByteArrayView id = name.sliced(kProbePrefixSize, CommandMark::kIdSize);
    return CommandMark::isId(id) ? id : QByteArrayView();
}

// The first bytes of the mark of that id.
bool isMarkStart(QByteArrayView content, QByteArrayView id) {
    const QByteArrayView magic(kMagic, CommandMark::kMagicSize);
    if (content.size() <= magic.size()) {
        return magic.startsWith(content);
    }
    const QByteArrayView rest = content.sliced(magic.size());
    return content.startsWith(magic) && id.startsWith(rest.first(std::min(rest.size(), id.size())));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Opens the entry and reads it when it is one of the program's own files; the descriptor stays open so that
// the caller can tell whether the name still shows it. Invalid otherwise.
UniqueFd openOwnFile(int folder, const QByteArray& name, QByteArrayView id, const std::optional<QByteArray>& other,
                     struct stat& st) {
    // Looked at before it is opened: a device or FIFO of that name is never opened at all.
    struct stat there {};
    if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(there.st_mode) ||
        there.st_size > CommandMark::kSize) {
        return {};
    }
    UniqueFd fd(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > CommandMark::kSize) {
        return {};
    }
    std::array<char, CommandMark::kSize + 1> content{};
    const bool probeFile = probeIdOf(name) == id && !id.isEmpty();
    qsizetype got = 0;
    while (got < qsizetype(content.size())) {
        const ssize_t part = ::read(fd.get(), content.data() + got, std::size_t(qsizetype(content.size()) - got));
        if (part < 0 && errno == EINTR) {
            continue;
        }
        if (part <= 0) {
            break;
        }
        got += part;
    }
    // A test file of the command named is also known by a part of its mark only: a kill between its creation
    // and the writing of the mark leaves that, under a hidden name that holds the command's id.
    const QByteArrayView read(content.data(), got);
    const bool marked = got == CommandMark::kSize ? CommandMark::isMark(read, id)
                                                  : probeFile && got == st.st_size && isMarkStart(read, id);
    if (!marked) {
        return {};
    }
    // Two names of one entry (a case-insensitive folder) are never a file and its claim.
    if (other && ::fstatat(folder, other->constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_dev == st.st_dev &&
        there.st_ino == st.st_ino) {
        return {};
    }
    return fd;
}

UniqueFd openOwnFile(const FolderHandle& folder, const QString& name, QByteArrayView id, const QString& other,
                     struct stat& st, QByteArray& encoded) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    const std::optional<QByteArray> otherBytes = other.isEmpty() ? std::nullopt : encodeEntryName(other);
    if (!folder.isOpen() || !bytes || (!other.isEmpty() && !otherBytes)) {
        return {};
    }
    encoded = *bytes;
    return openOwnFile(folder.descriptor(), encoded, id, otherBytes, st);
}

bool removeIfStill(int folder, const QByteArray& name, const UniqueFd& fd, const struct stat& read) {
    struct stat there {};
    return fd.isOpen() && ::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameFile(read, there) && ::unlinkat(folder, name.constData(), 0) == 0;
}

} // namespace

CommandMark::CommandMark() {
    std::array<unsigned char, kIdSize / 2> random{};
    std::size_t got = 0;
    while (got < random.size()) {
        const ssize_t part = ::getrandom(random.data() + got, random.size() - got, 0);
        if (part > 0) {
            got += std::size_t(part);
        } else if (errno != EINTR) {
            break; // unreachable on a kernel that has getrandom; the id then holds less chance, still a mark
        }
    }
    std::memcpy(m_bytes.data(), kMagic, kMagicSize);
    constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < random.size(); ++i) {
        m_bytes[std::size_t(kMagicSize) + 2 * i] = kDigits[random[i] >> 4];
        m_bytes[std::size_t(kMagicSize) + 2 * i + 1] = kDigits[random[i] & 0xf];
    }
    m_bytes.back() = '\n';
}

bool CommandMark::isId(QByteArrayView id) {
    return id.size() == kIdSize && std::all_of(id.begin(), id.end(), isHexDigit);
}

bool CommandMark::isMark(QByteArrayView content, QByteArrayView id) {
    return content.size() == kSize && content.startsWith(kMagic) && content.back() == '\n' &&
           isId(content.sliced(kMagicSize, kIdSize)) && (id.isEmpty() || content.sliced(kMagicSize, kIdSize) == id);
}

bool writeMark(int fd, const CommandMark& mark) {
    qsizetype written = 0;
    return !writeAll(fd, mark.bytes().data(), mark.bytes().size(), written);
}

bool isOwnFile(const FolderHandle& folder, const QString& name, QByteArrayView id, const QString& other) {
    struct stat st {};
    QByteArray encoded;
    return openOwnFile(folder, name, id, other, st, encoded).isOpen();
}

bool removeOwnFile(const FolderHandle& folder, const QString& name, QByteArrayView id, const QString& other) {
    struct stat st {};
    QByteArray encoded;
    const UniqueFd fd = openOwnFile(folder, name, id, other, st, encoded);
    return removeIfStill(folder.descriptor(), encoded, fd, st);
}

bool removeOwnEntry(int folder, const QByteArray& name, QByteArrayView id) {
    struct stat st {};
    const UniqueFd fd = openOwnFile(folder, name, id, std::nullopt, st);
    return removeIfStill(folder, name, fd, st);
}

QByteArray probeFileName(QByteArrayView id, int which) {
    QByteArray name(kProbePrefix);
    name.append(id).append('-').append(char('a' + which));
    return name;
}

int removeLeftProbeFiles(const FolderHandle& folder) {
    if (!folder.isOpen()) {
        return 0;
    }
    const int listing = ::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (dir == nullptr) {
        if (listing >= 0) {
            ::close(listing);
        }
        return 0;
    }
    std::vector<QByteArray> left;
    while (const dirent* entry = ::readdir(dir)) {
        if (!probeIdOf(QByteArrayView(entry->d_name)).isEmpty()) {
            left.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray& name : left) {
        removed += removeOwnEntry(folder.descriptor(), name, probeIdOf(name)) ? 1 : 0;
    }
    return removed;
}

} // namespace filarion::platform
