#include "inode_pool.h"

#include "scratch_folder.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::bench {

namespace {

// The files the jobs write into; they are deleted rather than reused, so pool files stay empty.
bool isWrittenByAJob(const std::string& name) {
    return name == "QuillmarkLog.txt" || name == "list.txt";
}

int openFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failSystem("cannot open " + path);
    }
    return fd;
}

// The names of the entries of an open folder; a subfolder is a job's fault, and is left out.
std::vector<std::string> readNames(int fd) {
    std::vector<std::string> names;
    DIR* dir = ::fdopendir(::dup(fd));
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 && entry->d_type != DT_DIR) {
            names.emplace_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

} // namespace

InodePool::InodePool(const std::string& base) : m_base(base) {
    makeBaseFolder(m_base);
    m_home.path = m_base + "/pool";
    makeBaseFolder(m_home.path);
    m_home.fd = openFolder(m_home.path);
    m_home.names = readNames(m_home.fd);
    takeBackLeftovers();
}

InodePool::~InodePool() {
    if (m_home.names.empty() && m_taken.size() == 1) {
        // All files lie in one folder: that folder becomes the pool.
        ::close(m_home.fd);
        ::close(m_taken.front().fd);
        if (::rmdir(m_home.path.c_str()) == 0) {
            ::rename(m_taken.front().path.c_str(), m_home.path.c_str());
        }
        return;
    }
    for (Source& source : m_taken) {
        for (const std::string& name : source.names) {
            for (;;) {
                const std::string homeName = nextHomeName();
                if (::renameat2(source.fd, name.c_str(), m_home.fd, homeName.c_str(), RENAME_NOREPLACE) == 0 ||
                    errno != EEXIST) {
                    break;
                }
            }
        }
        ::close(source.fd);
        ::rmdir(source.path.c_str());
    }
    ::close(m_home.fd);
}

std::string InodePool::nextHomeName() {
    if (m_homeSpare.empty()) {
        char name[24];
        std::snprintf(name, sizeof name, "p%u", m_nextHomeName++);
        return name;
    }
    std::string name = std::move(m_homeSpare.back());
    m_homeSpare.pop_back();
    return name;
}

void InodePool::takeBackLeftovers() {
    // Run folders left behind by a bench that was stopped.
    DIR* dir = ::opendir(m_base.c_str());
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, "run-", 4) == 0) {
            leftovers.push_back(m_base + "/" + entry->d_name);
        }
    }
    ::closedir(dir);
    for (const std::string& folder : leftovers) {
        takeBack(folder);
    }
}

void InodePool::ensure(int count) {
    std::size_t held = m_home.names.size();
    for (const Source& source : m_taken) {
        held += source.names.size();
    }
    if (held >= static_cast<std::size_t>(count)) {
        return;
    }
    const std::size_t missing = static_cast<std::size_t>(count) - held;
    std::fprintf(stderr, "filarion_bench: making %zu empty files in %s, once; later runs reuse them\n", missing,
                 m_home.path.c_str());
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t made = 0; made < missing;) {
        const std::string name = nextHomeName();
        const int fd = ::openat(m_home.fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            failSystem("cannot make " + m_home.path + "/" + name);
        }
        ::close(fd);
        m_home.names.push_back(name);
        ++made;
    }
    std::fprintf(stderr, "filarion_bench: made them in %.0f s\n",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

InodePool::Source& InodePool::nextSource() {
    while (!m_taken.empty() && m_taken.back().names.empty()) {
        ::close(m_taken.back().fd);
        ::rmdir(m_taken.back().path.c_str());
        m_taken.pop_back();
    }
    return m_taken.empty() ? m_home : m_taken.back();
}

void InodePool::moveOneInto(int folderFd, const std::string& name) {
    Source& source = nextSource();
    if (source.names.empty()) {
        // The pool ran dry: make the file.
        const int fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            failSystem("cannot make " + name);
        }
        ::close(fd);
        return;
    }
    const std::string from = std::move(source.names.back());
    source.names.pop_back();
    if (::renameat2(source.fd, from.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) != 0) {
        failSystem("cannot move " + source.path + "/" + from + " to " + name);
    }
    if (&source == &m_home) {
        m_homeSpare.push_back(from);
    }
}

void InodePool::takeBack(const std::string& folder) {
    Source source;
    source.path = folder;
    source.fd = openFolder(folder);
    for (std::string& name : readNames(source.fd)) {
        if (isWrittenByAJob(name)) {
            ::unlinkat(source.fd, name.c_str(), 0);
        } else {
            source.names.push_back(std::move(name));
        }
    }
    m_taken.push_back(std::move(source));
}

} // namespace filarion::bench
