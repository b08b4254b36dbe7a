#pragma once

// What the groups measured in this process share: the request and working set of a run, the check that a
// job did its work, and the cases run in turns.

#include "bench_report.h"
#include "engine/rename_request.h"
#include "scratch_folder.h"
#include "ui_core/working_set.h"

#include <QString>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace filarion::bench {

const std::string kLogName = "QuillmarkLog.txt";

QString qtPath(const std::string& path);
std::string readWhole(const std::string& path);
ui_core::WorkingSet readWorkingSet(const std::string& folder, const QString& pattern);
engine::RenameRequest makeRequest(engine::RenameMethod method, ui_core::WorkingSet& set);

// What a job should leave behind: every original name gone but those it leaves alone, and, for the
// jobs that keep a log, one log line per rename after the header.
class JobCheck {
public:
    JobCheck(NameShape shape, int n) {
        std::size_t longest = 0;
        for (int i = 0; i < n; ++i) {
            std::string name = scratchName(shape, i);
            longest = std::max(longest, name.size());
            m_originals.insert(std::move(name));
        }
        for (const std::string& name : m_originals) {
            m_longest += name.size() == longest ? 1 : 0;
        }
    }

    // Empty when the job did its work, else what is wrong. keepsLongest: the fill job, which leaves
    // the longest names as they are.
    std::string verify(const ScratchFolder& folder, bool keepsLog, bool keepsLongest) const {
        const int expected = static_cast<int>(m_originals.size()) - (keepsLongest ? m_longest : 0);
        int renamed = 0;
        for (const std::string& name : folder.entries()) {
            renamed += name != kLogName && m_originals.count(name) == 0 ? 1 : 0;
        }
        int logLines = 0;
        if (keepsLog) {
            const std::string log = readWhole(folder.path() + "/" + kLogName);
            for (std::size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) {
                ++logLines;
            }
        }
        if (renamed == expected && (!keepsLog || logLines == expected + 1)) {
            return {};
        }
        std::string what = "NOT DONE: " + std::to_string(renamed) + " of " + std::to_string(expected) + " renamed";
        if (keepsLog) {
            what += ", " + std::to_string(logLines) + " log lines";
        }
        return what;
    }

private:
    std::unordered_set<std::string> m_originals;
    int m_longest = 0;
};

// One measurement of a group: its runs, each on its own fresh folder.
struct Case {
    using Run = std::function<std::string(int round, std::vector<Sample>& samples)>; // returns a note
    Case(std::string caseName, std::string caseFloor, Run caseRun)
        : name(std::move(caseName)), floorName(std::move(caseFloor)), run(std::move(caseRun)) {}

    std::string name;
    std::string floorName;
    Run run;
    std::vector<Sample> samples;
    std::string note;
};

// Runs the cases round by round, each once per round, starting each round with the next case, so
// that slow spells of a busy machine spread over all of them and no case always follows the same one.
void runRounds(std::vector<Case>& cases, int runs);

void reportCases(BenchReport& report, const std::vector<Case>& cases, int n);

} // namespace filarion::bench
