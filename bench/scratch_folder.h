#pragma once

#include <string>
#include <vector>

namespace filarion::bench {

// The names the benchmarks rename: "img00000cad.JPG" and up, all of one length, for the replace,
// prefix and insert jobs; "1.JPG", "2.JPG" and up, of varying length, for the fill job.
enum class NameShape { Tagged, Numbered };

// The name of file i (0-based) in the given shape.
std::string scratchName(NameShape shape, int index);

class InodePool;

// A fresh folder in the pool's base folder, filled with empty files from the pool when it is made;
// when it goes, the pool takes its files back and removes it. Both happen outside every timed region.
class ScratchFolder {
public:
    // An empty folder.
    explicit ScratchFolder(InodePool& pool);
    // A folder holding count empty files named in the given shape.
    ScratchFolder(InodePool& pool, NameShape shape, int count);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }

    // The names of every entry in the folder now, in no particular order.
    std::vector<std::string> entries() const;

private:
    InodePool& m_pool;
    std::string m_path;
};

// Makes the base folder when it is missing.
void makeBaseFolder(const std::string& base);

// Reports a failed system call and ends the program: a benchmark that cannot set up its folders has
// nothing to measure.
[[noreturn]] void failSystem(const std::string& what);

} // namespace filarion::bench
