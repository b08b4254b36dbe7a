#include "floors.h"

#include "scratch_folder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::bench {

namespace {

// "改名为" and "！" in GBK.
constexpr char kRenamedTo[] = "\xB8\xC4\xC3\xFB\xCE\xAA";
constexpr char kDone[] = "\xA3\xA1\r\n";

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

constexpr std::array<unsigned char, 256> makeLowerTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return table;
}
constexpr std::array<unsigned char, 256> kLower = makeLowerTable();

// The same greedy wildcard match with one backtrack point as the program's own, over bytes.
bool wildcardBytes(const char* pattern, std::size_t patternSize, const char* name, std::size_t nameSize) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = 0;
    std::size_t starN = 0;
    bool haveStar = false;
    while (n < nameSize) {
        const auto c = kLower[static_cast<unsigned char>(name[n])];
        if (p < patternSize && pattern[p] != '*' &&
            (pattern[p] == '?' || static_cast<unsigned char>(pattern[p]) == c)) {
            ++p;
            ++n;
        } else if (p < patternSize && pattern[p] == '*') {
            haveStar = true;
            starP = p++;
            starN = n;
        } else if (haveStar) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patternSize && pattern[p] == '*') {
        ++p;
    }
    return p == patternSize;
}

struct NameRef {
    std::uint32_t offset;
    std::uint32_t size;
};

// Sorts names kept in one buffer by ASCII letters with case ignored, then by their bytes.
void sortIgnoringCase(std::vector<NameRef>& names, const char* base) {
    std::sort(names.begin(), names.end(), [base](const NameRef& a, const NameRef& b) {
        const auto* x = reinterpret_cast<const unsigned char*>(base + a.offset);
        const auto* y = reinterpret_cast<const unsigned char*>(base + b.offset);
        const std::uint32_t common = std::min(a.size, b.size);
        for (std::uint32_t i = 0; i < common; ++i) {
            if (kLower[x[i]] != kLower[y[i]]) {
                return kLower[x[i]] < kLower[y[i]];
            }
        }
        if (a.size != b.size) {
            return a.size < b.size;
        }
        return std::memcmp(x, y, a.size) < 0;
    });
}

} // namespace

int renameFloor(const std::string& folder, RenameOrder order, LineSync sync) {
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        failSystem("cannot open " + folder);
    }
    DIR* dir = ::fdopendir(::dup(dirFd));
    std::string arena;
    std::vector<NameRef> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (isDotOrDotDot(entry->d_name)) {
            continue;
        }
        const std::size_t size = std::strlen(entry->d_name);
        names.push_back({static_cast<std::uint32_t>(arena.size()), static_cast<std::uint32_t>(size)});
        arena.append(entry->d_name, size + 1);
    }
    ::closedir(dir);
    if (order == RenameOrder::List) {
        sortIgnoringCase(names, arena.data());
    }

    const int logFd = ::openat(dirFd, "QuillmarkLog.txt", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (logFd < 0) {
        failSystem("cannot open the log in " + folder);
    }
    const char header[] = "2024/1/1 12:00:00 Quill Mark Log:\r\n";
    writeAll(logFd, header, sizeof header - 1);

    int renamed = 0;
    std::string newName;
    std::string line;
    for (const NameRef& ref : names) {
        const char* oldName = arena.data() + ref.offset;
        const char* hit = std::strstr(oldName, "cad");
        if (hit == nullptr) {
            continue;
        }
        newName.assign(oldName, ref.size);
        newName.replace(static_cast<std::size_t>(hit - oldName), 3, "zet");
        line.assign(oldName, ref.size);
        line.append(kRenamedTo, sizeof kRenamedTo - 1);
        line.append(newName);
        line.append(kDone, sizeof kDone - 1);
        if (sync == LineSync::EveryLine) {
            if (!writeAll(logFd, line.data(), line.size()) || ::fdatasync(logFd) != 0) {
                break;
            }
            renamed += ::renameat2(dirFd, oldName, dirFd, newName.c_str(), RENAME_NOREPLACE) == 0 ? 1 : 0;
            continue;
        }
        if (::renameat2(dirFd, oldName, dirFd, newName.c_str(), RENAME_NOREPLACE) != 0) {
            continue;
        }
        if (!writeAll(logFd, line.data(), line.size())) {
            break;
        }
        ++renamed;
    }
    ::close(logFd);
    ::close(dirFd);
    return renamed;
}

int listingFloor(const std::string& folder, const std::string& pattern) {
    std::string lowerPattern = pattern;
    for (char& c : lowerPattern) {
        c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        failSystem("cannot open " + folder);
    }
    DIR* dir = ::fdopendir(dirFd);
    std::string arena;
    std::vector<NameRef> names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.') {
            continue; // ".", ".." and hidden names
        }
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            file = ::fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        const std::size_t size = std::strlen(name);
        if (!file || !wildcardBytes(lowerPattern.data(), lowerPattern.size(), name, size)) {
            continue;
        }
        names.push_back({static_cast<std::uint32_t>(arena.size()), static_cast<std::uint32_t>(size)});
        arena.append(name, size);
    }
    ::closedir(dir);
    sortIgnoringCase(names, arena.data());
    return static_cast<int>(names.size());
}

int listFileFloor(const std::string& folder, const std::string& listName, const std::vector<std::string>& names) {
    std::string text = "*.* " + folder + "\r\n";
    text.reserve(text.size() + names.size() * 32);
    char number[16];
    int line = 0;
    for (const std::string& name : names) {
        const int digits = std::snprintf(number, sizeof number, "%d.", ++line);
        text.append(number, static_cast<std::size_t>(digits));
        text.append(name);
        text.append("\r\n", 2);
    }
    const std::string target = folder + "/" + listName;
    const std::string temporary = target + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        failSystem("cannot make " + temporary);
    }
    const bool written = writeAll(fd, text.data(), text.size()) && ::fdatasync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        failSystem("cannot write " + target);
    }
    return line;
}

} // namespace filarion::bench
