#include "platform/gbk_text.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui_core/volume_source.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

namespace {

// Writes a picture of each tab and returns, for the screenshot script: <prefix>-rename.png and
// <prefix>-list.png; then <prefix>-preview.png, the rename preview of "照片" replaced by nothing in the shown folder.
int writeScreenshots(filarion::ui::frmMain& window, const QString& prefix) {
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("TabFunction"));
    const std::pair<int, const char*> shots[] = {{0, "-rename.png"}, {1, "-list.png"}};
    for (const auto& [tab, suffix] : shots) {
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        if (!window.grab().save(prefix + QLatin1String(suffix))) {
            return 1;
        }
    }
    tabs->setCurrentIndex(0);
    window.findChild<QLineEdit*>(QStringLiteral("txtReplaceS"))->setText(QStringLiteral("照片"));
    window.findChild<QLineEdit*>(QStringLiteral("txtReplaceT"))->clear();
    bool saved = false;
    QTimer::singleShot(500, &window, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saved = dialog->grab().save(prefix + QLatin1String("-preview.png"));
            dialog->reject();
        }
    });
    window.findChild<QAction*>(QStringLiteral("actPreview"))->trigger();
    return saved ? 0 : 1;
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
    if (!filarion::platform::gbkCodecAvailable()) {
        std::fputs("filarion: this Qt build has no GBK codec (ICU missing)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    filarion::ui::installQtTranslations();
    // Ties the window to its desktop entry, which gives it its name and icon in the task bar (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.filarion.Filarion"));
    QApplication::setFont(filarion::ui::frmMain::windowFont());
    const filarion::ui::SystemVolumeSource volumes;
    filarion::ui::frmMain window(volumes);
    window.setWindowIcon(programIcon());
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    if (const QString prefix = qEnvironmentVariable("FILARION_SCREENSHOT"); !prefix.isEmpty()) {
        QCoreApplication::processEvents();
        return writeScreenshots(window, prefix);
    }
    return QApplication::exec();
}
