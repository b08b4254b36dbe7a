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
    std::atomic<int> linkCalls{0};
    struct {
        bool linksWork = false;
        std::function<bool(const char*)> linkRefused;
        int linkError = 0;
        std::function<int(int, const char*, const char*)> plainRename;
    } options;
};

Forced& forced() {
    static Forced state;
    return state;
}

} // namespace

WithoutNoReplace::WithoutNoReplace(bool linksWork, std::function<bool(const char*)> linkRefused) {
    forced().options = {linksWork, std::move(linkRefused), 0, {}};
    forced().linkCalls = 0;
    forced().active = true;
}

WithoutNoReplace::~WithoutNoReplace() {
    forced().active = false;
    forced().options = {};
}

void WithoutNoReplace::failLinksWith(int error) {
    forced().options.linkError = error;
}

void WithoutNoReplace::replacePlainRename(std::function<int(int, const char*, const char*)> rename) {
    forced().options.plainRename = std::move(rename);
}

int WithoutNoReplace::linkCalls() const {
    return forced().linkCalls;
}

} // namespace filarion::test

// The test program's own renameat2, linkat and renameat: the program's calls reach these before the C library's.
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
        const auto& with = state.options;
        if (with.linkError != 0 || !with.linksWork || (with.linkRefused && with.linkRefused(oldName))) {
            errno = with.linkError != 0 ? with.linkError : EPERM;
            return -1;
        }
    }
    return static_cast<int>(::syscall(SYS_linkat, oldFolder, oldName, newFolder, newName, flags));
}

extern "C" int renameat(int oldFolder, const char* oldName, int newFolder, const char* newName) {
    auto& state = filarion::test::forced();
    if (state.active && state.options.plainRename && oldFolder == newFolder) {
        return state.options.plainRename(oldFolder, oldName, newName);
    }
    return renameat2(oldFolder, oldName, newFolder, newName, 0);
}
