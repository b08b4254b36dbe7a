#pragma once

#include "engine/rename_request.h"
#include "engine/rename_run.h"
#include "support/printers.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace filarion::test {

// The fixed clock and program of engine tests: every header line reads kStamp + " Quill Mark Log:", and
// the program's own file is "prog" with any extension.
inline constexpr char16_t kStamp[] = u"2026/1/2 03:04:05";
inline constexpr char16_t kProgramName[] = u"prog";
engine::RunEnvironment fixedEnvironment(const QString& programName = QString::fromUtf16(kProgramName));

// The header line the fixed environment writes.
QString headerLine();

// The log bytes of runs with the fixed environment: one header, then the lines, per run.
QByteArray expectedLog(const QStringList& lines);

// Requests of each method over no files yet.
engine::RenameRequest replaceRequest(const QString& find, const QString& replace);
engine::RenameRequest prefixRequest(const QString& prefix);
engine::RenameRequest fillRequest(const QString& fill);
engine::RenameRequest insertRequest(const QString& text, const QString& position);

// Creates every name of files in the folder as a file holding its own name, except the rename log
// itself, which is created empty so that its bytes are the run's alone.
void createFiles(const TempFolder& folder, const QStringList& files);

// What one run left: the folder's entries except the rename log (sorted by code point), the log's bytes,
// and everything the window was asked to do.
struct RunOutcome {
    QStringList files;
    QByteArray log;
    QStringList messages;
    std::vector<QByteArray> logAtMessages; // the log's bytes while each message was shown
    std::vector<int> progress;
    bool idle = false;
    int refreshes = 0;
};

// Runs the request with Folder set to the folder and Files to files, which must already exist as the test
// wants them.
RunOutcome runRename(const TempFolder& folder, engine::RenameRequest request, const QStringList& files,
                     const engine::RunEnvironment& environment = fixedEnvironment());

// createFiles, then runRename.
RunOutcome createAndRun(const TempFolder& folder, const engine::RenameRequest& request, const QStringList& files);

// The names sorted by code point, as TempFolder::entries gives a folder.
QStringList sortedNames(QStringList names);

// Event lines and messages, spelled out here on their own so that a wrong text in the engine shows.
QString doneLine(const QString& oldName, const QString& newName);      // old改名为new！
QString takenLine(const QString& oldName, const QString& newName);     // old改名为new，因重名未执行！
QString illegalLine(const QString& oldName, const QString& extension); // old改名为ext，因非法未执行！
QString failedLine(const QString& oldName, const QString& newName);    // old改名为new，因出错未执行！
QString takenMessage(const QString& oldName, const QString& newName);  // old改名后与new同名,故保留原名!
QString emptyNameMessage(const QString& oldName);                      // old改名后为空名,故保留原名!
QString logNotWritableMessage();

// The log as a local disk leaves it: on FUSE and network folders the log is only appended to, and a rename
// that did not happen keeps its done line, and its refusal follows the batch's other lines. Here each refusal
// takes the place of its done line again.
QByteArray withoutWithdrawnLines(const QByteArray& log);

// One row of a method's table of outcomes: the files in list order, created in a new folder, and
// what the folder, the log after its header, and the messages must be afterwards.
struct MethodCase {
    const char* label;
    engine::RenameRequest request;
    QStringList files;
    QStringList after; // any order; the rename log, when listed, is checked by its bytes alone
    QStringList lines;
    QStringList messages = {};
};

void PrintTo(const MethodCase& row, std::ostream* out);
std::string caseLabel(const ::testing::TestParamInfo<MethodCase>& info);

// Runs the row in a new folder and checks the folder's names, the log's bytes, the messages in order,
// and that the window ends restored and refreshed once.
void expectCase(const MethodCase& row);

} // namespace filarion::test
