#pragma once

#include <string>
#include <vector>

namespace filarion::bench {

// One whole process, timed from before it is spawned until it has been waited for.
struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the child and the children it waited for
    int exitCode = -1;     // -1 when it did not exit normally
};

// Runs the program (searched in PATH when it has no slash) in the folder, standard input and output
// on /dev/null, standard error kept, and waits for it. (The child's ru_maxrss is no use: a child
// spawned with vfork semantics inherits this process's peak at exec.)
ChildRun runChild(const std::vector<std::string>& arguments, const std::string& folder);

// The full path of a program found in PATH, or empty.
std::string findProgram(const std::string& name);

// The path of the running program.
std::string ownProgramPath();

} // namespace filarion::bench
