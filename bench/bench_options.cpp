#include "bench_options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace filarion::bench {

namespace {

std::vector<int> parseSizes(const char* text) {
    std::vector<int> sizes;
    for (const char* at = text; *at != '\0';) {
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end == at || value <= 0 || value > 10'000'000) {
            return {};
        }
        sizes.push_back(static_cast<int>(value));
        at = *end == ',' ? end + 1 : end;
    }
    return sizes;
}

} // namespace

int usage() {
    std::fputs(
        "usage: filarion_bench [--dir FOLDER] [--runs R] [--sizes N,N...] [--groups G,G...]\n"
        "       groups: rename (with the listing), process, list, window (with the preview), preview, undo, table\n"
        "       rename, process and list measure sizes up to 100000 only; the default sizes are\n"
        "       10000,100000,200000,1000000 (leave the larger ones out with --sizes 10000,100000)\n"
        "       filarion_bench --replace-job FOLDER PEAKFILE | --window-job RESULTFILE [FOLDER]\n"
        "       filarion_bench --preview-job RESULTFILE | --undo-job RESULTFILE\n",
        stderr);
    return 2;
}

bool parseOptions(int argc, char* argv[], Options& options) {
    char cwd[4096];
    options.base = std::string(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/bench-work";
    for (int i = 1; i < argc; i += 2) {
        const std::string argument = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[i + 1];
        if (argument == "--dir") {
            // The jobs run as child processes in their own folders, so every path handed to them must be
            // absolute.
            options.base = std::filesystem::absolute(value).lexically_normal().string();
        } else if (argument == "--runs") {
            options.runs = std::atoi(value);
        } else if (argument == "--sizes") {
            options.sizes = parseSizes(value);
        } else if (argument == "--groups") {
            options.groups.clear();
            const std::string list = value;
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t end = std::min(list.find(',', start), list.size());
                options.groups.insert(list.substr(start, end - start));
                start = end + 1;
            }
        } else {
            return false;
        }
    }
    const std::set<std::string> known{"preview", "rename", "process", "list", "window", "undo", "table"};
    if (options.runs < 1 || options.sizes.empty() || options.groups.empty() ||
        !std::includes(known.begin(), known.end(), options.groups.begin(), options.groups.end())) {
        return false;
    }
    return true;
}

} // namespace filarion::bench
