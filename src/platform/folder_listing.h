#pragma once

#include "platform/unique_fd.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <system_error>

namespace filarion::platform {

enum class EntryKind : std::uint8_t {
    File,   // a regular file, or a symbolic link to one
    Folder, // a folder, or a symbolic link to one
    Other,  // FIFOs, sockets, devices, broken links
};

struct FolderEntry {
    QString name;
    EntryKind kind = EntryKind::Other;
    bool hidden = false; // the name starts with a dot
};

using EntryVisitor = std::function<void(FolderEntry&&)>;

// Every entry of the folder open for reading at folderFd, which it takes over and closes ("." and ".."
// never): its name as the file system stores it and its kind, links followed. The one reading of a folder's
// entries that the listing and the snapshot of a folder share.
using RawEntryVisitor = std::function<void(const char* name, EntryKind kind)>;
[[nodiscard]] std::error_code visitRawEntries(UniqueFd folder, const RawEntryVisitor& visit);

// Which entries a listing visits: one kind, and folders beside it when asked for (one reading for a file
// list and a folder list), hidden ones only when asked for. Entries of other kinds are passed over before
// their names are decoded.
struct ListFilter {
    EntryKind kind = EntryKind::File;
    bool includeHidden = false;
    bool alsoFolders = false;
};

// Visits the entries of a folder that the filter lets through ("." and ".." never), in the order the file
// system returns them. The entry type comes from the directory entry itself; only links and entries of
// unknown type cost a stat. A name whose bytes do not survive decoding and encoding unchanged is never
// visited, so no caller can act on a file it cannot name exactly. The entry handed to the visitor is
// reused for the next one: a name the visitor keeps is its own copy, and a name of ASCII costs no
// allocation of its own.
[[nodiscard]] std::error_code listFolder(const QString& folder, ListFilter filter, const EntryVisitor& visit);

} // namespace filarion::platform
