#include "listing/file_list_export.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::listing {
namespace {
using namespace Qt::StringLiterals;
using test::gbkLines;
using test::RecordingServices;
using test::TempFolder;

FileListRequest requestIn(const TempFolder& dir, const QString& listName, NameForm form, const QStringList& files,
                          const QString& pattern = u"*.JPG"_s) {
    return {listName, form, pattern, dir.path(), files};
}

QString headerIn(const TempFolder& dir, const QString& pattern) {
    return dir.path() + u'/' + pattern + u"文件清单："_s;
}

// A run that wrote its list: no message, no question, one busy state with one refresh, the window restored.
void expectCleanRun(const RecordingServices& services) {
    EXPECT_TRUE(services.messages.isEmpty()) << services.messages.join(u'|').toStdString();
    EXPECT_EQ(services.busyEntered, 1);
    EXPECT_EQ(services.refreshes, 1);
    EXPECT_TRUE(services.idle());
}

// Nothing happened beyond what the services recorded: no busy state, no refresh, no progress.
void expectUntouchedWindow(const RecordingServices& services) {
    EXPECT_EQ(services.busyEntered, 0);
    EXPECT_EQ(services.refreshes, 0);
    EXPECT_TRUE(services.progress.empty());
    EXPECT_TRUE(services.idle());
}

struct FormCase {
    NameForm form;
    const char* bytesAfterHeader;
};

void PrintTo(const FormCase& c, std::ostream* out) {
    *out << (c.form == NameForm::WithExtension ? "with extension" : "without extension");
}

class ExamplesTable : public ::testing::TestWithParam<FormCase> {};

TEST_P(ExamplesTable, ListIsGbkWithCrLfAfterEveryLineAndNoByteOrderMark) {
    TempFolder dir;
    RecordingServices services;
    MakeFileList(requestIn(dir, u"清单"_s, GetParam().form, {u"autocad.JPG"_s, u"Imagecad.JPG"_s}), services);

    // "文件清单：" in GBK is CE C4 BC FE C7 E5 B5 A5 A3 BA.
    const QByteArray expected = QFile::encodeName(dir.path()) + "/*.JPG\xCE\xC4\xBC\xFE\xC7\xE5\xB5\xA5\xA3\xBA\r\n" +
                                GetParam().bytesAfterHeader;
    EXPECT_EQ(dir.read(u"清单.txt"_s), expected);
    EXPECT_EQ(dir.entries(), QStringList{u"清单.txt"_s});
    EXPECT_EQ(services.progress, (std::vector<int>{0, 100}));
    expectCleanRun(services);
}

INSTANTIATE_TEST_SUITE_P(Forms, ExamplesTable,
                         ::testing::Values(FormCase{NameForm::WithExtension, "1.autocad.JPG\r\n2.Imagecad.JPG\r\n"},
                                           FormCase{NameForm::WithoutExtension, "1.autocad\r\n2.Imagecad\r\n"}));

struct HeaderCase {
    const char16_t* folder;
    const char16_t* pattern;
    const char16_t* header;
};

class Header : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(Header, FolderAndPatternAsTypedWithOneSeparator) {
    EXPECT_EQ(fileListHeader(QString::fromUtf16(GetParam().folder), QString::fromUtf16(GetParam().pattern)),
              QString::fromUtf16(GetParam().header));
}

INSTANTIATE_TEST_SUITE_P(Table, Header,
                         ::testing::Values(HeaderCase{u"/", u"*.JPG", u"/*.JPG文件清单："},
                                           HeaderCase{u"/home/照片", u"*.JPG", u"/home/照片/*.JPG文件清单："},
                                           HeaderCase{u"/home/照片/", u"a?B*.Txt", u"/home/照片/a?B*.Txt文件清单："},
                                           HeaderCase{u"/srv", u"", u"/srv/文件清单："}));

TEST(MakeFileList, FolderEndingInSeparatorGivesHeaderWithOneSeparator) {
    TempFolder dir;
    RecordingServices services;
    FileListRequest request = requestIn(dir, u"list"_s, NameForm::WithExtension, {u"a.JPG"_s});
    request.folder += u'/';
    MakeFileList(request, services);
    EXPECT_EQ(dir.read(u"list.txt"_s), gbkLines({headerIn(dir, u"*.JPG"_s), u"1.a.JPG"_s}));
    expectCleanRun(services);
}

TEST(MakeFileList, WithoutExtensionCutsAtTheLastDotOnly) {
    TempFolder dir;
    RecordingServices services;
    const QStringList files{u"archive.tar.gz"_s, u"README"_s, u".profile"_s, u"a.b.c."_s, u"照片.文本"_s};
    MakeFileList(requestIn(dir, u"list"_s, NameForm::WithoutExtension, files, u"*"_s), services);
    EXPECT_EQ(dir.read(u"list.txt"_s),
              gbkLines({headerIn(dir, u"*"_s), u"1.archive.tar"_s, u"2.README"_s, u"3."_s, u"4.a.b.c"_s, u"5.照片"_s}));
    expectCleanRun(services);
}

struct NameCase {
    const char16_t* typed;
    const char16_t* file;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << QString::fromUtf16(c.typed).toStdString();
}

class ListName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ListName, TxtIsAddedUnlessTheNameEndsInItIgnoringCase) {
    TempFolder dir;
    RecordingServices services;
    MakeFileList(requestIn(dir, QString::fromUtf16(GetParam().typed), NameForm::WithExtension, {u"a.JPG"_s}), services);
    const QString file = QString::fromUtf16(GetParam().file);
    EXPECT_EQ(dir.entries(), QStringList{file});
    EXPECT_EQ(dir.read(file), gbkLines({headerIn(dir, u"*.JPG"_s), u"1.a.JPG"_s}));
    expectCleanRun(services);
}

INSTANTIATE_TEST_SUITE_P(Table, ListName,
                         ::testing::Values(NameCase{u"清单", u"清单.txt"}, NameCase{u"list.TXT", u"list.TXT"},
                                           NameCase{u"list.Txt", u"list.Txt"}, NameCase{u"list.tx", u"list.tx.txt"},
                                           NameCase{u"txt", u"txt.txt"}, NameCase{u".TXT", u".TXT"},
                                           NameCase{u"   ", u"   .txt"}, NameCase{u"list.txt ", u"list.txt .txt"}));

TEST(MakeFileList, EmptyNameGivesItsMessageAndNothingElse) {
    TempFolder dir;
    RecordingServices services;
    MakeFileList(requestIn(dir, QString(), NameForm::WithExtension, {u"a.JPG"_s}), services);
    EXPECT_EQ(services.messages, QStringList{u"没有输入清单文本名称！"_s});
    EXPECT_TRUE(services.questions.isEmpty());
    EXPECT_TRUE(dir.entries().isEmpty());
    expectUntouchedWindow(services);
}

TEST(MakeFileList, AnswerNoLeavesTheExistingFileAndTheWindowAsTheyWere) {
    TempFolder dir;
    const QByteArray old("old list\r\n\xC7\xE5\r\n");
    dir.write(u"清单.txt"_s, old);
    RecordingServices services;
    services.expectQuestion(u"清单.txt 已存在，是否覆盖？"_s, false);
    MakeFileList(requestIn(dir, u"清单"_s, NameForm::WithExtension, {u"a.JPG"_s}), services);
    EXPECT_EQ(services.questions.size(), 1);
    EXPECT_FALSE(services.unexpectedQuestion);
    EXPECT_EQ(dir.read(u"清单.txt"_s), old);
    EXPECT_EQ(dir.entries(), QStringList{u"清单.txt"_s});
    EXPECT_TRUE(services.messages.isEmpty());
    expectUntouchedWindow(services);
}

TEST(MakeFileList, AnswerYesReplacesALongerFileWhole) {
    TempFolder dir;
    dir.write(u"List.TXT"_s, QByteArray(100000, 'x'));
    RecordingServices services;
    services.expectQuestion(u"List.TXT 已存在，是否覆盖？"_s, true);
    MakeFileList(requestIn(dir, u"List.TXT"_s, NameForm::WithoutExtension, {u"a.JPG"_s, u"b.JPG"_s}), services);
    EXPECT_FALSE(services.unexpectedQuestion);
    EXPECT_EQ(dir.read(u"List.TXT"_s), gbkLines({headerIn(dir, u"*.JPG"_s), u"1.a"_s, u"2.b"_s}));
    EXPECT_EQ(dir.entries(), QStringList{u"List.TXT"_s});
    expectCleanRun(services);
}

TEST(MakeFileList, OverwrittenListThatMatchesThePatternListsItsOwnName) {
    TempFolder dir;
    const QStringList files{u"a.txt"_s, u"清单.txt"_s, u"z.txt"_s};
    for (const QString& name : files) {
        dir.touch(name);
    }
    RecordingServices services;
    services.expectQuestion(u"清单.txt 已存在，是否覆盖？"_s, true);
    MakeFileList(requestIn(dir, u"清单"_s, NameForm::WithExtension, files, u"*.txt"_s), services);
    EXPECT_FALSE(services.unexpectedQuestion);
    EXPECT_EQ(dir.read(u"清单.txt"_s),
              gbkLines({headerIn(dir, u"*.txt"_s), u"1.a.txt"_s, u"2.清单.txt"_s, u"3.z.txt"_s}));
    expectCleanRun(services);
}

TEST(MakeFileList, NewListIsNotInTheNamesItWasGiven) {
    TempFolder dir;
    dir.touch(u"a.txt"_s);
    RecordingServices services;
    MakeFileList(requestIn(dir, u"清单"_s, NameForm::WithExtension, dir.entries(), u"*.txt"_s), services);
    EXPECT_TRUE(services.questions.isEmpty());
    EXPECT_EQ(dir.read(u"清单.txt"_s), gbkLines({headerIn(dir, u"*.txt"_s), u"1.a.txt"_s}));
    EXPECT_EQ(dir.entries(), (QStringList{u"a.txt"_s, u"清单.txt"_s}));
    expectCleanRun(services);
}

struct ProgressCase {
    int count;
    std::vector<int> values;
};

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, BarRunsFromZeroToHundredAndStaysAtZeroForOneName) {
    TempFolder dir;
    QStringList files;
    QStringList lines{headerIn(dir, u"*.JPG"_s)};
    for (int i = 1; i <= GetParam().count; ++i) {
        files.push_back(u"f%1.JPG"_s.arg(i));
        lines.push_back(u"%1.f%1.JPG"_s.arg(i));
    }
    RecordingServices services;
    MakeFileList(requestIn(dir, u"list"_s, NameForm::WithExtension, files), services);
    EXPECT_EQ(services.progress, GetParam().values);
    EXPECT_EQ(dir.read(u"list.txt"_s), gbkLines(lines));
    expectCleanRun(services);
}

INSTANTIATE_TEST_SUITE_P(Counts, Progress,
                         ::testing::Values(ProgressCase{1, {}}, ProgressCase{2, {0, 100}},
                                           ProgressCase{3, {0, 50, 100}}, ProgressCase{5, {0, 25, 50, 75, 100}}));

TEST(MakeFileList, MoreThan32767NamesAreAllNumberedInPlainDecimal) {
    TempFolder dir;
    constexpr int kCount = 40000;
    QStringList files;
    QStringList lines{headerIn(dir, u"*.JPG"_s)};
    for (int i = 1; i <= kCount; ++i) {
        files.push_back(u"照片%1.JPG"_s.arg(i));
        lines.push_back(QString::number(i) + u".照片"_s + QString::number(i));
    }
    RecordingServices services;
    MakeFileList(requestIn(dir, u"list"_s, NameForm::WithoutExtension, files), services);
    EXPECT_EQ(dir.read(u"list.txt"_s), gbkLines(lines));
    EXPECT_EQ(services.progress.size(), 101U);
    expectCleanRun(services);
}

// What stands in the folder besides a.JPG and the folder folder.txt when the list is written.
enum class Standing { Nothing, LinkToOutside, DanglingLink, LinkToDevice, Fifo, Subfolder };

struct FailureCase {
    const char* condition;
    std::u16string_view typed;
    Standing standing = Standing::Nothing;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.condition;
}

class WriteFailure : public ::testing::TestWithParam<FailureCase> {};

// Each of these fails for root too: no permission bit is involved. Nothing is asked, nothing in the folder
// or outside it is written, created, followed or replaced.
TEST_P(WriteFailure, OneMessageAfterTheWindowIsRestoredAndNothingWritten) {
    TempFolder dir;
    const TempFolder outside;
    outside.write(u"kept.txt"_s, "outside");
    dir.makeFolder(u"folder.txt"_s);
    dir.write(u"folder.txt/inside"_s, "kept");
    dir.touch(u"a.JPG"_s);
    const QByteArray at = QFile::encodeName(dir.filePath(u"清单.txt"_s));
    switch (GetParam().standing) {
    case Standing::Nothing:
        break;
    case Standing::LinkToOutside:
        ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(u"kept.txt"_s)).constData(), at.constData()), 0);
        break;
    case Standing::DanglingLink:
        ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(u"new.txt"_s)).constData(), at.constData()), 0);
        break;
    case Standing::LinkToDevice:
        ASSERT_EQ(::symlink("/dev/null", at.constData()), 0);
        break;
    case Standing::Fifo:
        ASSERT_EQ(::mkfifo(at.constData(), 0644), 0);
        break;
    case Standing::Subfolder:
        dir.makeFolder(u"sub"_s);
        break;
    }
    const QStringList before = dir.entries();

    RecordingServices services;
    bool restoredWhenTold = false;
    services.onMessage = [&](const QString&) { restoredWhenTold = services.idle() && services.refreshes == 1; };
    const std::u16string_view typed = GetParam().typed;
    MakeFileList(requestIn(dir, QString::fromUtf16(typed.data(), qsizetype(typed.size())), NameForm::WithExtension,
                           {u"a.JPG"_s}),
                 services);

    EXPECT_EQ(services.messages, QStringList{u"清单文件写入失败！"_s});
    EXPECT_FALSE(QFile::exists(dir.path() + u"/../清单.txt"_s));
    EXPECT_TRUE(restoredWhenTold);
    EXPECT_TRUE(services.questions.isEmpty());
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(dir.read(u"folder.txt/inside"_s), QByteArray("kept"));
    if (GetParam().standing == Standing::Subfolder) {
        EXPECT_TRUE(QDir(dir.filePath(u"sub"_s)).isEmpty());
    }
    EXPECT_EQ(outside.entries(), QStringList{u"kept.txt"_s});
    EXPECT_EQ(outside.read(u"kept.txt"_s), QByteArray("outside"));
    struct stat st {};
    EXPECT_EQ(::lstat(at.constData(), &st) == 0,
              GetParam().standing != Standing::Nothing && GetParam().standing != Standing::Subfolder);
    EXPECT_EQ(services.busyEntered, 1);
    EXPECT_EQ(services.refreshes, 1);
    EXPECT_TRUE(services.idle());
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteFailure,
    ::testing::Values(FailureCase{"missing subfolder", u"sub/清单"},
                      FailureCase{"folder of the list's name", u"folder"},
                      FailureCase{"name longer than the file system allows",
                                  u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
                                  u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
                                  u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
                                  u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
                      FailureCase{"link to a file outside the folder", u"清单", Standing::LinkToOutside},
                      FailureCase{"link to nothing", u"清单", Standing::DanglingLink},
                      FailureCase{"link to a device", u"清单", Standing::LinkToDevice},
                      FailureCase{"FIFO of the list's name", u"清单", Standing::Fifo},
                      FailureCase{"the rename log's name", u"QuillmarkLog"},
                      FailureCase{"name with a NUL", std::u16string_view(u"清单\0x", 4), Standing::Nothing},
                      FailureCase{"name that leads out of the folder", u"../清单", Standing::Nothing},
                      FailureCase{"name that leads into a subfolder", u"sub/清单", Standing::Subfolder}));

} // namespace
} // namespace filarion::listing
