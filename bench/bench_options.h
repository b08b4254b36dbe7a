#pragma once

#include <set>
#include <string>
#include <vector>

namespace filarion::bench {

// The groups that measure every size; the others stop at this many files (a rename run of a million files
// takes half a minute, and what they measure grows no differently beyond it).
const std::set<std::string> kEverySize{"window", "preview", "undo"};
constexpr int kLargestRunSize = 100000;

struct Options {
    std::vector<int> sizes{10000, 100000, 200000, 1000000};
    int runs = 5;
    std::string base;
    std::set<std::string> groups{"rename", "process", "list", "window", "undo", "table"};

    // Whether the group measures n files in this run.
    bool measures(const std::string& group, int n) const {
        return groups.count(group) != 0 && (n <= kLargestRunSize || kEverySize.count(group) != 0);
    }
};

// Reads the command line into options (starting from their defaults); false when it is no valid one.
bool parseOptions(int argc, char* argv[], Options& options);

// Prints how the program is called, to the standard error; returns the exit code for a wrong call.
int usage();

} // namespace filarion::bench
