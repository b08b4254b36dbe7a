// Input no one expected, through the working set, the rename run and the list export: each has one clear
// outcome and nothing is lost.

#include "engine/rename_run.h"
#include "listing/file_list_export.h"
#include "reliability_support.h"
#include "support/engine_run.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

const QString kLog = u"QuillmarkLog.txt"_s;

// One folder as a case sets it up, and what a rename run over its working set must leave.
struct InputCase {
    const char* label;
    engine::RenameRequest request;
    QStringList files;                        // the working set, in list order; each holds its own name
    QList<std::pair<QString, QString>> after; // every name of the set afterwards, and whose bytes it holds
    QStringList lines;                        // the log after its header
    QStringList messages = {};
    QString pattern = u"*"_s;
    QList<std::pair<QString, QByteArray>> links = {}; // names of the set that are links, and their targets
    QStringList beside = {};                          // files outside the set (subfolders made as needed)
};

void PrintTo(const InputCase& row, std::ostream* out) {
    *out << row.label;
}

QByteArray pathIn(const TempFolder& folder, const QString& name) {
    return QFile::encodeName(folder.filePath(name));
}

void expectInputCase(const InputCase& row) {
    const TempFolder folder;
    for (const QString& path : row.beside) {
        folder.makeFolder(QFileInfo(path).path());
        folder.touch(path);
    }
    QHash<QString, QByteArray> links;
    for (const auto& [name, target] : row.links) {
        ASSERT_EQ(::symlink(target.constData(), pathIn(folder, name).constData()), 0);
        links.insert(name, target);
    }
    for (const QString& name : row.files) {
        if (!links.contains(name)) {
            folder.touch(name);
        }
    }
    const QStringList set = readWorkingSet(folder.path(), row.pattern);
    ASSERT_EQ(set, row.files);

    const RunOutcome outcome = runRename(folder, row.request, set);

    QSet<QString> expected{kLog};
    for (const auto& [name, source] : row.after) {
        expected.insert(name);
        if (links.contains(source)) {
            struct stat st {};
            ASSERT_EQ(::lstat(pathIn(folder, name).constData(), &st), 0) << name.toStdString();
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << name.toStdString();
            char target[4096];
            const ssize_t length = ::readlink(pathIn(folder, name).constData(), target, sizeof target);
            EXPECT_EQ(QByteArray(target, static_cast<qsizetype>(std::max<ssize_t>(length, 0))), links.value(source));
        } else {
            EXPECT_EQ(folder.read(name), source.toUtf8()) << name.toStdString();
        }
    }
    for (const QString& path : row.beside) {
        expected.insert(path.section(u'/', 0, 0));
        EXPECT_EQ(folder.read(path), path.toUtf8()) << path.toStdString();
    }
    const QStringList entries = folder.entries();
    EXPECT_EQ(QSet<QString>(entries.begin(), entries.end()), expected);
    EXPECT_EQ(entries.size(), expected.size());
    EXPECT_EQ(outcome.log, expectedLog(row.lines));
    EXPECT_EQ(outcome.messages, row.messages);
    EXPECT_TRUE(outcome.idle);
    EXPECT_EQ(outcome.refreshes, 1);
}

class BadInput : public ::testing::TestWithParam<InputCase> {};

TEST_P(BadInput, OneClearOutcomeAndNothingLost) {
    expectInputCase(GetParam());
}

// 83 characters of three bytes each: with "xy.txt" a name of 255 bytes, the most a file system allows.
const QString kLong83(83, u'名');
const QString kLongName = kLong83 + u"xy.txt"_s;
const QString kLongExtension = u"x."_s + QString(253, u'e');
const QString kLongAscii = QString(96, u'a') + u".txt"_s; // 100 characters and bytes

INSTANTIATE_TEST_SUITE_P(
    Table, BadInput,
    ::testing::Values(
        // A name of 255 bytes whose new name would be longer fails alone; the run goes on.
        InputCase{"LongNameReplace",
                  replaceRequest(u"y"_s, u"yz"_s),
                  {u"y.txt"_s, kLongName},
                  {{u"yz.txt"_s, u"y.txt"_s}, {kLongName, kLongName}},
                  {doneLine(u"y.txt"_s, u"yz.txt"_s), failedLine(kLongName, kLong83 + u"xyz.txt"_s)}},
        InputCase{"LongExtensionPrefix",
                  prefixRequest(u"p"_s),
                  {kLongExtension, u"y.txt"_s},
                  {{kLongExtension, kLongExtension}, {u"p1.txt"_s, u"y.txt"_s}},
                  {failedLine(kLongExtension, u"p0"_s + kLongExtension.mid(1)), doneLine(u"y.txt"_s, u"p1.txt"_s)}},
        // The fill method counts characters, the file system bytes: the longest name in characters is
        // 100 bytes, the name of 89 characters 255 bytes, and 11 more do not fit.
        InputCase{"LongNameFill",
                  fillRequest(u"_"_s),
                  {kLongAscii, u"b.txt"_s, kLongName},
                  {{kLongAscii, kLongAscii}, {QString(95, u'_') + u"b.txt"_s, u"b.txt"_s}, {kLongName, kLongName}},
                  {doneLine(u"b.txt"_s, QString(95, u'_') + u"b.txt"_s),
                   failedLine(kLongName, QString(11, u'_') + kLongName)}},
        InputCase{"LongNameInsert",
                  insertRequest(u"zz"_s, u"1"_s),
                  {u"a.txt"_s, kLongName},
                  {{u"azz.txt"_s, u"a.txt"_s}, {kLongName, kLongName}},
                  {doneLine(u"a.txt"_s, u"azz.txt"_s), failedLine(kLongName, u"名zz"_s + kLongName.mid(1))}},
        // A character GBK cannot hold is one '?' in the log; the file bears its exact name.
        InputCase{"EmojiNames",
                  prefixRequest(u"zet"_s),
                  {u"a\U0001F600b.JPG"_s, u"plain.JPG"_s, u"\U0001F600.JPG"_s},
                  {{u"zet0.JPG"_s, u"a\U0001F600b.JPG"_s},
                   {u"zet1.JPG"_s, u"plain.JPG"_s},
                   {u"zet2.JPG"_s, u"\U0001F600.JPG"_s}},
                  {u"a?b.JPG改名为zet0.JPG！"_s, u"plain.JPG改名为zet1.JPG！"_s, u"?.JPG改名为zet2.JPG！"_s}},
        InputCase{"EmojiAsFindText",
                  replaceRequest(u"\U0001F600"_s, u"x"_s),
                  {u"a\U0001F600b.JPG"_s},
                  {{u"axb.JPG"_s, u"a\U0001F600b.JPG"_s}},
                  {u"a?b.JPG改名为axb.JPG！"_s}},
        // A line break in a name is written as '?', so every event stays one line and no name forges one.
        InputCase{"NewlineAndBackslashNames",
                  prefixRequest(u"zet"_s),
                  {u"a\nb.JPG"_s, u"c\\d.JPG"_s, u"e\r\nf.JPG"_s, u"forged！\r\nz.JPG"_s},
                  {{u"zet0.JPG"_s, u"a\nb.JPG"_s},
                   {u"zet1.JPG"_s, u"c\\d.JPG"_s},
                   {u"zet2.JPG"_s, u"e\r\nf.JPG"_s},
                   {u"zet3.JPG"_s, u"forged！\r\nz.JPG"_s}},
                  {u"a?b.JPG改名为zet0.JPG！"_s, u"c\\d.JPG改名为zet1.JPG！"_s, u"e??f.JPG改名为zet2.JPG！"_s,
                   u"forged！??z.JPG改名为zet3.JPG！"_s}},
        InputCase{"BackslashAsFindText",
                  replaceRequest(u"\\"_s, u"-"_s),
                  {u"c\\d.JPG"_s, u"new\nline.JPG"_s},
                  {{u"c-d.JPG"_s, u"c\\d.JPG"_s}, {u"new\nline.JPG"_s, u"new\nline.JPG"_s}},
                  {u"c\\d.JPG改名为c-d.JPG！"_s}},
        // Letter case: both names are listed and renamed, and the rename itself is exact.
        InputCase{"CaseOnlyDifferenceBothNumbered",
                  prefixRequest(u"zet"_s),
                  {u"ABC.JPG"_s, u"abc.JPG"_s},
                  {{u"zet0.JPG"_s, u"ABC.JPG"_s}, {u"zet1.JPG"_s, u"abc.JPG"_s}},
                  {doneLine(u"ABC.JPG"_s, u"zet0.JPG"_s), doneLine(u"abc.JPG"_s, u"zet1.JPG"_s)}},
        InputCase{"CaseOnlyDifferenceSecondIsTaken",
                  replaceRequest(u"abc"_s, u"xyz"_s),
                  {u"ABC.JPG"_s, u"abc.JPG"_s},
                  {{u"xyz.JPG"_s, u"ABC.JPG"_s}, {u"abc.JPG"_s, u"abc.JPG"_s}},
                  {doneLine(u"ABC.JPG"_s, u"xyz.JPG"_s), takenLine(u"abc.JPG"_s, u"xyz.JPG"_s)},
                  {takenMessage(u"abc.JPG"_s, u"xyz.JPG"_s)}},
        InputCase{"TargetDifferingOnlyInCaseFromAnotherFile",
                  replaceRequest(u"1"_s, QString()),
                  {u"Photo.JPG"_s, u"photo1.JPG"_s},
                  {{u"Photo.JPG"_s, u"Photo.JPG"_s}, {u"photo.JPG"_s, u"photo1.JPG"_s}},
                  {doneLine(u"photo1.JPG"_s, u"photo.JPG"_s)}},
        // A link is renamed itself; what it points to keeps its name and bytes.
        InputCase{"SymbolicLinksAreRenamedTheirTargetsUntouched",
                  prefixRequest(u"zet"_s),
                  {u"far.JPG"_s, u"link.JPG"_s, u"plain.JPG"_s},
                  {{u"zet0.JPG"_s, u"far.JPG"_s}, {u"zet1.JPG"_s, u"link.JPG"_s}, {u"zet2.JPG"_s, u"plain.JPG"_s}},
                  {doneLine(u"far.JPG"_s, u"zet0.JPG"_s), doneLine(u"link.JPG"_s, u"zet1.JPG"_s),
                   doneLine(u"plain.JPG"_s, u"zet2.JPG"_s)},
                  {},
                  u"*.JPG"_s,
                  {{u"far.JPG"_s, "sub/real.dat"}, {u"link.JPG"_s, "target.dat"}},
                  {u"target.dat"_s, u"sub/real.dat"_s}},
        // A folder bearing the new name is a taken name for every method; it and its content stay.
        InputCase{"FolderBearingTheTargetReplace",
                  replaceRequest(u"cad"_s, u"zet"_s),
                  {u"cad.JPG"_s},
                  {{u"cad.JPG"_s, u"cad.JPG"_s}},
                  {takenLine(u"cad.JPG"_s, u"zet.JPG"_s)},
                  {takenMessage(u"cad.JPG"_s, u"zet.JPG"_s)},
                  u"*.JPG"_s,
                  {},
                  {u"zet.JPG/inside"_s}},
        InputCase{"FolderBearingTheTargetPrefix",
                  prefixRequest(u"zet"_s),
                  {u"a.JPG"_s, u"b.JPG"_s},
                  {{u"zet0.JPG"_s, u"a.JPG"_s}, {u"b.JPG"_s, u"b.JPG"_s}},
                  {doneLine(u"a.JPG"_s, u"zet0.JPG"_s), takenLine(u"b.JPG"_s, u"zet1.JPG"_s)},
                  {takenMessage(u"b.JPG"_s, u"zet1.JPG"_s)},
                  u"*.JPG"_s,
                  {},
                  {u"zet1.JPG/inside"_s}},
        InputCase{"FolderBearingTheTargetFill",
                  fillRequest(u"_"_s),
                  {u"a.JPG"_s, u"bb.JPG"_s},
                  {{u"a.JPG"_s, u"a.JPG"_s}, {u"bb.JPG"_s, u"bb.JPG"_s}},
                  {takenLine(u"a.JPG"_s, u"_a.JPG"_s)},
                  {takenMessage(u"a.JPG"_s, u"_a.JPG"_s)},
                  u"*.JPG"_s,
                  {},
                  {u"_a.JPG/inside"_s}},
        InputCase{"FolderBearingTheTargetInsert",
                  insertRequest(u"zet"_s, u"9"_s),
                  {u"a.JPG"_s},
                  {{u"a.JPG"_s, u"a.JPG"_s}},
                  {takenLine(u"a.JPG"_s, u"azet.JPG"_s)},
                  {takenMessage(u"a.JPG"_s, u"azet.JPG"_s)},
                  u"*.JPG"_s,
                  {},
                  {u"azet.JPG/inside"_s}},
        // A new name of "." or ".." names an entry that is always there: taken, and nothing moves.
        InputCase{"NewNameOfDotOrDotDot",
                  replaceRequest(u"x"_s, u"."_s),
                  {u"x"_s, u"x."_s},
                  {{u"x"_s, u"x"_s}, {u"x."_s, u"x."_s}},
                  {takenLine(u"x"_s, u"."_s), takenLine(u"x."_s, u".."_s)},
                  {takenMessage(u"x"_s, u"."_s), takenMessage(u"x."_s, u".."_s)}}),
    [](const ::testing::TestParamInfo<InputCase>& param) { return std::string(param.param.label); });

// Names whose bytes are not valid in the file-name encoding: none is listed, renamed or written to a list,
// and each keeps its bytes and its content.
TEST(BadInputBytes, NamesThatDoNotDecodeExactlyAreLeftOutAndNeverTouched) {
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QList<QByteArray> bad{"bad\xff.JPG",  "\xc3.JPG",       "\xed\xa0\x80.JPG",
                                "\xc0\xaf.JPG", "ok\xe4\xb8.JPG", "\xfe\xfe\xfe"};
    // The temporary folder cannot name these to remove them.
    const auto removeBad = qScopeGuard([&] {
        for (const QByteArray& name : bad) {
            ::unlink(QByteArray(root + name).constData());
        }
    });
    for (const QByteArray& name : bad) {
        ASSERT_TRUE(createExclusive(root + name, "bytes of " + name));
    }
    folder.touch(u"good.JPG"_s);
    folder.touch(u"zz.JPG"_s);
    ASSERT_EQ(readWorkingSet(folder.path(), u"*"_s), (QStringList{u"good.JPG"_s, u"zz.JPG"_s}));

    const RunOutcome outcome = runRename(folder, prefixRequest(u"zet"_s), readWorkingSet(folder.path(), u"*.JPG"_s));
    EXPECT_EQ(outcome.log, expectedLog({doneLine(u"good.JPG"_s, u"zet0.JPG"_s), doneLine(u"zz.JPG"_s, u"zet1.JPG"_s)}));
    EXPECT_TRUE(outcome.messages.isEmpty());

    RecordingServices services;
    listing::MakeFileList(
        {u"清单"_s, listing::NameForm::WithExtension, u"*"_s, folder.path(), readWorkingSet(folder.path(), u"*"_s)},
        services);
    EXPECT_EQ(folder.read(u"清单.txt"_s),
              gbkLines({folder.path() + u"/*文件清单："_s, u"1.QuillmarkLog.txt"_s, u"2.zet0.JPG"_s, u"3.zet1.JPG"_s}));
    EXPECT_TRUE(services.messages.isEmpty());

    QList<QByteArray> expected = bad;
    expected << "zet0.JPG"
             << "zet1.JPG"
             << "QuillmarkLog.txt" << QFile::encodeName(u"清单.txt"_s);
    QList<QByteArray> entries = rawEntries(QFile::encodeName(folder.path()));
    std::sort(expected.begin(), expected.end());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, expected);
    for (const QByteArray& name : bad) {
        EXPECT_EQ(readBytes(root + name), "bytes of " + name);
    }
}

// An emoji or a NUL typed as the text that goes into the names is refused before anything is touched: GBK
// cannot hold the one, and a file name would end at the other.
class EmojiTyped : public ::testing::TestWithParam<engine::RenameRequest> {};

TEST_P(EmojiTyped, RefusedAsIllegalAndNothingTouched) {
    const TempFolder folder;
    folder.touch(u"a.JPG"_s);
    const RunOutcome outcome = runRename(folder, GetParam(), {u"a.JPG"_s});
    EXPECT_EQ(outcome.messages, QStringList{u"文件名不能包含下列任何字符 / \\ : * ? < > | \""_s});
    EXPECT_EQ(outcome.files, QStringList{u"a.JPG"_s});
    EXPECT_FALSE(folder.exists(kLog));
    EXPECT_EQ(outcome.refreshes, 0);
    EXPECT_TRUE(outcome.idle);
}

INSTANTIATE_TEST_SUITE_P(Methods, EmojiTyped,
                         ::testing::Values(replaceRequest(u"a"_s, u"\U0001F600"_s), prefixRequest(u"\U0001F600"_s),
                                           fillRequest(u"\U0001F600"_s), insertRequest(u"x\U0001F600"_s, u"1"_s),
                                           replaceRequest(u"a"_s, u"b"_s + QChar(0)), prefixRequest(QString(QChar(0))),
                                           fillRequest(QString(QChar(0))), insertRequest(u"x"_s + QChar(0), u"1"_s)));

// A new name that splits a character of two code units (a name counts them as two characters) would reach
// the disk as another name than the one computed and logged. Such a rename is refused before the disk is
// touched, with the failed line; the file keeps its name, and two such files meet no collision.
TEST(BadInputNames, NewNameThatSplitsACharacterIsRefusedWithTheFailedLine) {
    const TempFolder folder;
    const QString smile = u"\U0001F600"_s;
    const QString laugh = u"\U0001F606"_s;
    const QStringList files{laugh + u".JPG"_s, smile + u".JPG"_s, u"ab.JPG"_s};
    const RunOutcome outcome = createAndRun(folder, insertRequest(u"x"_s, u"1"_s), files);
    const auto split = [](const QString& name) { return name.left(1) + u"x"_s + name.mid(1); };
    EXPECT_EQ(outcome.log, expectedLog({failedLine(files[0], split(files[0])), failedLine(files[1], split(files[1])),
                                        doneLine(u"ab.JPG"_s, u"axb.JPG"_s)}));
    EXPECT_EQ(outcome.files, sortedNames({files[0], files[1], u"axb.JPG"_s}));
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_TRUE(outcome.idle);
}

// The list file of odd names: every name on its own line, line breaks and characters GBK cannot hold as '?'.
TEST(BadInputList, EveryOddNameStaysOnItsOwnLine) {
    const TempFolder folder;
    const QStringList names{u"a\nb.JPG"_s, u"c\\d.JPG"_s, u"e\r\nf.JPG"_s, u"\U0001F600.JPG"_s};
    for (const QString& name : names) {
        folder.touch(name);
    }
    const QStringList set = readWorkingSet(folder.path(), u"*.JPG"_s);
    ASSERT_EQ(set, names);
    RecordingServices services;
    listing::MakeFileList({u"清单"_s, listing::NameForm::WithoutExtension, u"*.JPG"_s, folder.path(), set}, services);
    EXPECT_EQ(folder.read(u"清单.txt"_s),
              gbkLines({folder.path() + u"/*.JPG文件清单："_s, u"1.a?b"_s, u"2.c\\d"_s, u"3.e??f"_s, u"4.?"_s}));
    EXPECT_TRUE(services.messages.isEmpty());
    EXPECT_TRUE(services.idle());
}

// 40,000 entries, more than 16-bit counts hold: all listed, renamed, logged in order and written to the list.
// The entries are hard links of one file, which the file system makes much faster than as many files; its
// link count tells that no name was lost.
TEST(BadInputSize, FortyThousandEntriesAreAllRenamedLoggedAndListed) {
    const TempFolder folder;
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const int count = 40000;
    QStringList lines;
    QStringList listLines{folder.path() + u"/*.JPG文件清单："_s};
    QStringList renamed;
    const QByteArray first = root + "f00000.JPG";
    const QByteArray last = root + "g39999.JPG";
    ASSERT_TRUE(createExclusive(first, "the one file"));
    for (int k = 0; k < count; ++k) {
        const QString name = u"f%1.JPG"_s.arg(k, 5, 10, QChar(u'0'));
        if (k > 0) {
            ASSERT_EQ(::link(first.constData(), QByteArray(root + QFile::encodeName(name)).constData()), 0);
        }
        renamed << u"g"_s + name.mid(1);
        lines << doneLine(name, renamed.back());
        listLines << u"%1.%2"_s.arg(k + 1).arg(renamed.back());
    }
    const RunOutcome outcome =
        runRename(folder, replaceRequest(u"f"_s, u"g"_s), readWorkingSet(folder.path(), u"*.JPG"_s));
    EXPECT_TRUE(outcome.files == renamed) << "the folder differs";
    EXPECT_TRUE(outcome.log == expectedLog(lines)) << "the log differs";
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_TRUE(outcome.idle);
    struct stat st {};
    ASSERT_EQ(::stat(last.constData(), &st), 0);
    EXPECT_EQ(st.st_nlink, static_cast<nlink_t>(count));
    EXPECT_EQ(readBytes(last), QByteArray("the one file"));

    RecordingServices services;
    listing::MakeFileList({u"清单"_s, listing::NameForm::WithExtension, u"*.JPG"_s, folder.path(),
                           readWorkingSet(folder.path(), u"*.JPG"_s)},
                          services);
    EXPECT_TRUE(folder.read(u"清单.txt"_s) == gbkLines(listLines)) << "the list differs";
    EXPECT_TRUE(services.idle());
}

} // namespace
} // namespace filarion::test
