#include "support/engine_run.h"

#include "platform/gbk_codec.h"

#include <QStringDecoder>
#include <algorithm>
#include <gtest/gtest.h>

namespace filarion::test {

using namespace Qt::StringLiterals;

engine::RunEnvironment fixedEnvironment(const QString& programName) {
    return {programName, [] { return QString::fromUtf16(kStamp); }};
}

QString headerLine() {
    return QString::fromUtf16(kStamp) + u" Quill Mark Log:"_s;
}

QByteArray expectedLog(const QStringList& lines) {
    QStringList all{headerLine()};
    all += lines;
    return gbkLines(all);
}

engine::RenameRequest replaceRequest(const QString& find, const QString& replace) {
    engine::RenameRequest request;
    request.Method = engine::RenameMethod::Replace;
    request.FindText = find;
    request.ReplaceText = replace;
    return request;
}

engine::RenameRequest prefixRequest(const QString& prefix) {
    engine::RenameRequest request;
    request.Method = engine::RenameMethod::Prefix;
    request.PrefixText = prefix;
    return request;
}

engine::RenameRequest fillRequest(const QString& fill) {
    engine::RenameRequest request;
    request.Method = engine::RenameMethod::Fill;
    request.FillText = fill;
    return request;
}

engine::RenameRequest insertRequest(const QString& text, const QString& position) {
    engine::RenameRequest request;
    request.Method = engine::RenameMethod::Insert;
    request.InsertText = text;
    request.PositionText = position;
    return request;
}

void createFiles(const TempFolder& folder, const QStringList& files) {
    for (const QString& name : files) {
        if (name == u"QuillmarkLog.txt"_s) {
            folder.write(name, {});
        } else {
            folder.touch(name);
        }
    }
}

RunOutcome runRename(const TempFolder& folder, engine::RenameRequest request, const QStringList& files,
                     const engine::RunEnvironment& environment) {
    request.Folder = folder.path();
    request.Files = files;
    RunOutcome outcome;
    RecordingServices services;
    services.onMessage = [&](const QString&) { outcome.logAtMessages.push_back(folder.read(u"QuillmarkLog.txt"_s)); };
    engine::RenameFiles(request, services, environment);

    outcome.files = folder.entries();
    outcome.files.removeAll(u"QuillmarkLog.txt"_s);
    outcome.log = folder.read(u"QuillmarkLog.txt"_s);
    outcome.messages = services.messages;
    outcome.progress = services.progress;
    outcome.idle = services.idle();
    outcome.refreshes = services.refreshes;
    return outcome;
}

RunOutcome createAndRun(const TempFolder& folder, const engine::RenameRequest& request, const QStringList& files) {
    createFiles(folder, files);
    return runRename(folder, request, files);
}

QStringList sortedNames(QStringList names) {
    std::sort(names.begin(), names.end());
    return names;
}

QString doneLine(const QString& oldName, const QString& newName) {
    return oldName + u"改名为"_s + newName + u"！"_s;
}

QString takenLine(const QString& oldName, const QString& newName) {
    return oldName + u"改名为"_s + newName + u"，因重名未执行！"_s;
}

QString illegalLine(const QString& oldName, const QString& extension) {
    return oldName + u"改名为"_s + extension + u"，因非法未执行！"_s;
}

QString failedLine(const QString& oldName, const QString& newName) {
    return oldName + u"改名为"_s + newName + u"，因出错未执行！"_s;
}

QString takenMessage(const QString& oldName, const QString& newName) {
    return oldName + u"改名后与"_s + newName + u"同名,故保留原名!"_s;
}

QString emptyNameMessage(const QString& oldName) {
    return oldName + u"改名后为空名,故保留原名!"_s;
}

QString logNotWritableMessage() {
    return u"无法写入日记文件QuillmarkLog.txt，未执行改名！"_s;
}

void PrintTo(const MethodCase& row, std::ostream* out) {
    *out << row.label;
}

std::string caseLabel(const ::testing::TestParamInfo<MethodCase>& info) {
    return info.param.label;
}

void expectCase(const MethodCase& row) {
    const TempFolder folder;
    const RunOutcome outcome = createAndRun(folder, row.request, row.files);
    QStringList after = row.after;
    after.removeAll(u"QuillmarkLog.txt"_s); // the log is checked by its bytes
    EXPECT_EQ(outcome.files, sortedNames(after));
    EXPECT_EQ(outcome.log, expectedLog(row.lines));
    EXPECT_EQ(outcome.messages, row.messages);
    EXPECT_TRUE(outcome.idle);
    EXPECT_EQ(outcome.refreshes, 1);
}

QByteArray withoutWithdrawnLines(const QByteArray& log) {
    QStringList lines = QStringDecoder("GBK").decode(log).operator QString().split(u"\r\n"_s);
    const QString done = u"！"_s;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (const QString& ending : {u"，因重名未执行！"_s, u"，因出错未执行！"_s}) {
            if (!lines[i].endsWith(ending)) {
                continue;
            }
            const QString withdrawn = lines[i].chopped(ending.size()) + done;
            for (qsizetype j = i - 1; j >= 0 && !lines[j].endsWith(u" Quill Mark Log:"_s); --j) {
                if (lines[j] == withdrawn) {
                    lines[j] = lines.takeAt(i--); // the refusal, where a cut would have put it
                    break;
                }
            }
        }
    }
    return platform::GbkEncoder().encode(lines.join(u"\r\n"_s));
}

} // namespace filarion::test
