// The preview against the run it predicts, and the undo against the folder before the run: random folders and
// requests of all four methods, on this machine's disk, on exFAT and on a NAS; and where a preview stops.

#include "engine/fill_method.h"
#include "engine/insert_method.h"
#include "engine/rename_preview.h"
#include "engine/replace_method.h"
#include "engine/texts.h"
#include "engine/undo_run.h"
#include "support/engine_run.h"
#include "support/file_systems.h"
#include "undo_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>
#include <random>
#include <sys/inotify.h>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;
using engine::PreviewResult;

// Counts the changes made in a folder while it lives, as the kernel reports them (inotify): a file made and
// removed again leaves the folder as it was, but not this count.
class FolderChanges {
public:
    explicit FolderChanges(const QString& folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        (void)::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB);
    }
    ~FolderChanges() { ::close(m_fd); }
    FolderChanges(const FolderChanges&) = delete;
    FolderChanges& operator=(const FolderChanges&) = delete;

    int count() const {
        alignas(inotify_event) char buffer[4096];
        int changes = 0;
        for (ssize_t got = 0; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got; ++changes) {
                at += ssize_t(sizeof(inotify_event)) + reinterpret_cast<const inotify_event*>(buffer + at)->len;
            }
        }
        return changes;
    }

private:
    int m_fd;
};

// The lines the run writes for the rows, spelled out from the rows alone.
QStringList linesOf(const engine::RenamePreview& preview) {
    QStringList lines;
    for (std::size_t i = 0; i < preview.rows.size(); ++i) {
        const engine::PreviewRow row = preview.rows[i];
        switch (row.result) {
        case PreviewResult::Renamed:
        case PreviewResult::SameName:
            lines << doneLine(row.oldName, row.newName);
            break;
        case PreviewResult::NameTaken:
            lines << takenLine(row.oldName, row.newName);
            break;
        case PreviewResult::EmptyName:
            lines << illegalLine(row.oldName, row.newName);
            break;
        case PreviewResult::Refused:
            lines << failedLine(row.oldName, row.newName);
            break;
        case PreviewResult::Unchanged:
        case PreviewResult::Skipped:
            break;
        }
    }
    return lines;
}

// A random folder and request, small alphabets so that names collide, empty out and repeat.
struct RandomCase {
    QStringList created; // files made in the folder
    QStringList folders; // folders made in the folder
    QStringList files;   // the working set, in list order
    engine::RenameRequest request;
};

// Names that differ only in a letter case the file system ignores are made once.
RandomCase randomCase(std::mt19937& random, Qt::CaseSensitivity names) {
    const auto pick = [&random](const QStringList& from) { return from[int(random() % from.size())]; };
    static const QStringList pieces{u"a"_s, u"B"_s, u"b"_s, u"0"_s, u"1"_s, u"改名为"_s, u"照片"_s, u"x"_s, u"cad"_s};
    static const QStringList extensions{u".txt"_s, u".TXT"_s, u".jpg"_s, u""_s, u".cad"_s};
    static const QStringList specials{
        u"prog.txt"_s, u"PROG.jpg"_s, kLog, u".cfg"_s, u"😀.txt"_s, u"a\u00E9.txt"_s, QString(120, u'n') + u".txt"_s};
    RandomCase c;
    const int count = 2 + int(random() % 10);
    for (int k = 0; k < count; ++k) {
        QString name;
        if (random() % 8 == 0) {
            name = pick(specials);
        } else {
            for (int p = 0, parts = 1 + int(random() % 2); p < parts; ++p) {
                name += pick(pieces);
            }
            name += pick(extensions);
        }
        if (!c.created.contains(name, names)) {
            c.created << name;
        }
    }
    if (random() % 4 == 0) {
        c.folders << u"a.txt"_s << u"0.txt"_s; // folders take names too
        c.created.removeIf([&](const QString& name) { return c.folders.contains(name, names); });
    }
    switch (random() % 4) {
    case 0:
        c.request = replaceRequest(pick({u"a"_s, u"cad"_s, u"改名为"_s, u"0"_s, u"B"_s, u"x"_s}),
                                   pick({u""_s, u"b"_s, u"b"_s, u"A"_s, u"改名为"_s, u"00"_s, u"x"_s}));
        break;
    case 1:
        // Names of 255 and 256 bytes, and of 257 bytes in 89 characters, which exFAT takes and ext4 does not.
        c.request = prefixRequest(
            pick({u""_s, u"a"_s, u"p_"_s, u"改名为"_s, QString(250, u'p'), QString(251, u'p'), QString(84, u'改')}));
        break;
    case 2:
        c.request = fillRequest(pick({u"0"_s, u"a"_s, u"_"_s, u"改"_s}));
        break;
    default:
        c.request = insertRequest(pick({u""_s, u"x"_s, u"改名为"_s, u"a"_s}),
                                  pick({u"-1"_s, u"0"_s, u"1"_s, u"2"_s, u"9"_s, u"40000"_s}));
        break;
    }
    // Often a file already bears the name another one is to get, so that the run meets a taken name.
    if (random() % 2 == 0) {
        const QString& name = c.created[int(random() % c.created.size())];
        const engine::RenameRequest& r = c.request;
        const QString target = r.Method == engine::RenameMethod::Replace
                                   ? engine::replaceInNamePart(name, r.FindText, r.ReplaceText)
                               : r.Method == engine::RenameMethod::Fill ? r.FillText + name
                               : r.Method == engine::RenameMethod::Insert
                                   ? engine::insertNewName(name, r.InsertText, r.PositionText.toInt())
                                   : r.PrefixText + u"0.txt"_s;
        if (!target.isEmpty() && target.toUtf8().size() <= 255 && !c.created.contains(target, names) &&
            !c.folders.contains(target, names)) {
            c.created << target;
        }
    }
    // The working set: most of the files, in a random order; the rest lie outside it.
    for (const QString& name : c.created) {
        if (random() % 5 != 0) {
            c.files << name;
        }
    }
    std::shuffle(c.files.begin(), c.files.end(), random);
    return c;
}

class PreviewAndUndo : public OnFileSystems {};

TEST_P(PreviewAndUndo, RandomRunsArePredictedRowForRowAndUndoneToTheFolderBefore) {
    // Each request goes over the network on the NAS: fewer trials there.
    const int trials = onNas() ? 80 : 400;
    int restored = 0;
    int leftAlone = 0;
    int withCollision = 0;
    int withEmptyName = 0;
    int withRefusal = 0;
    int redoneWhole = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::mt19937 random(static_cast<unsigned>(7919 * trial + 1));
        const RandomCase c = randomCase(random, onExfat() ? Qt::CaseInsensitive : Qt::CaseSensitive);
        const TempFolder folder(base());
        createFiles(folder, c.created);
        for (const QString& name : c.folders) {
            folder.makeFolder(name);
        }
        engine::RenameRequest request = c.request;
        request.Folder = folder.path();
        request.Files = c.files;
        const QMap<QString, QByteArray> before = folderState(folder);
        const QByteArray logBefore = logOf(folder);
        const bool hadLog = folder.exists(kLog);

        // The preview touches nothing, not even for a moment.
        engine::RenamePreview preview;
        const FolderChanges changes(folder.path());
        ASSERT_EQ(engine::previewRename(request, preview, fixedEnvironment()), std::nullopt);
        ASSERT_EQ(changes.count(), 0);
        ASSERT_EQ(folderState(folder), before);
        ASSERT_EQ(folder.exists(kLog), hadLog);
        ASSERT_EQ(preview.rows.size(), std::size_t(c.files.size()));

        // The run writes exactly the rows' lines and shows exactly their messages, and the folder holds what
        // the rows say.
        const RunOutcome run = runRename(folder, c.request, c.files);
        QStringList lines{headerLine()};
        lines += linesOf(preview);
        // On exFAT and the NAS (FUSE) the log is only appended to: a refused rename keeps its done line.
        ASSERT_EQ(onExfat() || onNas() ? withoutWithdrawnLines(run.log) : run.log, logBefore + gbkLines(lines));
        ASSERT_EQ(run.messages, preview.messages);
        QMap<QString, QByteArray> predicted = before;
        qsizetype renamedRows = 0;
        QStringList undoLines{headerLine()};
        for (qsizetype i = 0; i < qsizetype(preview.rows.size()); ++i) {
            const engine::PreviewRow& row = preview.rows[std::size_t(i)];
            ASSERT_EQ(row.oldName, c.files[i]);
            withCollision += row.result == PreviewResult::NameTaken ? 1 : 0;
            withEmptyName += row.result == PreviewResult::EmptyName ? 1 : 0;
            withRefusal += row.result == PreviewResult::Refused ? 1 : 0;
            if (row.result == PreviewResult::Renamed) {
                predicted.insert(row.newName, predicted.take(row.oldName));
                undoLines.insert(1, doneLine(row.newName, row.oldName));
                ++renamedRows;
            }
        }
        const QMap<QString, QByteArray> after = folderState(folder);
        ASSERT_EQ(after, predicted);

        // The undo takes back every line that names one file; those it cannot identify it counts.
        YesServices undo;
        engine::undoLastRun(folder.path(), undo, fixedEnvironment());
        if (undo.questions.isEmpty()) {
            ASSERT_EQ(undo.messages, QStringList{kNothingToUndo});
            ASSERT_EQ(folderState(folder), after);
            ASSERT_EQ(logOf(folder), run.log);
            leftAlone += renamedRows > 0 ? 1 : 0;
            continue;
        }
        ASSERT_EQ(undo.questions.size(), 1);
        const qsizetype asked = undo.questions.first().section(u' ', 1, 1).toLongLong();
        ASSERT_EQ(undo.questions.first(), undoQuestion(asked));
        ASSERT_TRUE(undo.idle());
        if (!undo.messages.isEmpty()) {
            // Some line did not identify one file: whatever was taken back, no file is lost or doubled.
            ASSERT_EQ(undo.messages.size(), 1);
            ASSERT_TRUE(undo.messages.first().startsWith(u"有 "_s)) << undo.messages.first().toStdString();
            QList<QByteArray> now = folderState(folder).values();
            QList<QByteArray> was = before.values();
            std::sort(now.begin(), now.end());
            std::sort(was.begin(), was.end());
            ASSERT_EQ(now, was);
            ++leftAlone;
            continue;
        }
        ASSERT_EQ(asked, renamedRows);
        ASSERT_EQ(folderState(folder), before);
        ASSERT_EQ(logOf(folder), run.log + gbkLines(undoLines));
        ++restored;

        // Undoing the undo redoes the run, as far as its lines identify the files in the folder as it is now.
        YesServices redo;
        engine::undoLastRun(folder.path(), redo, fixedEnvironment());
        ASSERT_EQ(redo.questions.size(), 1);
        const qsizetype redone = redo.questions.first().section(u' ', 1, 1).toLongLong();
        ASSERT_EQ(redo.questions.first(), undoQuestion(redone));
        if (redone == renamedRows) {
            ASSERT_EQ(redo.messages, QStringList());
            ASSERT_EQ(folderState(folder), after);
            ++redoneWhole;
        } else {
            ASSERT_EQ(redo.messages, QStringList{undoIncomplete(renamedRows - redone)});
        }
    }
    std::printf("[ preview  ] %d trials: %d undone to the folder before (%d of them redone whole), %d with lines left "
                "alone; rows: %d name taken, %d empty, %d refused\n",
                trials, restored, redoneWhole, leftAlone, withCollision, withEmptyName, withRefusal);
    EXPECT_GT(restored, trials / 2);
    EXPECT_GT(redoneWhole, restored * 9 / 10);
    EXPECT_GT(leftAlone, 0);
    EXPECT_GT(withCollision, 0);
    EXPECT_GT(withEmptyName, 0);
    EXPECT_GT(withRefusal, 0);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, PreviewAndUndo, kOnEveryFileSystem, OnFileSystems::nameOf);

TEST(Preview, StopsWhereTheRunWouldStopBeforeRenaming) {
    const TempFolder folder;
    createFiles(folder, {u"a.txt"_s});
    engine::RenameRequest request = fillRequest(u"ab"_s);
    request.Folder = folder.path();
    request.Files = QStringList{u"a.txt"_s};
    engine::RenamePreview preview;
    EXPECT_EQ(engine::previewRename(request, preview, fixedEnvironment()), u"只能用单一字符补齐文件名！"_s);

    request = prefixRequest(u"p"_s);
    request.Folder = folder.path();
    request.Files = QStringList{u"a.txt"_s};
    ASSERT_EQ(::symlink("/tmp/elsewhere.txt", QFile::encodeName(folder.filePath(kLog)).constData()), 0);
    EXPECT_EQ(engine::previewRename(request, preview, fixedEnvironment()),
              u"无法写入日记文件QuillmarkLog.txt，未执行改名！"_s);
    EXPECT_TRUE(preview.rows.empty());
}

} // namespace
} // namespace filarion::test
