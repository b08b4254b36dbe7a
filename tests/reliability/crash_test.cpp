// A command killed with SIGKILL at a random moment: no file is lost or doubled, the log matches the folder,
// and a list file is either the old one or the whole new one.

#include "engine/rename_run.h"
#include "engine/rename_table.h"
#include "engine/undo_run.h"
#include "listing/file_list_export.h"
#include "platform/gbk_codec.h"
#include "platform/own_files.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QFile>
#include <QHash>
#include <QSet>
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

// The rename of one trial: a method over the names as they are, each new name unlike any present name.
struct Trial {
    engine::RenameRequest request;
    QStringList newNames;
};

Trial trialFor(int trial, const QStringList& names) {
    Trial out;
    const int width = static_cast<int>(QString::number(names.size() - 1).size());
    switch (trial % 3) {
    case 0: // a prefix no name bears yet, numbered in list order
        out.request = prefixRequest(u"p%1_"_s.arg(trial));
        for (qsizetype i = 0; i < names.size(); ++i) {
            out.newNames << u"p%1_%2.dat"_s.arg(trial).arg(i, width, 10, QChar(u'0'));
        }
        break;
    case 1: // every name holds one '_'
        out.request = replaceRequest(u"_"_s, u"r_"_s);
        for (const QString& name : names) {
            out.newNames << QString(name).replace(u"_"_s, u"r_"_s);
        }
        break;
    default:
        out.request = insertRequest(u"i"_s, u"0"_s);
        for (const QString& name : names) {
            out.newNames << u"i"_s + name;
        }
        break;
    }
    return out;
}

// A rename run of kFiles files, killed again and again at random moments. Every trial starts from what the
// kill before left and renames every file to a name no file bears, so that each file is found under its old
// or its new name. Afterwards: every file is there once with its bytes, the renamed files are the first
// ones in list order, each has its line after the earlier log, in order; only the lines of the last batch
// may name renames that the kill stopped (their lines go out first); and the earlier log is untouched.
TEST(Crash, RenameRunKilledAtRandomLosesNoFileAndItsLogMatchesTheFolder) {
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QByteArray logPath = root + "QuillmarkLog.txt";
    QHash<QString, QByteArray> contentOf = createNumberedFiles(root); // by present name
    platform::GbkEncoder encoder;
    const QByteArray header = encoder.encode(headerLine()) + "\r\n";
    std::mt19937 random(12345U);
    QByteArray log;
    int kills = 0;
    int completed = 0;
    int linesAhead = 0;
    int tornLines = 0;
    qint64 renamedInAll = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int trial = 0; kills < kKills && trial < kMaxTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const QStringList names = readWorkingSet(folder.path(), u"*.dat"_s);
        ASSERT_EQ(names.size(), kFiles);
        Trial plan = trialFor(trial, names);
        plan.request.Folder = folder.path();
        plan.request.Files = names;
        std::vector<QByteArray> lines;
        lines.reserve(names.size());
        qint64 fullSize = header.size();
        for (qsizetype i = 0; i < names.size(); ++i) {
            lines.push_back(encoder.encode(doneLine(names[i], plan.newNames[i])) + "\r\n");
            fullSize += lines.back().size();
        }

        QByteArray now;
        ASSERT_NO_FATAL_FAILURE(runAndKillWithinLog(
            [&] {
                SilentServices services;
                engine::RenameFiles(plan.request, services, fixedEnvironment());
            },
            logPath, log, fullSize, random, kills, completed, now));
        // What the log gained is the header and the lines of the first renames in order; the last of them
        // may be torn by the kill.
        const QByteArrayView gained = QByteArrayView(now).sliced(log.size());
        LogGrowth growth;
        ASSERT_NO_FATAL_FAILURE(readLogGrowth(gained, header, lines, growth));
        const auto [headed, lined, torn] = growth;

        // Every file once, under its old or its new name, with its own bytes; nothing else in the folder.
        QSet<QByteArray> present;
        for (const QByteArray& entry : rawEntries(QFile::encodeName(folder.path()))) {
            present.insert(entry);
        }
        ASSERT_EQ(present.size(), kFiles + (present.contains("QuillmarkLog.txt") ? 1 : 0));
        QHash<QString, QByteArray> next;
        next.reserve(kFiles);
        qsizetype renamed = 0;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const bool atOld = present.contains(QFile::encodeName(names[i]));
            const bool atNew = present.contains(QFile::encodeName(plan.newNames[i]));
            ASSERT_NE(atOld, atNew) << names[i].toStdString();
            if (atNew) {
                ASSERT_EQ(i, renamed) << "renamed out of list order";
                ++renamed;
            }
            const QString& current = atNew ? plan.newNames[i] : names[i];
            const QByteArray content = contentOf.value(names[i]);
            ASSERT_EQ(readBytes(root + QFile::encodeName(current)), content) << current.toStdString();
            next.insert(current, content);
        }
        ASSERT_TRUE(renamed == 0 || headed) << "a rename before the header";
        ASSERT_NO_FATAL_FAILURE(expectLinesAheadOfOneBatch(renamed, lined, torn));
        linesAhead += static_cast<int>(lined - renamed);
        tornLines += torn ? 1 : 0;
        renamedInAll += renamed;
        contentOf = std::move(next);
        log = now;
    }
    EXPECT_GE(kills, kKills);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ crash    ] %d files: %d kills survived, %d runs ended first, %lld renames, 0 renames without their "
                "line, %d kills between a line and its rename, %d torn lines, %.1f s\n",
                kFiles, kills, completed, static_cast<long long>(renamedInAll), linesAhead, tornLines, seconds);
}

// The list export of many names, killed at a random moment of its writing again and again. Afterwards the
// list file holds either its old bytes or the whole new list. The new list is written to an unnamed file,
// given a hidden temporary name beside the list once complete and then put in its place; a kill between
// those two steps leaves that complete copy under its hidden name, which is all that may remain besides it.
TEST(Crash, ListExportKilledAtRandomLeavesTheOldListOrTheWholeNewOne) {
    const TempFolder folder;
    const QString listName = u"清单.txt"_s;
    const QByteArray listPath = QFile::encodeName(folder.filePath(listName));
    const QByteArray oldList = "old list\r\n" + QByteArray("1.keep.JPG\r\n").repeated(1000);
    listing::FileListRequest request{listName, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(), {}};
    QStringList lines{folder.path() + u"/*.JPG文件清单："_s};
    for (int k = 0; k < kFiles * 5; ++k) {
        request.files.append(u"photo%1.JPG"_s.arg(k, 6, 10, QChar(u'0')));
        lines << u"%1.photo%2.JPG"_s.arg(k + 1).arg(k, 6, 10, QChar(u'0'));
    }
    const QByteArray newList = gbkLines(lines);

    // How long one export takes here, so that the kills fall within it.
    const auto before = std::chrono::steady_clock::now();
    {
        const TempFolder scratch;
        listing::FileListRequest trial = request;
        trial.folder = scratch.path();
        SilentServices services;
        listing::MakeFileList(trial, services);
        QStringList scratchLines = lines;
        scratchLines.front() = scratch.path() + u"/*.JPG文件清单："_s;
        ASSERT_EQ(scratch.read(listName), gbkLines(scratchLines));
    }
    // The kills fall within [0, reach]; a run that ends before its kill shortens the reach, so that the kills
    // stay within the writing whatever a forked child's speed.
    auto reach = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - before);

    std::mt19937 random(54321U);
    int kills = 0;
    int replaced = 0;
    int strays = 0;
    int trials = 0;
    for (; kills < kKills && trials < kMaxTrials; ++trials) {
        SCOPED_TRACE("trial " + std::to_string(trials));
        folder.write(listName, oldList);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = startChild([&] {
            SilentServices services;
            (void)::write(ready[1], "x", 1);
            listing::MakeFileList(request, services);
            return 0;
        });
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(reach * (random() % 1001) / 1000);
        ::kill(child, SIGKILL);
        if (waitChild(child) == 128 + SIGKILL) {
            ++kills;
        } else {
            reach = reach * 9 / 10;
        }

        const std::optional<QByteArray> list = readBytes(listPath);
        ASSERT_TRUE(list == oldList || list == newList) << "the list holds " << (list ? list->size() : -1) << " bytes";
        replaced += list == newList ? 1 : 0;
        for (const QByteArray& entry : rawEntries(QFile::encodeName(folder.path()))) {
            const QByteArray path = QFile::encodeName(folder.path()) + '/' + entry;
            if (path != listPath) {
                ASSERT_TRUE(entry.startsWith("." + listName.toUtf8() + '.')) << entry.toStdString();
                // A hidden copy is the whole new list, or, once the list is the new one, the old list swapped
                // out of its name by a kill just before its removal: never a part of either.
                const std::optional<QByteArray> stray = readBytes(path);
                ASSERT_TRUE(stray == newList || (list == newList && stray == oldList))
                    << "a stray copy that is not a whole list";
                ++strays;
                ASSERT_EQ(::unlink(path.constData()), 0);
            }
        }
    }
    EXPECT_GE(kills, kKills);
    std::printf("[ crash    ] list of %lld names: %d runs, %d kills survived, %d lists replaced whole, %d stray "
                "copies\n",
                static_cast<long long>(request.files.size()), trials, kills, replaced, strays);
}

// Every file of the folder but the log, by name, with its bytes.
QHash<QByteArray, QByteArray> filesOf(const QByteArray& root) {
    QHash<QByteArray, QByteArray> files;
    for (const QByteArray& entry : rawEntries(root.chopped(1))) {
        if (entry != "QuillmarkLog.txt") {
            files.insert(entry, readBytes(root + entry).value_or("<unreadable>"));
        }
    }
    return files;
}

// A table of new names whose rows rotate in cycles of three (each cycle through the temporary name) and end in a
// chain, killed at a random moment, then undone. Afterwards the folder is exactly what the first steps of the
// plan make of it, every step made has its line (only the last batch's lines may name steps not made), and the
// undo brings every file back to its name, the temporary one included.
TEST(Crash, TableWithCyclesKilledAtRandomLosesNoFileAndIsUndoneWhole) {
    constexpr int kTableFiles = 3000;
    constexpr int kTableKills = 25;
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QByteArray logPath = root + "QuillmarkLog.txt";
    QHash<QByteArray, QByteArray> start;
    for (int k = 0; k < kTableFiles; ++k) {
        const QByteArray name = "t_" + QByteArray::number(k) + ".dat";
        ASSERT_TRUE(createExclusive(root + name, "table file " + QByteArray::number(k)));
        start.insert(name, "table file " + QByteArray::number(k));
    }
    const QStringList names = readWorkingSet(folder.path(), u"*.dat"_s);
    platform::GbkEncoder encoder;
    const QByteArray header = encoder.encode(headerLine()) + "\r\n";
    std::mt19937 random(777U);
    QByteArray log;
    int kills = 0;
    int completed = 0;
    for (int trial = 0; kills < kTableKills && trial < kMaxTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        QStringList newNames = names;
        for (qsizetype i = trial % 3; i + 2 < names.size(); i += 3) {
            newNames[i] = names[i + 1];
            newNames[i + 1] = names[i + 2];
            newNames[i + 2] = names[i];
        }
        newNames.last() = u"chain_end.dat"_s;
        const engine::RenameTable table{folder.path(), names, newNames};
        engine::TablePreview preview;
        ASSERT_EQ(engine::previewTable(table, preview, fixedEnvironment()), std::nullopt);
        ASSERT_EQ(preview.errors, 0);
        std::vector<QByteArray> lines;
        qint64 fullSize = header.size();
        for (qsizetype k = 0; k < preview.plan.from.size(); ++k) {
            lines.push_back(
                encoder.encode(doneLine(preview.plan.from.at(k).toString(), preview.plan.to.at(k).toString())) +
                "\r\n");
            fullSize += lines.back().size();
        }
        QByteArray now;
        ASSERT_NO_FATAL_FAILURE(runAndKillWithinLog(
            [&] {
                SilentServices services;
                engine::renameTable(table, services, fixedEnvironment());
            },
            logPath, log, fullSize, random, kills, completed, now));
        LogGrowth growth;
        ASSERT_NO_FATAL_FAILURE(readLogGrowth(QByteArrayView(now).sliced(log.size()), header, lines, growth));

        // The folder as it is, against the plan played step by step: some count of first steps made it.
        const QHash<QByteArray, QByteArray> actual = filesOf(root);
        QHash<QByteArray, QByteArray> played = start;
        const auto mismatchAt = [&](const QByteArray& name) { return played.value(name) != actual.value(name); };
        qsizetype mismatches = 0;
        for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
            mismatches += mismatchAt(it.key()) ? 1 : 0;
        }
        for (auto it = played.cbegin(); it != played.cend(); ++it) {
            mismatches += !actual.contains(it.key()) ? 1 : 0;
        }
        qsizetype renamed = mismatches == 0 ? 0 : -1;
        for (qsizetype k = 0; k < growth.lined && k < preview.plan.from.size(); ++k) {
            const QByteArray from = QFile::encodeName(preview.plan.from.at(k).toString());
            const QByteArray to = QFile::encodeName(preview.plan.to.at(k).toString());
            mismatches -= (mismatchAt(from) ? 1 : 0) + (mismatchAt(to) ? 1 : 0);
            played.insert(to, played.take(from));
            mismatches += (mismatchAt(from) ? 1 : 0) + (mismatchAt(to) ? 1 : 0);
            renamed = mismatches == 0 ? k + 1 : renamed;
        }
        ASSERT_GE(renamed, 0) << "the folder is no state the plan's first steps with their lines make";
        ASSERT_TRUE(renamed == 0 || growth.headed);
        ASSERT_NO_FATAL_FAILURE(expectLinesAheadOfOneBatch(renamed, growth.lined, growth.torn));

        SilentServices undo;
        engine::undoLastRun(folder.path(), undo, fixedEnvironment());
        ASSERT_EQ(filesOf(root), start) << "the undo did not bring every file back to its name";
        log = readBytes(logPath).value_or(QByteArray());
    }
    EXPECT_GE(kills, kTableKills);
    std::printf("[ crash    ] table of %d rows in cycles: %d kills survived, %d runs ended first, undone whole\n",
                kTableFiles, kills, completed);
}

// The rename run on a NAS through sshfs, where a rename takes two steps (a hard link and the removal of the old
// name, or a claim and the rename over it) or goes the plain way that never replaces: killed at a random
// moment, then undone. Afterwards no photo is lost, every photo's name is its first one or on record in the
// log, and once a command has cleared after the kill no file of the program's own (a claim, a test file) is
// left. A kill between a link and the removal of the old name leaves a photo under two names: that stays.
class NasCrash : public ::testing::TestWithParam<SftpServer> {};

TEST_P(NasCrash, RenameRunKilledThenUndoneLosesNoPhotoAndLeavesNoFileOfItsOwn) {
    const FuseSshfs nas(GetParam());
    if (!nas.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas.reason());
    }
    constexpr int kPhotos = 40;
    constexpr int kNasKills = 20;
    const TempFolder folder(nas.path());
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    QSet<QByteArray> contents;
    QSet<QByteArray> firstNames;
    for (int k = 0; k < kPhotos; ++k) {
        const QByteArray content = "photo " + QByteArray::number(k) + QByteArray(100 + k, 'x');
        firstNames.insert("f_" + QByteArray::number(k) + ".dat");
        ASSERT_TRUE(createExclusive(root + "f_" + QByteArray::number(k) + ".dat", content));
        contents.insert(content);
    }
    // Every entry is a photo (or the log), under its first name or a name the log gives it; a file of the
    // program's own is allowed only where no command cleared after the kill.
    const auto expectEveryPhoto = [&](bool cleared) {
        const QByteArray log = readBytes(root + "QuillmarkLog.txt").value_or(QByteArray());
        QSet<QByteArray> seen;
        for (const QByteArray& entry : rawEntries(QFile::encodeName(folder.path()))) {
            const QByteArray content = readBytes(root + entry).value_or(QByteArray());
            if (entry == "QuillmarkLog.txt" ||
                (!cleared && (entry.startsWith(".filarion-probe-") || platform::CommandMark::isMark(content)))) {
                continue;
            }
            ASSERT_TRUE(entry.endsWith(".dat")) << entry.toStdString() << ": a file of the program's own was left";
            const bool onRecord =
                firstNames.contains(entry) || log.contains("\xb8\xc4\xc3\xfb\xce\xaa" + entry + "\xa3\xa1\r\n");
            ASSERT_TRUE(onRecord) << entry.toStdString() << ": a name that is not on record";
            // A kill between a claim's creation and its mark leaves an empty file at the new name of the rename in
            // flight: nothing proves it the program's, so it stays.
            if (content.isEmpty()) {
                continue;
            }
            ASSERT_TRUE(contents.contains(content)) << entry.toStdString() << ": not a photo";
            seen.insert(content);
        }
        ASSERT_EQ(seen, contents);
    };
    std::mt19937 random(4242U);
    int killedMidRun = 0;
    for (int trial = 0; trial < kNasKills; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        engine::RenameRequest request = prefixRequest(u"n%1_"_s.arg(trial));
        request.Folder = folder.path();
        request.Files = readWorkingSet(folder.path(), u"*.dat"_s);
        const pid_t child = startChild([&] {
            SilentServices services;
            engine::RenameFiles(request, services, fixedEnvironment());
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 80000));
        ::kill(child, SIGKILL);
        killedMidRun += waitChild(child) == 128 + SIGKILL ? 1 : 0;
        ASSERT_NO_FATAL_FAILURE(expectEveryPhoto(false));

        // The undo clears only after its Yes: an undo with nothing to take back asks nothing and leaves all.
        SilentServices yes;
        engine::undoLastRun(folder.path(), yes, fixedEnvironment());
        ASSERT_NO_FATAL_FAILURE(expectEveryPhoto(false));
    }
    // One more run clears whatever the last kill left.
    engine::RenameRequest unchanged = replaceRequest(u"zzz"_s, u"yyy"_s);
    unchanged.Folder = folder.path();
    unchanged.Files = readWorkingSet(folder.path(), u"*.dat"_s);
    SilentServices services;
    engine::RenameFiles(unchanged, services, fixedEnvironment());
    ASSERT_NO_FATAL_FAILURE(expectEveryPhoto(true));
    std::printf("[ crash    ] NAS: %d kills, %d of them in the middle of the run, no photo lost, nothing of the "
                "program's own left\n",
                kNasKills, killedMidRun);
}

INSTANTIATE_TEST_SUITE_P(Servers, NasCrash,
                         ::testing::Values(SftpServer::PosixRename, SftpServer::NoHardLinks,
                                           SftpServer::NoPosixRenameNoHardLinks),
                         [](const ::testing::TestParamInfo<SftpServer>& server) {
                             return std::string(server.param == SftpServer::PosixRename   ? "LinkThenUnlink"
                                                : server.param == SftpServer::NoHardLinks ? "Claim"
                                                                                          : "OnlyPlainRename");
                         });

} // namespace
} // namespace filarion::test
