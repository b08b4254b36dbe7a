#include "scratch_folder.h"

#include "inode_pool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::bench {

std::string scratchName(NameShape shape, int index) {
    char buffer[32];
    if (shape == NameShape::Tagged) {
        std::snprintf(buffer, sizeof buffer, "img%05dcad.JPG", index);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d.JPG", index + 1);
    }
    return buffer;
}

void failSystem(const std::string& what) {
    std::fprintf(stderr, "filarion_bench: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

void makeBaseFolder(const std::string& base) {
    if (::mkdir(base.c_str(), 0755) != 0 && errno != EEXIST) {
        failSystem("cannot make " + base);
    }
}

ScratchFolder::ScratchFolder(InodePool& pool) : m_pool(pool) {
    std::string pattern = pool.base() + "/run-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        failSystem("cannot make a folder in " + pool.base());
    }
    m_path = pattern;
}

ScratchFolder::ScratchFolder(InodePool& pool, NameShape shape, int count) : ScratchFolder(pool) {
    const int dirFd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        failSystem("cannot open " + m_path);
    }
    pool.fill(dirFd, count, [shape](int i) { return scratchName(shape, i); });
    ::close(dirFd);
}

ScratchFolder::~ScratchFolder() {
    m_pool.takeBack(m_path);
}

std::vector<std::string> ScratchFolder::entries() const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(m_path.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            names.emplace_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

} // namespace filarion::bench
