// The preview against the run it predicts, and the undo against the folder before the run: random folders and
// requests of all four methods, then a few decided cases of the undo one by one.

#include "engine/fill_method.h"
#include "engine/insert_method.h"
#include "engine/rename_preview.h"
#include "engine/replace_method.h"
#include "engine/texts.h"
#include "engine/undo_run.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;
using engine::PreviewResult;

const QString kLog = u"QuillmarkLog.txt"_s;

// Every entry of the folder but the log, with its bytes (a folder as "<folder>").
QMap<QString, QByteArray> folderState(const TempFolder& folder) {
    QMap<QString, QByteArray> state;
    for (const QString& name : folder.entries()) {
        if (name != kLog) {
            state.insert(name, QFileInfo(folder.filePath(name)).isDir() ? "<folder>"_ba : folder.read(name));
        }
    }
    return state;
}

QByteArray logOf(const TempFolder& folder) {
    return folder.exists(kLog) ? folder.read(kLog) : QByteArray();
}

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

// Answers every question with Yes and keeps it.
class YesServices : public RecordingServices {
public:
    bool askYesNo(const QString& text) override {
        questions.push_back(text);
        if (beforeAnswer) {
            beforeAnswer();
        }
        return true;
    }
    std::function<void()> beforeAnswer;
};

QString undoQuestion(qsizetype count) {
    return u"将把上次改名的 %1 个文件改回原名，是否继续？"_s.arg(count);
}
QString undoIncomplete(qsizetype count) {
    return u"有 %1 个文件未能改回原名，详见日记文件QuillmarkLog.txt！"_s.arg(count);
}
const QString kNothingToUndo = u"日记文件中没有可撤销的改名！"_s;

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

const FuseExfat& exfatCard() {
    static const FuseExfat card; // mounted once, at its first use
    return card;
}

// A NAS through sshfs whose server has neither posix-rename nor hard links: renames there go the plain way,
// which never replaces there.
const FuseSshfs& nas() {
    static const FuseSshfs mount(SftpServer::NoPosixRenameNoHardLinks);
    return mount;
}

enum class PreviewFileSystem { Native, FuseExfat, Sshfs };

// On this machine's file system, on exFAT through FUSE (names compared without letter case, and as long as 255
// UTF-16 units however many bytes they take), and on a NAS through sshfs.
class PreviewAndUndo : public ::testing::TestWithParam<PreviewFileSystem> {
protected:
    bool onExfat() const { return GetParam() == PreviewFileSystem::FuseExfat; }
    bool onNas() const { return GetParam() == PreviewFileSystem::Sshfs; }
    QString base() const { return onExfat() ? exfatCard().path() : onNas() ? nas().path() : QDir::tempPath(); }
    void SetUp() override {
        if (onExfat() && !exfatCard().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << exfatCard().reason());
        }
        if (onNas() && !nas().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas().reason());
        }
    }
};

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

        // The preview touches nothing.
        engine::RenamePreview preview;
        ASSERT_EQ(engine::previewRename(request, preview, fixedEnvironment()), std::nullopt);
        ASSERT_EQ(folderState(folder), before);
        ASSERT_EQ(folder.exists(kLog), hadLog);
        ASSERT_EQ(preview.rows.size(), std::size_t(c.files.size()));

        // The run writes exactly the rows' lines and shows exactly their messages, and the folder holds what
        // the rows say.
        const RunOutcome run = runRename(folder, c.request, c.files);
        QStringList lines{headerLine()};
        lines += linesOf(preview);
        ASSERT_EQ(run.log, logBefore + gbkLines(lines));
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

INSTANTIATE_TEST_SUITE_P(FileSystems, PreviewAndUndo,
                         ::testing::Values(PreviewFileSystem::Native, PreviewFileSystem::FuseExfat,
                                           PreviewFileSystem::Sshfs),
                         [](const ::testing::TestParamInfo<PreviewFileSystem>& row) {
                             return std::string(row.param == PreviewFileSystem::Native      ? "Native"
                                                : row.param == PreviewFileSystem::FuseExfat ? "FuseExfat"
                                                                                            : "Sshfs");
                         });

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

// The undo of a log written by hand, one decided case per row: the lines after the last header, the folder
// before the undo, and what the folder, the undo's lines and the messages are afterwards.
struct UndoCase {
    const char* label;
    QStringList log; // without line ends; a last entry starting with '~' is written without its CR LF
    QStringList files;
    QStringList after;
    QStringList undoLines; // after the undo's header; empty when nothing is written
    QStringList messages;
};

class Undo : public ::testing::TestWithParam<UndoCase> {};

TEST_P(Undo, TakesBackExactlyTheLinesThatNameOneFile) {
    const UndoCase& row = GetParam();
    const TempFolder folder;
    createFiles(folder, row.files);
    QStringList whole = row.log;
    QByteArray tail;
    if (!whole.isEmpty() && whole.last().startsWith(u'~')) {
        tail = gbkLines({whole.takeLast().mid(1)}).chopped(2);
    }
    const QByteArray log = gbkLines(whole) + tail;
    folder.write(kLog, log);
    YesServices services;
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    QStringList files = folder.entries();
    files.removeAll(kLog);
    EXPECT_EQ(files, sortedNames(row.after));
    EXPECT_EQ(services.messages, row.messages);
    EXPECT_EQ(folder.read(kLog), row.undoLines.isEmpty() ? log : log + expectedLog(row.undoLines));
    for (const QString& name : files) {
        EXPECT_EQ(folder.read(name).isEmpty(), false) << name.toStdString();
    }
}

const QString kOld = u"1/1/1 00:00:00 Quill Mark Log:"_s;

INSTANTIATE_TEST_SUITE_P(
    Cases, Undo,
    ::testing::Values(
        UndoCase{"OnlyTheLastRunAndInReverseOrder",
                 {kOld, u"x.txt改名为y.txt！"_s, kOld, u"b.txt改名为c.txt！"_s, u"a.txt改名为b.txt！"_s},
                 {u"b.txt"_s, u"c.txt"_s, u"y.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"y.txt"_s},
                 {u"b.txt改名为a.txt！"_s, u"c.txt改名为b.txt！"_s},
                 {}},
        UndoCase{"RefusalsAndSameNamesAreNoRenames",
                 {kOld, u"a.txt改名为b.txt，因重名未执行！"_s, u"c改名为.txt，因非法未执行！"_s,
                  u"d.txt改名为e.txt，因出错未执行！"_s, u"zet0.txt改名为zet0.txt！"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"zet0.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s, u"zet0.txt"_s},
                 {},
                 {kNothingToUndo}},
        UndoCase{"NoHeaderNoRun", {u"a.txt改名为b.txt！"_s}, {u"b.txt"_s}, {u"b.txt"_s}, {}, {kNothingToUndo}},
        UndoCase{"RenamedToInANameIsSplitWhereTheDiskAgrees",
                 {kOld, u"改名为a.txt改名为b改名为.txt！"_s},
                 {u"b改名为.txt"_s},
                 {u"改名为a.txt"_s},
                 {u"b改名为.txt改名为改名为a.txt！"_s},
                 {}},
        UndoCase{"TwoSplitsThatBothFitAreLeftAlone",
                 {kOld, u"a改名为b改名为c！"_s, u"x改名为y！"_s},
                 {u"c"_s, u"b改名为c"_s, u"y"_s},
                 {u"c"_s, u"b改名为c"_s, u"x"_s},
                 {u"y改名为x！"_s},
                 {undoIncomplete(1)}},
        UndoCase{"QuestionMarksAndTornLinesAreLeftAlone",
                 {kOld, u"a?.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s, u"~e.txt改名为f.t"_s},
                 {u"b.txt"_s, u"d.txt"_s, u"f.txt"_s},
                 {u"b.txt"_s, u"c.txt"_s, u"f.txt"_s},
                 {u"d.txt改名为c.txt！"_s},
                 {undoIncomplete(2)}},
        UndoCase{"AnEndingInsideANameIsReadAgainstTheFolderAndALastLineAheadOfItsRenameIsNone",
                 {kOld, u"q改名为q，因重名未执行！"_s, u"r改名为r，因重名未执行！"_s},
                 {u"q，因重名未执行"_s, u"r"_s},
                 {u"q"_s, u"r"_s},
                 {u"q，因重名未执行改名为q！"_s},
                 {}},
        UndoCase{"NeverFromOrToTheLogOrTheProgramNorFromOrToAHiddenOrControlName",
                 {kOld, u"a改名为QuillmarkLog.txt！"_s, u"prog.txt改名为b！"_s, u"c改名为prog！"_s, u".d改名为e！"_s,
                  u"bashrc改名为.bashrc！"_s, u"t\tu改名为v！"_s, u"w\x1b改名为x！"_s, u"f改名为g！"_s},
                 {u"b"_s, u"prog"_s, u"e"_s, u".bashrc"_s, u"v"_s, u"x"_s, u"g"_s},
                 {u"b"_s, u"prog"_s, u"e"_s, u".bashrc"_s, u"v"_s, u"x"_s, u"f"_s},
                 {u"g改名为f！"_s},
                 {undoIncomplete(7)}},
        UndoCase{"AHeaderAfterZerosLongerThanALineStartsTheLastRun",
                 {kOld, u"a改名为b！"_s, QString(40000, QChar(0)) + kOld, u"c改名为d！"_s},
                 {u"b"_s, u"d"_s},
                 {u"b"_s, u"c"_s},
                 {u"d改名为c！"_s},
                 {}},
        UndoCase{"ADoneLineFollowedByItsRefusalIsNoRename",
                 {kOld, u"a改名为b！"_s, u"c改名为d！"_s, u"a改名为b，因重名未执行！"_s},
                 {u"a"_s, u"b"_s, u"d"_s},
                 {u"a"_s, u"b"_s, u"c"_s},
                 {u"d改名为c！"_s},
                 {}},
        UndoCase{"TheLastBatchWrittenAheadOfItsRenamesIsNone",
                 {kOld, u"a改名为b！"_s, u"c改名为d！"_s, u"e改名为f！"_s},
                 {u"b"_s, u"c"_s, u"e"_s},
                 {u"a"_s, u"c"_s, u"e"_s},
                 {u"b改名为a！"_s},
                 {}},
        UndoCase{"AFileNoLongerThereOrAnOldNameTakenIsLeftAlone",
                 {kOld, u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s},
                 {u"a.txt"_s, u"b.txt"_s},
                 {u"a.txt"_s, u"b.txt"_s},
                 {},
                 {kNothingToUndo}}),
    [](const ::testing::TestParamInfo<UndoCase>& row) { return std::string(row.param.label); });

// Undo reads the log from its end back to the last header only: a hole of 64 GiB before the run and another
// after it (a sparse log) are passed over, and a line of bytes that are no GBK is never a name.
TEST(UndoRun, ReadsBackToTheLastHeaderOnlyPastHolesAndNeverActsOnBytesThatAreNoGbk) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s, u"d.txt"_s, u"f.txt"_s, u"h.txt"_s});
    constexpr qint64 kHole = qint64(64) << 30;
    const QByteArray run = expectedLog({u"c.txt改名为d.txt！"_s});
    // Bytes that are no GBK, and names that hold a line break or a CR that no line end follows.
    const QByteArray bad = "\x81\x7f" + gbkLines({u"a.txt改名为b.txt！"_s}) +
                           platform::GbkEncoder().encode(u"e\r.txt改名为f.txt！\r\ng\n.txt改名为h.txt！\r\n");
    QFile log(folder.filePath(kLog));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    ASSERT_TRUE(log.resize(kHole));
    ASSERT_TRUE(log.seek(kHole));
    // The hole ends a line; the run's header, the bad line, the good one; then a hole with no line end.
    const QByteArray header = run.left(run.indexOf("\r\n") + 2);
    const QByteArray written = "\r\n" + header + bad + run.mid(header.size());
    ASSERT_EQ(log.write(written), written.size());
    ASSERT_TRUE(log.resize(2 * kHole));
    log.close();
    YesServices services;
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    EXPECT_EQ(services.questions, QStringList{undoQuestion(1)});
    EXPECT_EQ(services.messages, QStringList{undoIncomplete(4)});
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"b.txt"_s, u"c.txt"_s, u"f.txt"_s, u"h.txt"_s}));
}

TEST(UndoRun, NoKeepsEverythingAndTheLogRulesHold) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s});
    const QByteArray log = expectedLog({u"a.txt改名为b.txt！"_s});
    folder.write(kLog, log);
    RecordingServices no;
    no.expectQuestion(undoQuestion(1), false);
    engine::undoLastRun(folder.path(), no, fixedEnvironment());
    EXPECT_EQ(no.messages, QStringList());
    EXPECT_EQ(no.busyEntered, 0);
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"b.txt"_s}));
    EXPECT_EQ(folder.read(kLog), log);

    // A log that is a link is neither read nor written; a missing one has nothing to undo.
    const TempFolder outside;
    outside.write(kLog, log);
    ASSERT_EQ(::unlink(QFile::encodeName(folder.filePath(kLog)).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(kLog)).constData(),
                        QFile::encodeName(folder.filePath(kLog)).constData()),
              0);
    RecordingServices linked;
    engine::undoLastRun(folder.path(), linked, fixedEnvironment());
    EXPECT_EQ(linked.messages, QStringList{u"无法写入日记文件QuillmarkLog.txt，未执行改名！"_s});
    EXPECT_EQ(outside.read(kLog), log);
    ASSERT_EQ(::unlink(QFile::encodeName(folder.filePath(kLog)).constData()), 0);
    RecordingServices missing;
    engine::undoLastRun(folder.path(), missing, fixedEnvironment());
    EXPECT_EQ(missing.messages, QStringList{kNothingToUndo});
    EXPECT_EQ(folder.entries(), QStringList{u"b.txt"_s});
}

// The folder may change between the question and the undo: the rename then decides, as in a run.
TEST(UndoRun, AnOldNameTakenAfterTheQuestionGetsTheTakenNamePathAndIsCounted) {
    const TempFolder folder;
    createFiles(folder, {u"b.txt"_s, u"d.txt"_s});
    folder.write(kLog, expectedLog({u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s}));
    YesServices services;
    services.beforeAnswer = [&] { folder.write(u"a.txt"_s, "newcomer"); };
    engine::undoLastRun(folder.path(), services, fixedEnvironment());
    EXPECT_EQ(services.questions, QStringList{undoQuestion(2)});
    EXPECT_EQ(services.messages, (QStringList{takenMessage(u"b.txt"_s, u"a.txt"_s), undoIncomplete(1)}));
    EXPECT_EQ(folder.entries(), (QStringList{kLog, u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}));
    EXPECT_EQ(folder.read(u"a.txt"_s), "newcomer");
    EXPECT_EQ(folder.read(kLog), expectedLog({u"a.txt改名为b.txt！"_s, u"c.txt改名为d.txt！"_s}) +
                                     expectedLog({u"d.txt改名为c.txt！"_s, takenLine(u"b.txt"_s, u"a.txt"_s)}));
    EXPECT_TRUE(services.idle());
    EXPECT_EQ(services.refreshes, 1);
}

} // namespace
} // namespace filarion::test
