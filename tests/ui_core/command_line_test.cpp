#include "ui_core/command_line.h"
#include "ui_core/texts.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {
using namespace Qt::StringLiterals;

// The program itself, where no display can be reached: a window would need one and abort.
TEST(CommandLine, ProgramAnswersWithoutDisplayAndFailsOnWhatItDoesNotKnow) {
    const auto text = [](const char16_t* literal) { return QString::fromUtf16(literal); };
    using filarion::ui_core::texts::kCliFolderHelp, filarion::ui_core::texts::kCliOneFolderOnly,
        filarion::ui_core::texts::kNoDisplay;
    // Each case: the arguments, the platform plugin, the status, what standard output starts with, and what it
    // holds (status 0) or what standard error is (a failure): where the platform does not exist, Qt's own words
    // are part of it and the no-display message is not.
    const std::tuple<QStringList, QString, int, QString, QString> cases[] = {
        {{u"--help"_s}, u"xcb"_s, 0, u"用法："_s, text(kCliFolderHelp)},
        {{u"-h"_s}, u"xcb"_s, 0, u"用法："_s, u"--version"_s},
        {{u"--version"_s}, u"xcb"_s, 0, u"filarion " FILARION_VERSION "\n"_s, {}},
        {{u"--bogus"_s}, u"xcb"_s, 1, {}, u"filarion: 未知选项“bogus”。\n"_s},
        {{u"a"_s, u"b"_s}, u"xcb"_s, 1, {}, u"filarion: "_s + text(kCliOneFolderOnly) + u'\n'},
        // The window needs a display: without one, no window and no Qt message, the program's own.
        {{}, u"xcb"_s, 1, {}, text(kNoDisplay) + u'\n'},
        {{u"/"_s}, u"xcb"_s, 1, {}, text(kNoDisplay) + u'\n'},
        // Any other fatal message of Qt is told as Qt wrote it.
        {{}, u"nosuch"_s, 1, {}, u"\"nosuch\""_s},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    for (const auto& [arguments, platform, status, start, part] : cases) {
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(FILARION_PROGRAM), arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), status) << arguments.join(u' ').toStdString();
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString err = QString::fromUtf8(program.readAllStandardError());
        // Help and version on standard output, errors on standard error, and nothing else.
        EXPECT_EQ(status == 0 ? err : out, QString());
        const bool errorAsExpected =
            platform == u"xcb"_s ? err == part : err.contains(part) && !err.contains(text(kNoDisplay));
        EXPECT_TRUE((status == 0 ? out.startsWith(start) && out.contains(part) : errorAsExpected))
            << (out + err).toStdString();
    }
}

// A quoted path keeps its beginning and its end within the limit, and never half a character.
TEST(CommandLine, LongPathsAreElidedInTheMiddleWithoutSplittingACharacter) {
    using filarion::ui_core::elideMiddle;
    for (const QString& path : {u"/home/照片"_s, QString(120, u'a')}) {
        EXPECT_EQ(elideMiddle(path), path);
    }
    for (const QString& path : {u"/"_s + u"目录/"_s.repeated(1700), u"/😀"_s.repeated(100), u"a😀"_s.repeated(100)}) {
        const QString elided = elideMiddle(path);
        EXPECT_LE(elided.size(), 120);
        EXPECT_GE(elided.size(), 118);
        const qsizetype cut = elided.indexOf(u'…');
        ASSERT_GT(cut, 0);
        EXPECT_TRUE(path.startsWith(elided.left(cut)));
        EXPECT_TRUE(path.endsWith(elided.mid(cut + 1)));
        EXPECT_FALSE(elided.at(cut - 1).isHighSurrogate());
        EXPECT_FALSE(elided.at(cut + 1).isLowSurrogate());
    }
}

} // namespace
