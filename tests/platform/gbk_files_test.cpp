#include "platform/gbk_save_file.h"
#include "platform/write_ahead_file.h"
#include "support/file_systems.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QStringDecoder>
#include <csignal>
#include <gtest/gtest.h>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace filarion::platform {
namespace {
using namespace Qt::StringLiterals;

TEST(GbkText, EncodesChineseWithCrLfAndNoByteOrderMark) {
    GbkEncoder encoder;
    QByteArray out;
    encoder.appendRecord(u"a改名为b！"_s, out);
    EXPECT_EQ(out, QByteArray("a\xb8\xc4\xc3\xfb\xce\xaa"
                              "b\xa3\xa1\r\n"));
}

TEST(GbkText, CharacterOutsideGbkBecomesOneQuestionMark) {
    GbkEncoder encoder;
    EXPECT_EQ(encoder.encode(u"x\U0001F600y"_s), QByteArray("x?y"));
    EXPECT_EQ(encoder.encode(u"\u00e9"_s), QByteArray("\xa8\xa6")); // é is in GBK
}

// The folder of a test, held as the commands hold it.
struct HeldFolder {
    test::TempFolder dir;
    FolderHandle handle;
    HeldFolder() { EXPECT_FALSE(handle.open(dir.path())); }
};

TEST(GbkText, AppendCreatesThenAppendsAndNeverTruncates) {
    HeldFolder held;
    {
        WriteAheadFile file;
        ASSERT_FALSE(file.open(held.handle, u"log.txt"_s));
        ASSERT_FALSE(file.writeLine(u"第一行"_s));
    }
    {
        WriteAheadFile file;
        ASSERT_FALSE(file.open(held.handle, u"log.txt"_s));
        ASSERT_FALSE(file.writeLine(u"second"_s));
        // Written through to the OS before close: another reader sees it at once.
        EXPECT_EQ(held.dir.read(u"log.txt"_s), test::gbkLines({u"第一行"_s, u"second"_s}));
        EXPECT_FALSE(file.close());
    }
    EXPECT_EQ(held.dir.read(u"log.txt"_s), QByteArray("\xb5\xda\xd2\xbb\xd0\xd0\r\nsecond\r\n"));
}

// Only the file's own last lines are ever cut off: not while another descriptor has the file open, not
// past another writer's bytes, and never more lines than were written one after another.
TEST(GbkText, RetractCutsOnlyTheFilesOwnLastLinesWhileNoOtherProgramHoldsIt) {
    HeldFolder held;
    WriteAheadFile log;
    ASSERT_FALSE(log.open(held.handle, u"log.txt"_s));
    ASSERT_FALSE(log.lock());
    ASSERT_FALSE(log.writeLine(u"header"_s));
    for (const QString& line : {u"a"_s, u"b"_s, u"c"_s}) {
        log.queueLine(line);
    }
    qsizetype written = 0;
    ASSERT_FALSE(log.writeQueued(written));
    EXPECT_EQ(written, 3);
    ASSERT_FALSE(log.sync());
    // Another program holds it open: nothing is cut, its bytes may come at any moment.
    QFile other(held.dir.filePath(u"log.txt"_s));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.retractLines(2), std::errc::device_or_resource_busy);
    other.close();
    EXPECT_EQ(log.retractLines(5), std::errc::invalid_argument);
    ASSERT_FALSE(log.retractLines(2));
    EXPECT_EQ(held.dir.read(u"log.txt"_s), test::gbkLines({u"header"_s, u"a"_s}));
    // Another writer appends behind the lock's back: the lines before its bytes are no longer the end.
    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Append));
    ASSERT_EQ(other.write("x\r\n"), 3);
    other.close();
    EXPECT_EQ(log.retractLines(1), std::errc::device_or_resource_busy);
    ASSERT_FALSE(log.writeLine(u"d"_s));
    EXPECT_EQ(log.retractLines(2), std::errc::invalid_argument);
    ASSERT_FALSE(log.retractLines(1));
    EXPECT_EQ(held.dir.read(u"log.txt"_s), test::gbkLines({u"header"_s, u"a"_s, u"x"_s}));
    // A second lock on the file, as another run would take it, is refused without waiting.
    WriteAheadFile second;
    ASSERT_FALSE(second.open(held.handle, u"log.txt"_s));
    EXPECT_EQ(second.lock(), std::errc::resource_unavailable_try_again);
    // The lease's signal is handled while the log is open, never ignored (every program started later would
    // inherit that), and the action before is back once it closes.
    struct sigaction action {};
    ASSERT_EQ(::sigaction(SIGIO, nullptr, &action), 0);
    EXPECT_NE(action.sa_handler, SIG_IGN);
    EXPECT_NE(action.sa_handler, SIG_DFL);
    ASSERT_FALSE(log.close());
    ASSERT_EQ(::sigaction(SIGIO, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}

// On a FUSE folder another client's writes are beyond the lease: nothing is ever cut there, the lines stay.
TEST(GbkText, RetractOnAFuseFolderCutsNothing) {
    const test::FuseExfat card;
    if (!card.mounted()) {
        FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << card.reason());
    }
    const test::TempFolder dir(card.path());
    FolderHandle handle;
    ASSERT_FALSE(handle.open(dir.path()));
    WriteAheadFile log;
    ASSERT_FALSE(log.open(handle, u"log.txt"_s));
    ASSERT_FALSE(log.writeLine(u"a"_s));
    EXPECT_EQ(log.retractLines(1), std::errc::device_or_resource_busy);
    EXPECT_EQ(dir.read(u"log.txt"_s), test::gbkLines({u"a"_s}));
}

TEST(GbkText, LineBreakInsideALineNeverMakesALineOfItsOwn) {
    HeldFolder held;
    {
        WriteAheadFile log;
        ASSERT_FALSE(log.open(held.handle, u"log.txt"_s));
        ASSERT_FALSE(log.writeLine(u"x！\r\ny改名为\nz"_s));
    }
    GbkSaveFile list(held.handle, u"list.txt"_s);
    ASSERT_FALSE(list.open());
    list.writeLine(u"1.a\rb"_s);
    ASSERT_FALSE(list.commit());
    EXPECT_EQ(held.dir.read(u"log.txt"_s), test::gbkLines({u"x！??y改名为?z"_s}));
    EXPECT_EQ(held.dir.read(u"list.txt"_s), QByteArray("1.a?b\r\n"));
}

// Neither file is ever opened through a link or as anything but a regular file: what stands at the name
// keeps its bytes and its kind, and nothing outside the folder is written or created.
TEST(GbkText, LinksAndEntriesThatAreNoRegularFileAreRefusedByBothFiles) {
    const test::TempFolder outside;
    outside.write(u"target.txt"_s, "outside");
    const QByteArray outsideFile = QFile::encodeName(outside.filePath(u"target.txt"_s));
    const QByteArray dangling = QFile::encodeName(outside.filePath(u"created-by-us.txt"_s));
    for (const char* kind : {"link", "dangling link", "folder", "fifo", "link to a device"}) {
        SCOPED_TRACE(kind);
        HeldFolder held;
        const QByteArray at = QFile::encodeName(held.dir.filePath(u"out.txt"_s));
        const std::string_view what(kind);
        if (what == "link") {
            ASSERT_EQ(::symlink(outsideFile.constData(), at.constData()), 0);
        } else if (what == "dangling link") {
            ASSERT_EQ(::symlink(dangling.constData(), at.constData()), 0);
        } else if (what == "folder") {
            held.dir.makeFolder(u"out.txt"_s);
        } else if (what == "fifo") {
            ASSERT_EQ(::mkfifo(at.constData(), 0644), 0);
        } else {
            ASSERT_EQ(::symlink("/dev/null", at.constData()), 0);
        }
        struct stat before {};
        ASSERT_EQ(::lstat(at.constData(), &before), 0);

        WriteAheadFile log;
        EXPECT_TRUE(log.open(held.handle, u"out.txt"_s));
        GbkSaveFile list(held.handle, u"out.txt"_s);
        EXPECT_TRUE(list.open());
        list.writeLine(u"x"_s);
        EXPECT_TRUE(list.commit());

        struct stat after {};
        ASSERT_EQ(::lstat(at.constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(held.dir.entries(), QStringList{u"out.txt"_s});
        EXPECT_EQ(outside.read(u"target.txt"_s), QByteArray("outside"));
        EXPECT_FALSE(outside.exists(u"created-by-us.txt"_s));
    }
    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    EXPECT_TRUE(S_ISCHR(null.st_mode));
}

// A line that does not fit below the file-size limit is cut off again, the header's as any other; the
// limit makes the write fail instead of ending the program.
TEST(GbkText, LineThatDoesNotFitIsCutOffAndTheFileEndsAtALineEnd) {
    HeldFolder held;
    held.dir.write(u"log.txt"_s, "earlier\r\n");
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit bound{16, 16}; // "two" is cut after two bytes
        ::setrlimit(RLIMIT_FSIZE, &bound);
        WriteAheadFile log;
        const bool fits = !log.open(held.handle, u"log.txt"_s) && !log.writeLine(u"one"_s);
        const std::error_code error = log.writeLine(u"two"_s);
        ::_exit(fits && error == std::errc::file_too_large ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(held.dir.read(u"log.txt"_s), QByteArray("earlier\r\none\r\n"));
}

TEST(GbkText, AppendIntoAFolderOrMissingFolderFails) {
    HeldFolder held;
    held.dir.makeFolder(u"log.txt"_s);
    WriteAheadFile file;
    EXPECT_TRUE(file.open(held.handle, u"log.txt"_s));
    FolderHandle gone;
    EXPECT_TRUE(gone.open(held.dir.filePath(u"gone"_s)));
    EXPECT_TRUE(file.open(gone, u"log.txt"_s));
    EXPECT_TRUE(file.writeLine(u"x"_s));
    // Nor is a list saved into a missing folder, and nothing is left anywhere.
    GbkSaveFile list(gone, u"list.txt"_s);
    EXPECT_TRUE(list.open());
    list.writeLine(u"x"_s);
    EXPECT_TRUE(list.commit());
    EXPECT_EQ(held.dir.entries(), QStringList{u"log.txt"_s});
}

TEST(GbkText, SaveFileReplacesTheAgreedFileWholeOnlyOnCommitWithTheModeOfANewFile) {
    HeldFolder held;
    held.dir.write(u"list.txt"_s, QByteArray(100000, 'o'));
    const QByteArray path = QFile::encodeName(held.dir.filePath(u"list.txt"_s));
    ASSERT_EQ(::chmod(path.constData(), 06777), 0);
    HeldFile agreed;
    ASSERT_TRUE(agreed.open(held.handle, u"list.txt"_s));
    GbkSaveFile file(held.handle, u"list.txt"_s, &agreed);
    ASSERT_FALSE(file.open());
    for (int i = 0; i < 10000; ++i) {
        file.writeLine(u"行"_s);
    }
    EXPECT_EQ(held.dir.read(u"list.txt"_s).size(), 100000) << "the old file stays until the commit";
    ASSERT_FALSE(file.commit());
    EXPECT_EQ(held.dir.read(u"list.txt"_s), QByteArray("\xd0\xd0\r\n").repeated(10000));
    EXPECT_EQ(held.dir.entries(), QStringList{u"list.txt"_s});
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666U & ~mask);

    // Without a file agreed to, nothing at the name is replaced.
    GbkSaveFile again(held.handle, u"list.txt"_s);
    ASSERT_FALSE(again.open());
    again.writeLine(u"x"_s);
    EXPECT_EQ(again.commit(), std::errc::file_exists);
    EXPECT_EQ(held.dir.read(u"list.txt"_s), QByteArray("\xd0\xd0\r\n").repeated(10000));
    EXPECT_EQ(held.dir.entries(), QStringList{u"list.txt"_s});
}

} // namespace
} // namespace filarion::platform
