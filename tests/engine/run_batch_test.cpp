// The record beside other writers and in batches: the lock keeps a second run or undo out, even one started
// at the same moment in another process, lines that cannot be cut off whole stay with their refusal after them,
// and a run whose done lines go out in batches ends exactly as one that commits each line on its own.

#include "engine/rename_run.h"
#include "engine/run_log.h"
#include "engine/undo_run.h"
#include "support/engine_run.h"
#include "undo_support.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

const QString kBusy = u"此文件夹中另有改名正在进行，请稍后再试！"_s;

// Random folders under the replace method, whose new names collide with files outside the working set
// (taken names) and whose empty name parts are refused: every kind of line and message, at random places,
// against batches of every size up to the largest.
TEST(RunBatches, BatchedRunsEndExactlyAsRunsThatCommitEveryLineOnItsOwn) {
    std::mt19937 random(4242U);
    for (int trial = 0; trial < 24; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const int count = static_cast<int>(random() % 200);
        QStringList files;
        QStringList taken;
        for (int k = 0; k < count; ++k) {
            const int kind = static_cast<int>(random() % 10);
            // "a.d<k>": "a" goes and the name part is empty; "a<k>.dat" becomes "<k>.dat", taken at times.
            files << (kind == 0 ? u"a.d%1"_s.arg(k) : u"a%1.dat"_s.arg(k));
            if (kind == 1 || kind == 2) {
                taken << u"%1.dat"_s.arg(k);
            }
        }
        const int largest = std::array{2, 3, 7, 64, engine::RunEnvironment::kLargestBatch}[random() % 5];
        RunOutcome outcomes[2];
        for (int batched = 0; batched < 2; ++batched) {
            const TempFolder folder;
            createFiles(folder, files + taken);
            engine::RunEnvironment environment = fixedEnvironment();
            environment.largestBatch = batched != 0 ? largest : 1;
            outcomes[batched] = runRename(folder, replaceRequest(u"a"_s, QString()), files, environment);
        }
        EXPECT_EQ(outcomes[1].messages, outcomes[0].messages);
        EXPECT_EQ(outcomes[1].logAtMessages, outcomes[0].logAtMessages);
        EXPECT_EQ(outcomes[1].log, outcomes[0].log);
        EXPECT_EQ(outcomes[1].files, outcomes[0].files);
        EXPECT_EQ(outcomes[1].messages.size(), qsizetype(taken.size() + files.filter(u"a.d"_s).size()));
    }
}

// The log's lock lets one run or undo at a time into a folder. While another holds it, a run and an undo say so
// at once and touch nothing: no file, no byte of the log, no question. Two runs started at once over the same
// files (two windows, two processes): the one that finds the log locked is told just that and leaves no file and
// no line, or they follow each other. Either way every renamed file has its done line, and no line names a
// rename that did not happen.
TEST(RunLock, ASecondRunOrUndoWhileTheLogIsLockedTouchesNothing) {
    const TempFolder folder;
    createFiles(folder, {u"a.txt"_s, u"b.txt"_s});
    const RunOutcome first = runRename(folder, insertRequest(u"x"_s, u"0"_s), {u"a.txt"_s});
    {
        QFile other(folder.filePath(kLog)); // another program's descriptor of the log
        ASSERT_TRUE(other.open(QIODevice::Append));
        ASSERT_EQ(::flock(other.handle(), LOCK_EX | LOCK_NB), 0);
        const RunOutcome second = runRename(folder, insertRequest(u"y"_s, u"0"_s), {u"b.txt"_s});
        EXPECT_EQ(second.messages, QStringList{kBusy});
        EXPECT_EQ(second.log, first.log);
        EXPECT_EQ(second.files, first.files);
        EXPECT_TRUE(second.idle);
        YesServices services;
        engine::undoLastRun(folder.path(), services, fixedEnvironment());
        EXPECT_EQ(services.messages, QStringList{kBusy});
        EXPECT_TRUE(services.questions.isEmpty());
        EXPECT_EQ(folder.read(kLog), first.log);
        EXPECT_EQ(folder.entries(), (QStringList{kLog, u"b.txt"_s, u"xa.txt"_s}));
    }

    constexpr int kNames = 400;
    constexpr int kTrials = 12;
    const QByteArray header = gbkLines({headerLine()});
    QStringList names;
    for (int k = 0; k < kNames; ++k) {
        names << u"f_%1.dat"_s.arg(k, 4, 10, QChar(u'0'));
    }
    const QString prefixes[2] = {u"a"_s, u"b"_s};
    int busy = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const TempFolder race;
        createFiles(race, names);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            children[c] = ::fork();
            ASSERT_GE(children[c], 0);
            if (children[c] == 0) {
                char go = 0;
                (void)::read(ready[0], &go, 1);
                engine::RenameRequest request = insertRequest(prefixes[c], u"0"_s);
                request.Folder = race.path();
                request.Files = names;
                RecordingServices services;
                engine::RenameFiles(request, services, fixedEnvironment());
                // 0: it ran; 1: it found the log locked and was told just that; 2: anything else.
                ::_exit(services.messages.isEmpty() ? 0 : services.messages == QStringList{kBusy} ? 1 : 2);
            }
        }
        ASSERT_EQ(::write(ready[1], "gg", 2), 2);
        ::close(ready[0]);
        ::close(ready[1]);
        bool refused[2];
        for (int c = 0; c < 2; ++c) {
            int status = 0;
            ASSERT_EQ(::waitpid(children[c], &status, 0), children[c]);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << status;
            refused[c] = WEXITSTATUS(status) == 1;
            busy += int(refused[c]);
        }
        const QByteArray log = race.read(kLog);
        const QStringList entries = race.entries();
        ASSERT_EQ(entries.size(), kNames + 1);
        EXPECT_EQ(log.count(header), 2 - int(refused[0]) - int(refused[1])) << "a refused run wrote its header";
        for (const QString& name : names) {
            int places = int(entries.contains(name));
            for (int c = 0; c < 2; ++c) {
                const bool at = entries.contains(prefixes[c] + name);
                places += int(at);
                EXPECT_FALSE(refused[c] && at) << "a refused run renamed " << name.toStdString();
                EXPECT_EQ(log.contains("\n" + gbkLines({doneLine(name, prefixes[c] + name)})), at)
                    << name.toStdString() << " " << c;
            }
            ASSERT_EQ(places, 1) << name.toStdString();
        }
    }
    std::printf("[ lock     ] two runs at once: %d of %d trials found the log locked\n", busy, kTrials);
}

// Another program holds the log open (and may write to it at any moment): a done line written ahead of a
// rename that then did not happen cannot be cut off without a risk to its bytes. It stays, the refusal line
// follows it, the run goes on, and the undo reads the pair as no rename.
TEST(RunLock, ALineThatCannotBeCutOffStaysWithItsRefusalAfterItAndUndoPassesOverThePair) {
    const TempFolder folder;
    const QStringList files{u"a1.dat"_s, u"a2.dat"_s, u"a3.dat"_s};
    createFiles(folder, files + QStringList{u"2.dat"_s});
    RunOutcome run;
    {
        QFile other(folder.filePath(kLog));
        ASSERT_TRUE(other.open(QIODevice::Append));
        run = runRename(folder, replaceRequest(u"a"_s, QString()), files);
    }
    EXPECT_EQ(run.messages, QStringList{takenMessage(u"a2.dat"_s, u"2.dat"_s)});
    const QStringList lines{doneLine(u"a1.dat"_s, u"1.dat"_s), doneLine(u"a2.dat"_s, u"2.dat"_s),
                            doneLine(u"a3.dat"_s, u"3.dat"_s), takenLine(u"a2.dat"_s, u"2.dat"_s)};
    EXPECT_EQ(run.log, expectedLog(lines));
    EXPECT_EQ(run.files, (QStringList{u"1.dat"_s, u"2.dat"_s, u"3.dat"_s, u"a2.dat"_s}));

    YesServices services;
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    EXPECT_EQ(services.questions, QStringList{undoQuestion(2)});
    EXPECT_TRUE(services.messages.isEmpty()) << services.messages.join(u'\n').toStdString();
    EXPECT_EQ(folder.entries(), (QStringList{u"2.dat"_s, kLog, u"a1.dat"_s, u"a2.dat"_s, u"a3.dat"_s}));
}

// Another program appends to the log all through a run full of taken names, opening it for each line as a
// shell's ">>" does: not one of its lines is lost, and every rename of the run has its done line.
TEST(RunLock, AWriterThatIgnoresTheLockLosesNoLine) {
    constexpr int kOtherLines = 3000;
    const TempFolder folder;
    QStringList files;
    QStringList taken;
    for (int k = 0; k < 300; ++k) {
        files << u"a%1.dat"_s.arg(k);
        if (k % 2 == 0) {
            taken << u"%1.dat"_s.arg(k);
        }
    }
    createFiles(folder, files + taken);
    const QByteArray path = QFile::encodeName(folder.filePath(kLog));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) { // plain calls only after fork
        for (int k = 0; k < kOtherLines; ++k) {
            char line[32];
            const int size = std::snprintf(line, sizeof line, "other %d\r\n", k);
            const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
            if (fd < 0 || ::write(fd, line, std::size_t(size)) != size) {
                ::_exit(1);
            }
            ::close(fd);
        }
        ::_exit(0);
    }
    const RunOutcome run = runRename(folder, replaceRequest(u"a"_s, QString()), files);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray log = folder.read(kLog);
    for (int k = 0; k < kOtherLines; ++k) {
        ASSERT_TRUE(log.contains("other " + QByteArray::number(k) + "\r\n")) << "line " << k << " lost";
    }
    EXPECT_FALSE(run.messages.contains(logNotWritableMessage()));
    EXPECT_EQ(run.messages.size(), taken.size());
    for (const QString& name : files) {
        const QString renamed = name.mid(1);
        if (run.files.contains(renamed) && !taken.contains(renamed)) {
            EXPECT_TRUE(log.contains(gbkLines({doneLine(name, renamed)}))) << name.toStdString();
        }
    }
}

} // namespace
} // namespace filarion::test
