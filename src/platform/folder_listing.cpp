#include "platform/folder_listing.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

EntryKind kindOfStat(const struct stat& st) {
    if (S_ISREG(st.st_mode)) {
        return EntryKind::File;
    }
    if (S_ISDIR(st.st_mode)) {
        return EntryKind::Folder;
    }
    return EntryKind::Other;
}

EntryKind kindFollowingLinks(int dirFd, const char* name) {
    struct stat st {};
    if (fstatat(dirFd, name, &st, 0) != 0) {
        return EntryKind::Other; // a broken link, or gone since readdir
    }
    return kindOfStat(st);
}

// Names are file-system bytes; a name is usable only when decoding it gives a text that encodes
// back to the very same bytes. An ASCII name is its own text, written into the room `out` already has.
bool decodeExactly(const char* bytes, std::size_t length, QString& out) {
    std::size_t ascii = 0;
    while (ascii < length && static_cast<unsigned char>(bytes[ascii]) < 0x80) {
        ++ascii;
    }
    if (ascii == length) {
        out.resize(static_cast<qsizetype>(length));
        QChar* units = out.data();
        for (std::size_t i = 0; i < length; ++i) {
            units[i] = QChar(static_cast<char16_t>(bytes[i]));
        }
        return true;
    }
    const QByteArray raw = QByteArray::fromRawData(bytes, static_cast<qsizetype>(length));
    out = QFile::decodeName(raw);
    return QFile::encodeName(out) == raw;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::error_code visitRawEntries(UniqueFd folder, const RawEntryVisitor& visit) {
    const int folderFd = folder.get();
    // The stream owns the descriptor from here on and closes both on every way out, a visitor that throws
    // (out of memory) included.
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(folderFd));
    if (!dir) {
        return {errno, std::generic_category()};
    }
    (void)folder.release();
    std::error_code result;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                result = {errno, std::generic_category()};
            }
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        EntryKind kind = EntryKind::Other;
        switch (entry->d_type) {
        case DT_REG:
            kind = EntryKind::File;
            break;
        case DT_DIR:
            kind = EntryKind::Folder;
            break;
        case DT_LNK:
        case DT_UNKNOWN:
            kind = kindFollowingLinks(folderFd, name);
            break;
        default:
            break;
        }
        visit(name, kind);
    }
    return result;
}

std::error_code listFolder(const QString& folder, ListFilter filter, const EntryVisitor& visit) {
    UniqueFd folderFd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.isOpen()) {
        return {errno, std::generic_category()};
    }
    FolderEntry out;
    return visitRawEntries(std::move(folderFd), [&](const char* name, EntryKind kind) {
        const bool wanted = kind == filter.kind || (filter.alsoFolders && kind == EntryKind::Folder);
        if ((!filter.includeHidden && name[0] == '.') || !wanted) {
            return;
        }
        if (!decodeExactly(name, std::strlen(name), out.name)) {
            return;
        }
        out.kind = kind;
        out.hidden = name[0] == '.';
        visit(std::move(out));
    });
}

} // namespace filarion::platform
