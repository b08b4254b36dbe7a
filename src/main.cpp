#include "platform/gbk_codec.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui_core/command_line.h"
#include "ui_core/texts.h"
#include "ui_core/volume_source.h"

#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

using filarion::ui_core::CommandLine;

QString version() {
    return QStringLiteral(FILARION_VERSION);
}

// The help, the version and the errors of the command line need no display: a core application only carries
// Qt's Chinese texts for the parser's own words, and the arguments are read again under it.
int answerWithoutWindow(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    filarion::ui::installQtTranslations();
    const CommandLine line = filarion::ui_core::parseCommandLine(QCoreApplication::arguments(), version());
    const bool failed = line.action == CommandLine::Action::Fail;
    std::fputs(line.output.toLocal8Bit().constData(), failed ? stderr : stdout);
    return failed ? 1 : 0;
}

// Qt ends the program (qFatal, then abort) when no platform plugin can be initialized. While the application is
// being made, Qt's messages are held back. A fatal one after a plugin told that it reached no display (xcb: "could
// not connect to display", Wayland: "Failed to create wl_display") gives way to the program's own message; any
// other fatal one (a platform that does not exist, a device missing) is told as Qt wrote it, after the messages
// held. Either ends the program with status 1; the messages held otherwise are told once the application stands.
QStringList g_heldMessages;

bool toldNoDisplay(const QStringList& messages) {
    return std::any_of(messages.cbegin(), messages.cend(), [](const QString& message) {
        return message.contains(u"could not connect to display") || message.contains(u"Failed to create wl_display");
    });
}

void holdUntilDisplayIsReached(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QString formatted = qFormatLogMessage(type, context, message);
    if (type != QtFatalMsg) {
        g_heldMessages.push_back(formatted);
        return;
    }
    const QString told = toldNoDisplay(g_heldMessages) ? QString::fromUtf16(filarion::ui_core::texts::kNoDisplay)
                                                       : (g_heldMessages + QStringList{formatted}).join(u'\n');
    std::fputs((told + u'\n').toLocal8Bit().constData(), stderr);
    std::_Exit(1);
}

void tellHeldMessages() {
    for (const QString& message : std::as_const(g_heldMessages)) {
        std::fputs((message + u'\n').toLocal8Bit().constData(), stderr);
    }
    g_heldMessages.clear();
}

// The program's icon in every size of the icon theme, so that it stays sharp at any scale. The executable
// carries it: it is there when the program runs from its build folder too.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/filarion/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLine line = filarion::ui_core::parseCommandLine(arguments, version());
    if (line.action != CommandLine::Action::OpenWindow) {
        return answerWithoutWindow(argc, argv);
    }
    if (!filarion::platform::gbkCodecAvailable()) {
        std::fputs("filarion: this Qt build has no GBK codec (ICU missing)\n", stderr);
        return 1;
    }
    const QtMessageHandler qtMessages = qInstallMessageHandler(holdUntilDisplayIsReached);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    tellHeldMessages();
    filarion::ui::installQtTranslations();
    // Ties the window to its desktop entry, which gives it its name and icon in the task bar (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.filarion.Filarion"));
    QApplication::setFont(filarion::ui::frmMain::windowFont());
    const filarion::ui_core::SystemVolumeSource volumes;
    filarion::ui::WindowServices services;
    // A folder given is read instead of the working folder, and shown in the first frame when it answers in time.
    filarion::ui::frmMain window(volumes, services, line.folder);
    window.setWindowIcon(programIcon());
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
