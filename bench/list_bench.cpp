#include "list_bench.h"

#include "bench_cases.h"
#include "bench_services.h"
#include "floors.h"
#include "listing/file_list_export.h"
#include "scratch_folder.h"
#include "stopwatch.h"

#include <QStringList>
#include <algorithm>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

int lineCount(const std::string& path) {
    const std::string text = readWhole(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

void benchListFile(BenchReport& report, InodePool& pool, const Options& options, int n) {
    std::vector<std::string> names;
    QStringList qtNames;
    for (int i = 0; i < n; ++i) {
        names.push_back(scratchName(NameShape::Tagged, i));
        qtNames.push_back(QString::fromStdString(names.back()));
    }
    const auto check = [n](const ScratchFolder& folder) {
        const int lines = lineCount(folder.path() + "/list.txt");
        return lines == n + 1 ? std::string()
                              : "NOT DONE: " + std::to_string(lines) + " of " + std::to_string(n + 1) + " lines";
    };
    std::vector<Case> cases;
    cases.emplace_back(kListFileFloor, std::string(), [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool);
        const Stopwatch watch;
        listFileFloor(folder.path(), "list.txt", names);
        samples.push_back(watch.elapsed());
        return check(folder);
    });
    cases.emplace_back(kMakeFileList, kListFileFloor, [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool);
        listing::FileListRequest request;
        request.listName = u"list"_s;
        request.form = listing::NameForm::WithExtension;
        request.patternText = u"*.JPG"_s;
        request.folder = qtPath(folder.path());
        request.files = qtNames;
        // The file list refresh at the end is the WorkingSet refresh measured on its own; here it
        // does nothing.
        BenchServices services;
        const Stopwatch watch;
        listing::MakeFileList(request, services);
        samples.push_back(watch.elapsed());
        return check(folder);
    });
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
}

} // namespace filarion::bench
