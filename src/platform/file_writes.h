#pragma once

// What the append file and the save file share: the checks of the entry they write and the plain writes.

#include <QtGlobal>
#include <sys/stat.h>
#include <system_error>

namespace filarion::platform {

// The error of the last failed system call (errno).
std::error_code lastError();

// A write beyond the file-size limit then fails with EFBIG, which the writers report, instead of ending
// the program by SIGXFSZ in the middle of a command. Set on every open: cheap, and nothing can undo it
// between two commands.
void letWritesFailBeyondTheSizeLimit();

// Refuses an existing entry of the name that is a link or not a regular file; ENOENT when there is none.
std::error_code checkRegularOrMissing(int folder, const char* name, struct stat& st);

// True when the file lies on a file system of this machine's kernel alone (ext4, tmpfs, a FAT card), false on
// FUSE and network file systems, where other clients reach the same files beyond what this kernel sees.
bool isOnLocalDisk(int fd);

// Writes all bytes; on failure, the number written before it.
std::error_code writeAll(int fd, const char* data, qsizetype size, qsizetype& written);

} // namespace filarion::platform
