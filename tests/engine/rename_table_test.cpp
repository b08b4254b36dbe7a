// A table of new names against the run it predicts and the undo that takes it back: random tables of chains,
// cycles, swaps, case-only renames, taken names, duplicates and names in error, on this machine's disk, on exFAT,
// where names are compared without letter case, and on a NAS through sshfs, where renames go the plain way.

#include "engine/rename_table.h"
#include "engine/undo_run.h"
#include "support/engine_run.h"
#include "support/file_systems.h"
#include "undo_support.h"

#include <QDir>
#include <QMap>
#include <gtest/gtest.h>
#include <random>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;
using engine::TableRowState;

struct RandomTable {
    QStringList created; // every file of the folder
    QStringList rows;    // the rows' files, in table order
    QStringList newNames;
};

// Small alphabets, so that new names often are other rows' names (chains and cycles) or outside files' names.
RandomTable randomTable(std::mt19937& random, Qt::CaseSensitivity names) {
    const auto pick = [&random](const QStringList& from) { return from[int(random() % from.size())]; };
    static const QStringList pieces{u"a"_s, u"B"_s, u"b"_s, u"1"_s, u"照片"_s, u"x"_s};
    static const QStringList wrong{u""_s,         u"a:b"_s,  u"😀"_s, u".h"_s, QString(256, u'n'), u"QuillmarkLog.txt"_s,
                                   u"prog.jpg"_s, u"t\tab"_s};
    RandomTable t;
    for (int k = 0, count = 2 + int(random() % 12); k < count; ++k) {
        const QString name = pick(pieces) + pick(pieces) + pick({u".txt"_s, u".TXT"_s, u""_s});
        if (!t.created.contains(name, names)) {
            t.created << name;
        }
    }
    for (const QString& name : t.created) {
        if (random() % 6 != 0) {
            t.rows << name;
        }
    }
    std::shuffle(t.rows.begin(), t.rows.end(), random);
    t.newNames = t.rows;
    // A rotation of some rows' names: swaps, cycles and, rotated by one place less, chains.
    QList<int> moved;
    for (int i = 0; i < t.rows.size(); ++i) {
        if (random() % 3 != 0) {
            moved << i;
        }
    }
    for (int k = 0; k < moved.size(); ++k) {
        t.newNames[moved[k]] = t.rows[moved[(k + 1) % moved.size()]];
    }
    if (!moved.isEmpty() && random() % 2 == 0) {
        t.newNames[moved.last()] = u"new"_s + t.rows[moved.last()]; // the cycle opens into a chain
    }
    for (QString& name : t.newNames) {
        switch (random() % 14) {
        case 0:
            name = name.toUpper(); // a case-only rename, a self-loop where case is ignored
            break;
        case 1:
            name = pick(t.created); // another file's name: a row's (a duplicate) or an outside file's (taken)
            break;
        case 2:
            name = random() % 3 == 0 ? pick(wrong) : name;
            break;
        default:
            break;
        }
    }
    return t;
}

// The checks spelled out on their own, pair by pair: whether any row is in error.
bool anyRowInError(const RandomTable& t, Qt::CaseSensitivity names) {
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        const QString& name = t.newNames[i];
        if (name == t.rows[i]) {
            continue;
        }
        if (name.isEmpty() || name.contains(u':') || name.contains(u'\t') || name.contains(u"😀"_s) ||
            name.startsWith(u'.') || name.toUtf8().size() > 255 || name == kLog || name.startsWith(u"prog."_s) ||
            (!t.rows.contains(name, names) && t.created.contains(name, names))) {
            return true;
        }
        for (qsizetype j = 0; j < t.rows.size(); ++j) {
            if (j != i && name.compare(t.newNames[j], names) == 0) {
                return true;
            }
        }
    }
    return false;
}

class TableRuns : public OnFileSystems {};

TEST_P(TableRuns, RandomTablesArePredictedRenamedExactlyAndUndoneWhole) {
    const Qt::CaseSensitivity names = onExfat() ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const int trials = onNas() ? 80 : 300; // each step crosses the network on the NAS
    int refused = 0;
    int cycles = 0;
    int restored = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::mt19937 random(static_cast<unsigned>(104729 * trial + 3));
        const RandomTable t = randomTable(random, names);
        const TempFolder folder(base());
        createFiles(folder, t.created);
        const engine::RenameTable table{folder.path(), t.rows, t.newNames};
        const QMap<QString, QByteArray> before = folderState(folder);
        const QByteArray logBefore = logOf(folder);

        engine::TablePreview preview;
        ASSERT_EQ(engine::previewTable(table, preview, fixedEnvironment()), std::nullopt);
        ASSERT_EQ(folderState(folder), before);
        ASSERT_EQ(preview.errors > 0, anyRowInError(t, names));

        RecordingServices services;
        engine::renameTable(table, services, fixedEnvironment());
        if (preview.errors > 0) {
            // Nothing is touched; the refusal names the first row in error.
            const auto first = std::find_if(preview.states.begin(), preview.states.end(), engine::isRowError);
            ASSERT_EQ(services.messages,
                      QStringList{u"改名表第 %1 行：%2，未执行改名！"_s.arg(first - preview.states.begin() + 1)
                                      .arg(engine::rowStateText(*first))});
            ASSERT_EQ(folderState(folder), before);
            ASSERT_EQ(logOf(folder), logBefore);
            ++refused;
            continue;
        }
        // The run writes one done line per step the preview played, each step happened, and the folder holds
        // every row's file under its new name.
        ASSERT_EQ(services.messages, preview.messages);
        ASSERT_TRUE(preview.messages.isEmpty());
        QStringList lines{headerLine()};
        QStringList undoLines{headerLine()};
        for (qsizetype k = 0; k < preview.plan.from.size(); ++k) {
            ASSERT_EQ(preview.outcomes[std::size_t(k)], platform::RenameResult::Renamed);
            lines << doneLine(preview.plan.from.at(k).toString(), preview.plan.to.at(k).toString());
            undoLines.insert(1, doneLine(preview.plan.to.at(k).toString(), preview.plan.from.at(k).toString()));
        }
        ASSERT_EQ(logOf(folder), logBefore + gbkLines(lines));
        QMap<QString, QByteArray> predicted = before;
        for (qsizetype i = 0; i < t.rows.size(); ++i) {
            predicted.remove(t.rows[i]);
        }
        for (qsizetype i = 0; i < t.rows.size(); ++i) {
            predicted.insert(t.newNames[i], before.value(t.rows[i]));
        }
        ASSERT_EQ(folderState(folder), predicted);
        cycles += preview.plan.temporaryName.isEmpty() ? 0 : 1;
        if (preview.plan.from.isEmpty()) {
            continue;
        }

        // The undo takes every step back, the temporary ones included, last first.
        YesServices undo;
        const QByteArray logAfter = logOf(folder);
        engine::undoLastRun(folder.path(), undo, fixedEnvironment());
        ASSERT_EQ(undo.questions, QStringList{undoQuestion(preview.plan.from.size())});
        ASSERT_EQ(undo.messages, QStringList());
        ASSERT_EQ(folderState(folder), before);
        ASSERT_EQ(logOf(folder), logAfter + gbkLines(undoLines));
        ++restored;
    }
    std::printf("[ table    ] %d trials: %d refused, %d restored, %d through a temporary name\n", trials, refused,
                restored, cycles);
    EXPECT_GT(refused, trials / 10);
    EXPECT_GT(restored, trials / 4);
    EXPECT_GT(cycles, trials / 10);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, TableRuns, kOnEveryFileSystem, OnFileSystems::nameOf);

} // namespace
} // namespace filarion::test
