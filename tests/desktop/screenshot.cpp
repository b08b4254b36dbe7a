// The README's pictures of the real window, for scripts/screenshot. Usage: filarion_screenshot PREFIX
// Shows the main window in the working folder as the program starts it, grabs each tab into
// PREFIX-rename.png and PREFIX-list.png, then the rename preview of a replace into PREFIX-preview.png, and
// exits: 0 when every picture was written.
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui_core/volume_source.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

namespace {

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

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: filarion_screenshot PREFIX\n", stderr);
        return 2;
    }
    // As the program sets itself up: Qt's Chinese texts and the window's font for every window.
    filarion::ui::installQtTranslations();
    QApplication::setFont(filarion::ui::frmMain::windowFont());
    const filarion::ui_core::SystemVolumeSource volumes;
    filarion::ui::WindowServices services;
    filarion::ui::frmMain window(volumes, services);
    window.show();
    // The start folder is read on a thread of its own; the pictures show its lists.
    while (window.starting()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QCoreApplication::processEvents();
    return writeScreenshots(window, QString::fromLocal8Bit(argv[1]));
}
