#pragma once

#include <string>
#include <vector>

namespace filarion::bench {

// The empty files every benchmark folder is filled with. Making a file (allocating its inode) can
// cost a millisecond on a busy ext4, far more than a rename, so the files are made once, kept in
// BASE/pool between bench runs, and moved (renamed) into each fresh folder under the names the job
// needs. A used folder is taken back whole, and its files fill the next folder: one rename per file
// and run sets a folder up. Files a job wrote into (the log, the list file) are deleted instead.
class InodePool {
public:
    explicit InodePool(const std::string& base);
    // Moves every file still held in taken-back folders home and removes those folders.
    ~InodePool();
    InodePool(const InodePool&) = delete;
    InodePool& operator=(const InodePool&) = delete;

    const std::string& base() const { return m_base; }

    // Makes files at home until the pool holds at least count; says so on stderr, as it can take minutes.
    void ensure(int count);

    // Moves count files of the pool into the open folder, naming file i nameOf(i).
    template <typename NameOf> void fill(int folderFd, int count, NameOf nameOf) {
        for (int i = 0; i < count; ++i) {
            moveOneInto(folderFd, nameOf(i));
        }
    }

    // Takes back every file of a folder that a run has finished with; the folder goes when it is drained.
    void takeBack(const std::string& folder);

private:
    struct Source {
        std::string path;
        int fd = -1;
        std::vector<std::string> names;
    };

    void moveOneInto(int folderFd, const std::string& name);
    Source& nextSource();
    void takeBackLeftovers();
    // A name for a file at home: one known to be free, else a new one that may still be taken.
    std::string nextHomeName();

    std::string m_base;
    Source m_home;
    std::vector<Source> m_taken;          // drained last in, first out
    std::vector<std::string> m_homeSpare; // names known to be free at home
    unsigned m_nextHomeName = 0;
};

} // namespace filarion::bench
