#pragma once

#include "platform/folder_handle.h"
#include "platform/gbk_codec.h"
#include "platform/rename_probe.h"

#include <QByteArray>
#include <QString>
#include <system_error>

namespace filarion::platform {

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
