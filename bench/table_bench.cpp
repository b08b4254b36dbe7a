#include "table_bench.h"

#include "bench_cases.h"
#include "bench_services.h"
#include "engine/rename_table.h"
#include "engine/table_file.h"
#include "floors.h"
#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui_core/table_edits.h"

#include <QString>
#include <cstdio>
#include <functional>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

// The rows of a working set, every one unchanged, as the preview hands them to the table.
engine::PreviewRows unchangedRows(const engine::NameList& names) {
    engine::PreviewRows rows;
    rows.reset(names);
    return rows;
}

// Every name with a tag in front, one per line (or "old<TAB>new" lines), as a spreadsheet column gives them.
QString taggedLines(const engine::NameList& names, bool twoColumns) {
    QString text;
    text.reserve(names.text().size() * (twoColumns ? 2 : 1) + names.size() * 8);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (twoColumns) {
            text.append(names.at(i)).append(u'\t');
        }
        text.append(u"tb_"_s).append(names.at(i)).append(u"\r\n"_s);
    }
    return text;
}

} // namespace

void benchTable(BenchReport& report, InodePool& pool, const Options& options, int n) {
    const engine::RunEnvironment environment = engine::defaultRunEnvironment();
    const JobCheck tagged(NameShape::Tagged, n);
    std::vector<Case> cases;
    std::vector<Sample> firstCheck;
    std::vector<Sample> recheck;
    std::vector<Sample> paste;
    std::vector<Sample> import;
    cases.emplace_back(kTableFloor, std::string(), [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        const Stopwatch watch;
        renameFloor(folder.path(), RenameOrder::List);
        samples.push_back(watch.elapsed());
        return tagged.verify(folder, true, false);
    });
    // The same renames as the floor's, as a table: every row a name no file bears.
    cases.emplace_back(kTableRun, kTableFloor, [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        ui_core::WorkingSet set = readWorkingSet(folder.path(), u"*.*"_s);
        const engine::NameList names = set.nameList(); // made anew by each call
        engine::NameList newNames;
        for (qsizetype i = 0; i < names.size(); ++i) {
            newNames.append(u"tb_"_s + names.at(i).toString());
        }
        const engine::RenameTable table{set.folder(), names, newNames};
        BenchServices services(&set);
        const Stopwatch watch;
        engine::renameTable(table, services, environment);
        samples.push_back(watch.elapsed());
        return services.messages > 0 ? std::string("NOT DONE: a message") : tagged.verify(folder, true, false);
    });
    // Each row takes the next row's name: one chain, ordered from its end.
    cases.emplace_back(kTableShifted, kTableFloor, [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        ui_core::WorkingSet set = readWorkingSet(folder.path(), u"*.*"_s);
        const engine::NameList names = set.nameList();
        engine::NameList newNames;
        for (qsizetype i = 0; i + 1 < names.size(); ++i) {
            newNames.append(names.at(i + 1));
        }
        newNames.append(u"tb_"_s + names.at(names.size() - 1).toString()); // the chain ends at a free name
        const engine::RenameTable table{set.folder(), names, newNames};
        BenchServices services(&set);
        const Stopwatch watch;
        engine::renameTable(table, services, environment);
        samples.push_back(watch.elapsed());
        // Every file is there, the log beside them, and the last file under its new name.
        const bool whole =
            services.messages == 0 && folder.entries().size() == std::size_t(n) + 1 && set.count() == n + 1;
        return whole ? std::string() : std::string("NOT DONE: a message or a file lost");
    });
    // The checks of the dialog, on a folder that stays as it is: the first reads the folder's names; an edit, a
    // paste and an import after it check every row again.
    cases.emplace_back(kTableRefresh, std::string(), [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        ui_core::WorkingSet set;
        set.setFolder(qtPath(folder.path()));
        set.setPatternText(u"*.*"_s);
        const Stopwatch watch;
        set.refresh();
        samples.push_back(watch.elapsed());
        const engine::NameList names = set.nameList();
        const engine::PreviewRows rows = unchangedRows(names);
        ui_core::TableEdits edits(set.folder(), rows, environment.programName);
        std::string note;
        const auto time = [](std::vector<Sample>& stepSamples, const std::function<void()>& step) {
            const Stopwatch stepWatch;
            step();
            stepSamples.push_back(stepWatch.elapsed());
        };
        time(firstCheck, [&] { edits.setNewName(0, u"tb_first"_s); });
        time(recheck, [&] { edits.setNewName(n / 2, u"tb_middle"_s); });
        const QString column = taggedLines(names, false);
        time(paste, [&] { note = edits.paste(0, column).value_or(QString()).toStdString(); });
        const std::string tablePath = folder.path() + ".table.txt";
        engine::NameList imported;
        for (qsizetype i = 0; i < names.size(); ++i) {
            imported.append(u"ti_"_s + names.at(i).toString());
        }
        (void)engine::exportTableFile(qtPath(tablePath), names, imported);
        time(import, [&] { note = edits.importFile(qtPath(tablePath)).value_or(QString()).toStdString(); });
        std::remove(tablePath.c_str());
        return edits.errors() > 0 ? "NOT DONE: rows in error" : note;
    });
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
    const std::string& note = cases.back().note;
    report.add(kTableFirstCheck, n, firstCheck, kTableRefresh, note);
    report.add(kTableRecheck, n, recheck, kTableRefresh, note);
    report.add(kTablePaste, n, paste, kTableRefresh, note);
    report.add(kTableImport, n, import, kTableRefresh, note);
}

} // namespace filarion::bench
