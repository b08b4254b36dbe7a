#include "support/file_systems.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace filarion::test {
namespace {

// What the stand-ins below do while a WithoutNoReplace lives.
struct Forced {
    std::atomic<bool> active{false};
    bool linksWork = false;
    std::function<bool(const char*)> linkRefused;
    std::atomic<int> linkCalls{0};
    int linkError = 0;
    std::function<int(int, const char*, const char*)> plainRename;
};

Forced& forced() {
    static Forced state;
    return state;
}

} // namespace

WithoutNoReplace::WithoutNoReplace(bool linksWork, std::function<bool(const char*)> linkRefused) {
    forced().linksWork = linksWork;
    forced().linkRefused = std::move(linkRefused);
    forced().linkCalls = 0;
    forced().active = true;
}

WithoutNoReplace::~WithoutNoReplace() {
    forced().active = false;
    forced().linkRefused = {};
    forced().linkError = 0;
    forced().plainRename = {};
}

void WithoutNoReplace::failLinksWith(int error) {
    forced().linkError = error;
}

void WithoutNoReplace::replacePlainRename(std::function<int(int, const char*, const char*)> rename) {
    forced().plainRename = std::move(rename);
}

int WithoutNoReplace::linkCalls() const {
    return forced().linkCalls;
}

} // namespace filarion::test

// The test program's own renameat2 and linkat: the program's calls reach these before the C library's.
extern "C" int renameat2(int oldFolder, const char* oldName, int newFolder, const char* newName, unsigned flags) {
    if (filarion::test::forced().active && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldName, newFolder, newName, flags));
}

extern "C" int linkat(int oldFolder, const char* oldName, int newFolder, const char* newName, int flags) {
    auto& state = filarion::test::forced();
    if (state.active) {
        ++state.linkCalls;
        if (state.linkError != 0) {
            errno = state.linkError;
            return -1;
        }
        if (!state.linksWork || (state.linkRefused && state.linkRefused(oldName))) {
            errno = EPERM;
            return -1;
        }
    }
    return static_cast<int>(::syscall(SYS_linkat, oldFolder, oldName, newFolder, newName, flags));
}

extern "C" int renameat(int oldFolder, const char* oldName, int newFolder, const char* newName) {
    auto& state = filarion::test::forced();
    if (state.active && state.plainRename && oldFolder == newFolder) {
        return state.plainRename(oldFolder, oldName, newName);
    }
    return static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldName, newFolder, newName, 0));
}
