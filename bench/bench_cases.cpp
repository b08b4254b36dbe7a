#include "bench_cases.h"

#include <QFile>
#include <fstream>
#include <iterator>

namespace filarion::bench {

using namespace Qt::StringLiterals;

QString qtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

ui_core::WorkingSet readWorkingSet(const std::string& folder, const QString& pattern) {
    ui_core::WorkingSet set;
    set.setFolder(qtPath(folder));
    set.setPatternText(pattern);
    set.refresh();
    return set;
}

engine::RenameRequest makeRequest(engine::RenameMethod method, ui_core::WorkingSet& set) {
    engine::RenameRequest request;
    request.Method = method;
    request.FindText = u"cad"_s;
    request.ReplaceText = u"zet"_s;
    request.PrefixText = u"zet"_s;
    request.FillText = u"0"_s;
    request.InsertText = u"zet"_s;
    request.PositionText = u"2"_s;
    request.Folder = set.folder();
    request.Files = set.nameList();
    return request;
}

void runRounds(std::vector<Case>& cases, int runs) {
    for (int round = 0; round < runs; ++round) {
        for (std::size_t k = 0; k < cases.size(); ++k) {
            Case& c = cases[(k + static_cast<std::size_t>(round)) % cases.size()];
            const std::string note = c.run(round, c.samples);
            if (c.note.empty()) {
                c.note = note;
            }
        }
    }
}

void reportCases(BenchReport& report, const std::vector<Case>& cases, int n) {
    for (const Case& c : cases) {
        report.add(c.name, n, c.samples, c.floorName, c.note);
    }
}

} // namespace filarion::bench
