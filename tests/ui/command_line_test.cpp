#include "support/temp_folder.h"
#include "ui_core/command_line.h"
#include "ui_core/texts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace filarion::ui {
namespace {
using namespace Qt::StringLiterals;
using Action = CommandLine::Action;

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

TEST(CommandLine, ReadsTheFolderTheOptionsAndRefusesWhatItDoesNotKnow) {
    struct Case {
        QStringList arguments;
        Action action;
        std::optional<QString> folder;
        QString output; // a part of it
    };
    const Case cases[] = {
        {{}, Action::OpenWindow, std::nullopt, {}},
        {{u"/home/user/照片"_s}, Action::OpenWindow, u"/home/user/照片"_s, {}},
        {{u"--"_s, u"-名"_s}, Action::OpenWindow, u"-名"_s, {}},
        {{u"-h"_s}, Action::ShowHelp, std::nullopt, text(texts::kCliFolderHelp)},
        {{u"--help"_s, u"/tmp"_s}, Action::ShowHelp, std::nullopt, text(texts::kCliVersionOption)},
        {{u"--version"_s}, Action::ShowVersion, std::nullopt, u"filarion 9.05\n"_s},
        {{u"--bogus"_s}, Action::Fail, std::nullopt, u"filarion: "_s},
        {{u"a"_s, u"b"_s}, Action::Fail, std::nullopt, u"filarion: "_s + text(texts::kCliOneFolderOnly) + u'\n'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = parseCommandLine(QStringList{u"filarion"_s} + c.arguments, u"9.05"_s);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.folder, c.folder);
        EXPECT_TRUE(line.output.contains(c.output)) << line.output.toStdString();
        EXPECT_EQ(line.output.isEmpty(), c.action == Action::OpenWindow);
    }
}

TEST(CommandLine, StartFolderIsTheFolderOrTheFolderOfAFileFromTheWorkingFolder) {
    test::TempFolder root;
    root.makeFolder(u"照片"_s);
    root.touch(u"照片/a.JPG"_s);
    ASSERT_TRUE(QFile::link(root.filePath(u"照片"_s), root.filePath(u"link"_s)));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const QString photos = root.filePath(u"照片"_s);
    EXPECT_EQ(startFolderOf(photos), photos);
    EXPECT_EQ(startFolderOf(photos + u"/"_s), photos);
    EXPECT_EQ(startFolderOf(photos + u"/a.JPG"_s), photos);
    EXPECT_EQ(startFolderOf(u"照片/../照片"_s), photos);
    EXPECT_EQ(startFolderOf(u"link"_s), root.filePath(u"link"_s));
    EXPECT_EQ(startFolderOf(u"missing"_s), std::nullopt);
    EXPECT_EQ(startFolderOf(QString()), std::nullopt);
    ASSERT_TRUE(QDir::setCurrent(before));
}

// The installed way in: the program itself, where no display can be reached and no platform plugin loaded.
TEST(CommandLine, ProgramAnswersHelpVersionAndErrorsWithoutDisplay) {
    struct Case {
        QString argument;
        int status;
        QString out;
        QString err;
    };
    const Case cases[] = {
        {u"--help"_s, 0, text(texts::kCliFolderHelp), {}},
        {u"-h"_s, 0, u"用法："_s, {}},
        {u"--version"_s, 0, u"filarion " FILARION_VERSION "\n"_s, {}},
        {u"--bogus"_s, 1, {}, u"filarion: "_s},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s); // a window would need a display and abort
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(FILARION_PROGRAM), {c.argument});
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE(out.contains(c.out) && out.isEmpty() == c.out.isEmpty()) << out.toStdString();
        EXPECT_TRUE(err.startsWith(c.err) && err.isEmpty() == c.err.isEmpty()) << err.toStdString();
    }
}

} // namespace
} // namespace filarion::ui
