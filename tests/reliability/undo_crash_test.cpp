// The undo of the last run killed with SIGKILL at random moments: each undo takes back the run before it, so
// the kills fall on undos, and on undos of killed undos. Afterwards, every time: no file is lost or doubled,
// each is under its old or its new name, and the log tells which.

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "platform/gbk_codec.h"
#include "reliability_support.h"
#include "support/engine_run.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

struct Step {
    QString current;
    QString former;
};

// What an undo of the log must do, read here on its own: the done lines after the last header, last first.
// Every name of this test is plain, so each line splits one way only.
std::vector<Step> expectedSteps(const QByteArray& log) {
    const QString text = QStringDecoder("GBK").decode(log);
    QStringList lines = text.split(u"\r\n"_s);
    lines.removeLast(); // what follows the last line end: nothing, or a torn line
    qsizetype first = 0;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (lines[i].endsWith(u" Quill Mark Log:"_s)) {
            first = i + 1;
            break;
        }
    }
    std::vector<Step> steps;
    for (qsizetype i = lines.size() - 1; i >= first; --i) {
        const QStringList names = lines[i].chopped(1).split(u"改名为"_s);
        steps.push_back({names.at(1), names.at(0)});
    }
    return steps;
}

TEST(UndoCrash, UndoKilledAtRandomLosesNoFileAndItsLogMatchesTheFolder) {
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QByteArray logPath = root + "QuillmarkLog.txt";
    QHash<QString, QByteArray> contentOf = createNumberedFiles(root); // by present name
    // A run for the undos to take back: every present name gets an "r" in front. Needed at the start, and
    // again when a kill left an undo with its header but no line: that empty run is then the last one.
    int runs = 0;
    const auto runAgain = [&] {
        engine::RenameRequest run = insertRequest(u"r"_s, u"0"_s);
        run.Folder = folder.path();
        run.Files = readWorkingSet(folder.path(), u"*.dat"_s);
        SilentServices services;
        engine::RenameFiles(run, services, fixedEnvironment());
        QHash<QString, QByteArray> renamed;
        for (auto it = contentOf.cbegin(); it != contentOf.cend(); ++it) {
            renamed.insert(u"r"_s + it.key(), it.value());
        }
        contentOf = std::move(renamed);
        ++runs;
    };
    runAgain();
    platform::GbkEncoder encoder;
    const QByteArray header = encoder.encode(headerLine()) + "\r\n";
    std::mt19937 random(24680U);
    QByteArray log = readBytes(logPath).value_or(QByteArray());
    int kills = 0;
    int completed = 0;
    int linesAhead = 0;
    qint64 undoneInAll = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int trial = 0; kills < kKills && trial < kMaxTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::vector<Step> steps = expectedSteps(log);
        // A killed undo's last batch of lines may name renames that the kill stopped: nothing to take back.
        while (!steps.empty() && !readBytes(root + QFile::encodeName(steps.front().current)) &&
               readBytes(root + QFile::encodeName(steps.front().former))) {
            steps.erase(steps.begin());
        }
        if (steps.empty()) {
            runAgain();
            log = readBytes(logPath).value_or(QByteArray());
            steps = expectedSteps(log);
            ASSERT_EQ(steps.size(), std::size_t(kFiles));
        }
        std::vector<QByteArray> lines;
        lines.reserve(steps.size());
        qint64 fullSize = header.size();
        for (const Step& step : steps) {
            lines.push_back(encoder.encode(doneLine(step.current, step.former)) + "\r\n");
            fullSize += lines.back().size();
        }

        QByteArray now;
        ASSERT_NO_FATAL_FAILURE(runAndKillWithinLog(
            [&] {
                SilentServices services; // answers the question with Yes
                engine::undoLastRun(folder.path(), services, fixedEnvironment());
            },
            logPath, log, fullSize, random, kills, completed, now));
        // It grew by the header and the lines of the first steps in order; the last may be torn.
        const QByteArrayView gained = QByteArrayView(now).sliced(log.size());
        LogGrowth growth;
        ASSERT_NO_FATAL_FAILURE(readLogGrowth(gained, header, lines, growth));
        const auto [headed, lined, torn] = growth;

        // Every file once, under its old or its new name, with its own bytes; nothing else in the folder.
        QSet<QByteArray> present;
        for (const QByteArray& entry : rawEntries(QFile::encodeName(folder.path()))) {
            present.insert(entry);
        }
        ASSERT_EQ(present.size(), kFiles + 1);
        qsizetype undone = 0;
        QHash<QString, QByteArray> next = contentOf;
        for (qsizetype i = 0; i < qsizetype(steps.size()); ++i) {
            const Step& step = steps[std::size_t(i)];
            const bool atCurrent = present.contains(QFile::encodeName(step.current));
            const bool atFormer = present.contains(QFile::encodeName(step.former));
            ASSERT_NE(atCurrent, atFormer) << step.current.toStdString();
            if (atFormer) {
                ASSERT_EQ(i, undone) << "taken back out of order";
                ++undone;
                next.insert(step.former, next.take(step.current));
                ASSERT_EQ(readBytes(root + QFile::encodeName(step.former)), next.value(step.former));
            }
        }
        ASSERT_NO_FATAL_FAILURE(expectLinesAheadOfOneBatch(undone, lined, torn));
        linesAhead += static_cast<int>(lined - undone);
        undoneInAll += undone;
        contentOf = std::move(next);
        log = now;
    }
    // Whatever the kills left, every file is there with its bytes.
    for (auto it = contentOf.cbegin(); it != contentOf.cend(); ++it) {
        ASSERT_EQ(readBytes(root + QFile::encodeName(it.key())), it.value()) << it.key().toStdString();
    }
    EXPECT_GE(kills, kKills);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ crash    ] undo of %d files: %d kills survived, %d undos ended first, %lld renames taken back, 0 "
                "without their line, %d kills between a line and its rename, %d runs to take back, %.1f s\n",
                kFiles, kills, completed, static_cast<long long>(undoneInAll), linesAhead, runs, seconds);
}

} // namespace
} // namespace filarion::test
