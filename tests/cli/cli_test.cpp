#include "cli/texts.h"
#include "engine/texts.h"
#include "listing/texts.h"
#include "support/engine_run.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"
#include "ui_core/commands.h"
#include "ui_core/texts.h"
#include "ui_core/working_set.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace filarion::cli {
namespace {

using namespace Qt::StringLiterals;
using test::doneLine;

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// The program on the folder ("{}" in the arguments), its standard input a pipe that is closed at once: no
// terminal. Bounded: a program that does not end fails the test.
Ran runCli(const QString& folder, QStringList arguments) {
    arguments.replaceInStrings(u"{}"_s, folder);
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(FILARION_CLI), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        ADD_FAILURE() << "filarion-cli did not end within 60 s";
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

// The log with every header's stamp set to the tests' fixed one: the program writes the clock's.
QByteArray stampedAsTests(const QByteArray& log) {
    QList<QByteArray> lines = log.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith(" Quill Mark Log:\r")) {
            line = test::gbkLines({test::headerLine()}).chopped(1);
        }
    }
    return lines.join('\n');
}

QString text(const char16_t* constant) {
    return QString::fromUtf16(constant);
}

QString refusedQuestion(const QString& question) {
    return text(texts::kQuestionRefused).arg(question) + u'\n';
}

struct CliCase {
    const char* label;
    QStringList files;
    QStringList first; // a run made before, its status 0
    QStringList arguments;
    int status;
    QString out = {};
    QString err = {};
    QStringList after = {}; // the folder's entries, sorted by code point; empty: as before this run
    QStringList runs = {};  // the log's lines after the first run's, "H" for a header; empty: as before this run
    bool lockLog = false;
    QByteArray table = {}; // written to "t.tsv" in the folder before the run
};

const QStringList kFiles = {u"1.txt"_s, u"67.txt"_s, u"126.txt"_s, u"a.JPG"_s};
const QStringList kReplaced = {u"1.txt"_s, u"12z.txt"_s, u"QuillmarkLog.txt"_s, u"a.JPG"_s, u"z7.txt"_s};
const QStringList kReplaceArgs = {u"replace"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"6"_s, u"z"_s};
const QString kSeeHelp = text(texts::kSeeHelp) + u'\n';

class CliTable : public ::testing::TestWithParam<CliCase> {};

// Every command through the real program: its status, its standard output and error as bytes (UTF-8 here),
// the folder and the log's bytes after it. A run refused or previewed leaves the folder and the log as they
// were, byte for byte.
TEST_P(CliTable, StatusOutputsFolderAndLog) {
    const CliCase& row = GetParam();
    const test::TempFolder folder;
    test::createFiles(folder, row.files);
    const QString log = u"QuillmarkLog.txt"_s;
    if (!row.first.isEmpty()) {
        ASSERT_EQ(runCli(folder.path(), row.first).status, 0);
    }
    if (!row.table.isEmpty()) {
        folder.write(u"t.tsv"_s, row.table);
    }
    QFile held(folder.filePath(log));
    if (row.lockLog) {
        ASSERT_TRUE(held.open(QIODevice::Append));
        ASSERT_EQ(::flock(held.handle(), LOCK_EX), 0);
    }
    const QStringList before = folder.entries();
    const QByteArray logBefore = stampedAsTests(folder.exists(log) ? folder.read(log) : QByteArray());
    const Ran ran = runCli(folder.path(), row.arguments);
    EXPECT_EQ(ran.status, row.status);
    EXPECT_EQ(QString::fromUtf8(ran.out), row.out);
    EXPECT_EQ(QString::fromUtf8(ran.err), row.err);
    EXPECT_EQ(folder.entries(), row.after.isEmpty() ? before : row.after);
    QByteArray expectedLog = logBefore;
    if (!row.runs.isEmpty()) {
        QStringList lines = row.runs;
        lines.replaceInStrings(QRegularExpression(u"^H$"_s), test::headerLine());
        expectedLog = logBefore + test::gbkLines(lines);
    }
    EXPECT_EQ(stampedAsTests(folder.exists(log) ? folder.read(log) : QByteArray()), expectedLog);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliTable,
    ::testing::Values(
        CliCase{"replace",
                kFiles,
                {},
                kReplaceArgs,
                0,
                u"126.txt\t12z.txt\t改名\n67.txt\tz7.txt\t改名\n"_s,
                {},
                kReplaced,
                {u"H"_s, doneLine(u"126.txt"_s, u"12z.txt"_s), doneLine(u"67.txt"_s, u"z7.txt"_s)}},
        CliCase{"number",
                kFiles,
                {},
                {u"number"_s, u"{}"_s, u"--pattern=*.txt"_s, u"zet"_s},
                0,
                u"1.txt\tzet0.txt\t改名\n126.txt\tzet1.txt\t改名\n67.txt\tzet2.txt\t改名\n"_s,
                {},
                {u"QuillmarkLog.txt"_s, u"a.JPG"_s, u"zet0.txt"_s, u"zet1.txt"_s, u"zet2.txt"_s},
                {u"H"_s, doneLine(u"1.txt"_s, u"zet0.txt"_s), doneLine(u"126.txt"_s, u"zet1.txt"_s),
                 doneLine(u"67.txt"_s, u"zet2.txt"_s)}},
        CliCase{"fill",
                kFiles,
                {},
                {u"fill"_s, u"{}"_s, u"0"_s, u"-p"_s, u"*.txt"_s},
                0,
                u"1.txt\t001.txt\t改名\n67.txt\t067.txt\t改名\n"_s,
                {},
                {u"001.txt"_s, u"067.txt"_s, u"126.txt"_s, u"QuillmarkLog.txt"_s, u"a.JPG"_s},
                {u"H"_s, doneLine(u"1.txt"_s, u"001.txt"_s), doneLine(u"67.txt"_s, u"067.txt"_s)}},
        CliCase{"insert, negative position",
                kFiles,
                {},
                {u"insert"_s, u"{}"_s, u"-p"_s, u"*.JPG"_s, u"b"_s, u"-1"_s},
                0,
                u"a.JPG\tba.JPG\t改名\n"_s,
                {},
                {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s, u"QuillmarkLog.txt"_s, u"ba.JPG"_s},
                {u"H"_s, doneLine(u"a.JPG"_s, u"ba.JPG"_s)}},
        CliCase{"validation refused",
                kFiles,
                {},
                {u"fill"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"00"_s},
                1,
                {},
                text(engine::texts::kFillNotSingle) + u'\n'},
        CliCase{"dry run touches nothing",
                kFiles,
                {},
                kReplaceArgs + QStringList{u"-n"_s},
                0,
                u"1.txt\t1.txt\t不变\n126.txt\t12z.txt\t改名\n67.txt\tz7.txt\t改名\n"_s},
        CliCase{"quiet",
                kFiles,
                {},
                kReplaceArgs + QStringList{u"-q"_s},
                0,
                {},
                {},
                kReplaced,
                {u"H"_s, doneLine(u"126.txt"_s, u"12z.txt"_s), doneLine(u"67.txt"_s, u"z7.txt"_s)}},
        CliCase{"name taken",
                {u"a.txt"_s, u"b.txt"_s},
                {},
                {u"replace"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"a"_s, u"b"_s},
                2,
                u"a.txt\tb.txt\t重名，保留原名\n"_s,
                test::takenMessage(u"a.txt"_s, u"b.txt"_s) + u'\n',
                {u"QuillmarkLog.txt"_s, u"a.txt"_s, u"b.txt"_s},
                {u"H"_s, test::takenLine(u"a.txt"_s, u"b.txt"_s)}},
        CliCase{"nothing matched",
                kFiles,
                {},
                {u"replace"_s, u"{}"_s, u"-p"_s, u"*.doc"_s, u"a"_s, u"b"_s},
                0,
                {},
                text(ui_core::texts::kNoFiles) + u'\n'},
        CliCase{
            "busy log", kFiles, {}, kReplaceArgs, 1, {}, text(engine::texts::kAnotherRunGoingOn) + u'\n', {}, {}, true},
        CliCase{"list question refused",
                kFiles + QStringList{u"清单.txt"_s},
                {},
                {u"list"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"清单"_s},
                1,
                {},
                refusedQuestion(u"清单.txt"_s + text(listing::texts::kOverwriteQuestionEnd))},
        CliCase{"undo question refused",
                kFiles,
                kReplaceArgs,
                {u"undo"_s, u"{}"_s},
                1,
                {},
                refusedQuestion(text(engine::texts::kUndoQuestion).arg(2))},
        CliCase{"undo with yes",
                kFiles,
                kReplaceArgs,
                {u"undo"_s, u"-y"_s, u"{}"_s},
                0,
                u"z7.txt\t67.txt\t改名\n12z.txt\t126.txt\t改名\n"_s,
                {},
                {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s, u"QuillmarkLog.txt"_s, u"a.JPG"_s},
                {u"H"_s, doneLine(u"z7.txt"_s, u"67.txt"_s), doneLine(u"12z.txt"_s, u"126.txt"_s)}},
        CliCase{"unknown command",
                kFiles,
                {},
                {u"move"_s, u"{}"_s},
                1,
                {},
                text(texts::kUnknownCommand).arg(u"move"_s) + u'\n' + kSeeHelp},
        CliCase{
            "no pattern", kFiles, {}, {u"fill"_s, u"{}"_s, u"0"_s}, 1, {}, text(texts::kNoPattern) + u'\n' + kSeeHelp},
        CliCase{"dry run of undo",
                kFiles,
                {},
                {u"undo"_s, u"-n"_s, u"{}"_s},
                1,
                {},
                text(texts::kOptionNotFor).arg(u"-n"_s, u"undo"_s) + u'\n' + kSeeHelp},
        CliCase{"table, a swap through a temporary name",
                kFiles + QStringList{u"t.tsv"_s},
                {},
                {u"table"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"{}/t.tsv"_s},
                0,
                u"1.txt\tFilarion改名中转-1.tmp\t改名\n67.txt\t1.txt\t改名\nFilarion改名中转-1.tmp\t67.txt\t改名\n"_s,
                {},
                {u"1.txt"_s, u"126.txt"_s, u"67.txt"_s, u"QuillmarkLog.txt"_s, u"a.JPG"_s, u"t.tsv"_s},
                {u"H"_s, doneLine(u"1.txt"_s, u"Filarion改名中转-1.tmp"_s), doneLine(u"67.txt"_s, u"1.txt"_s),
                 doneLine(u"Filarion改名中转-1.tmp"_s, u"67.txt"_s)},
                false,
                "1.txt\t67.txt\r\n67.txt\t1.txt\r\n"},
        CliCase{"help", {}, {}, {u"--help"_s}, 0, text(texts::kHelp)}),
    [](const ::testing::TestParamInfo<CliCase>& row) {
        std::string name = row.param.label;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// --json gives one object per file that parses back to the preview's names and codes.
TEST(CliJson, ObjectsParseBackToNamesAndCodes) {
    const test::TempFolder folder;
    test::createFiles(folder, {u"a1.txt"_s, u"b\"零a.txt"_s, u"c.txt"_s});
    const Ran ran =
        runCli(folder.path(), {u"replace"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"--json"_s, u"-n"_s, u"a"_s, u"零"_s});
    ASSERT_EQ(ran.status, 0) << ran.err.constData();
    const QList<QByteArray> lines = ran.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const char* expected[][3] = {
        {"a1.txt", "零1.txt", "renamed"}, {"b\"零a.txt", "b\"零零.txt", "renamed"}, {"c.txt", "c.txt", "unchanged"}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::all_of(lines[i].begin(), lines[i].end(), [](char c) { return c > 0 && c < 0x7f; }));
        const QJsonObject object = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(object.value(u"old"_s).toString(), QString::fromUtf8(expected[i][0]));
        EXPECT_EQ(object.value(u"new"_s).toString(), QString::fromUtf8(expected[i][1]));
        EXPECT_EQ(object.value(u"result"_s).toString(), QString::fromUtf8(expected[i][2]));
    }
}

// The command line and the window's core, given the same inputs in the same folder, leave the same folder,
// log and list, byte for byte (the log's header stamped alike).
TEST(CliAndWindow, SameInputsSameFolderLogAndList) {
    const QStringList files = {u"cad1.txt"_s, u"Acad.txt"_s, u"cad.txt"_s, u"zcad.JPG"_s, u"x.txt"_s};
    const QStringList commands[] = {
        {u"replace"_s, u"{}"_s, u"-p"_s, u"*.txt;*.JPG"_s, u"cad"_s, u"zet"_s},
        {u"list"_s, u"{}"_s, u"-p"_s, u"*.txt"_s, u"清单"_s, u"--no-extension"_s},
    };
    const test::TempFolder folder;
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.front().toStdString());
        QMap<QString, QByteArray> byCli;
        for (const bool viaCli : {true, false}) {
            for (const QString& name : folder.entries()) {
                QFile::remove(folder.filePath(name));
            }
            test::createFiles(folder, files);
            QFile::remove(folder.filePath(u"QuillmarkLog.txt"_s));
            if (viaCli) {
                ASSERT_EQ(runCli(folder.path(), command).status, 0);
            } else {
                test::RecordingServices services;
                ui_core::WindowCommands windowCommands(services, test::fixedEnvironment(u"filarion-cli"_s));
                ui_core::WorkingSet set;
                set.setFolder(folder.path());
                set.setPatternText(command.at(3));
                ASSERT_FALSE(set.refresh());
                ui_core::CommandInputs inputs;
                inputs.folder = folder.path();
                inputs.patternText = command.at(3);
                inputs.names = set.nameList();
                inputs.findText = command.at(4);
                inputs.replaceText = command.value(5);
                inputs.listName = command.at(4);
                inputs.nameForm = listing::NameForm::WithoutExtension;
                const ui_core::CommandEnd end =
                    command.front() == u"list"_s ? windowCommands.makeList(inputs) : windowCommands.rename(inputs);
                EXPECT_EQ(end, ui_core::CommandEnd::Done);
                EXPECT_EQ(services.messages, QStringList());
            }
            QMap<QString, QByteArray> now;
            for (const QString& name : folder.entries()) {
                now.insert(name, stampedAsTests(folder.read(name)));
            }
            if (viaCli) {
                byCli = now;
            } else {
                EXPECT_EQ(now, byCli);
            }
        }
    }
}

} // namespace
} // namespace filarion::cli
