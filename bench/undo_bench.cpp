#include "undo_bench.h"

#include "bench_services.h"
#include "child_process.h"
#include "engine/command_services.h"
#include "engine/rename_run.h"
#include "engine/texts.h"
#include "engine/undo_run.h"
#include "peak_memory.h"
#include "platform/folder_snapshot.h"
#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui_core/working_set.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <unistd.h>
#include <vector>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

// The window's side of the undo: the question stops the clock and is answered No, so nothing is renamed.
class UndoQuestion final : public engine::CommandServices {
public:
    explicit UndoQuestion(const Stopwatch& watch) : m_watch(watch) {}

    void showMessage(const QString& /*text*/) override { ++messages; }
    bool askYesNo(const QString& /*text*/) override {
        if (!asked) {
            asked = m_watch.elapsed();
            peakKb = peakMemoryKb();
        }
        ++questions;
        return false;
    }
    void setProgress(int /*value*/) override {}
    void enterBusy() override {}
    void leaveBusy() override {}
    void refreshFileList() override {}

    std::optional<Sample> asked;
    long peakKb = 0;
    int messages = 0;
    int questions = 0;

private:
    const Stopwatch& m_watch;
};

} // namespace

void benchUndo(BenchReport& report, InodePool& pool, int n, int runs) {
    const std::string self = ownProgramPath();
    const std::string resultFile = pool.base() + "/undo-job.txt";
    std::vector<Sample> floor;
    std::vector<Sample> plan;
    long peakKb = 0;
    std::vector<Sample> longLog;
    long longLogPeakKb = 0;
    std::string note;
    // The undo child in the folder: its plan, its peak memory, and a note when it did not do its work.
    const auto runJob = [&](const ScratchFolder& folder, std::vector<Sample>& samples, long& peak) {
        ::unlink(resultFile.c_str());
        const std::vector<std::string> argv{self, "--undo-job", resultFile};
        const ChildRun run = runChild(argv, folder.path());
        std::ifstream result(resultFile);
        Sample sample;
        int questions = -1;
        int messages = -1;
        long kilobytes = 0;
        if (run.exitCode == 0 && result >> sample.seconds >> sample.cpuSeconds >> questions >> messages >> kilobytes) {
            samples.push_back(sample);
            peak = std::max(peak, kilobytes);
        }
        if (note.empty() && (run.exitCode != 0 || questions != 1 || messages != 0)) {
            note = "NOT DONE: exit code " + std::to_string(run.exitCode) + ", " + std::to_string(questions) +
                   " questions, " + std::to_string(messages) + " messages";
        }
    };
    for (int round = 0; round < runs; ++round) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        const QString path = QFile::decodeName(QByteArray::fromStdString(folder.path()));
        {
            ui_core::WorkingSet set;
            set.setFolder(path);
            set.setPatternText(u"*.*"_s);
            set.refresh();
            engine::RenameRequest request;
            request.Method = engine::RenameMethod::Replace;
            request.FindText = u"cad"_s;
            request.ReplaceText = u"zet"_s;
            request.Folder = path;
            request.Files = set.nameList();
            BenchServices services;
            engine::RenameFiles(request, services);
        }
        // The floor and the plan take turns (the undo is answered No and renames nothing), each round starting
        // with the other one.
        for (int k = 0; k < 2; ++k) {
            switch ((k + round) % 2) {
            case 0: {
                ui_core::WorkingSet alone;
                alone.setFolder(path);
                alone.setPatternText(u"*.*"_s);
                const Stopwatch watch;
                alone.refresh();
                floor.push_back(watch.elapsed());
                break;
            }
            default:
                runJob(folder, plan, peakKb);
                break;
            }
        }
        if (round == runs - 1) {
            // The log grows to eight copies of the run, the last run the same: the plan does not change.
            const std::string log =
                folder.path() + "/" + QFile::encodeName(QString::fromUtf16(engine::texts::kLogFileName)).toStdString();
            std::ifstream in(log, std::ios::binary);
            const std::string once{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            std::ofstream out(log, std::ios::binary | std::ios::trunc);
            for (int copy = 0; copy < 8; ++copy) {
                out << once;
            }
            out.close();
            runJob(folder, longLog, longLogPeakKb);
        }
    }
    ::unlink(resultFile.c_str());
    report.add(kUndoFloor, n, floor, {});
    report.add(kUndoPlan, n, plan, kUndoFloor, note);
    report.addMemory(kUndoPlan, n, peakKb);
    report.add(kUndoPlanLongLog, n, longLog, kUndoFloor, note);
    report.addMemory(kUndoPlanLongLog, n, longLogPeakKb);
}

int runUndoJob(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: filarion_bench --undo-job RESULTFILE\n", stderr);
        return 2;
    }
    // The window holds the working set of the folder when the command comes.
    ui_core::WorkingSet set;
    set.setFolder(QFile::decodeName(QByteArray(".")));
    set.setPatternText(u"*.*"_s);
    set.refresh();
    const QString folder = set.folder();
    const Stopwatch watch;
    UndoQuestion services(watch);
    engine::undoLastRun(folder, services);
    if (!services.asked) {
        services.asked = Sample{};
    }
    std::ofstream result(argv[2]);
    result.precision(9);
    result << services.asked->seconds << ' ' << services.asked->cpuSeconds << ' ' << services.questions << ' '
           << services.messages << ' ' << services.peakKb << '\n';
    return 0;
}

} // namespace filarion::bench
