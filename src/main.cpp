#include "platform/gbk_text.h"
#include "ui/main_window.h"
#include "ui_core/volume_source.h"

#include <QApplication>
#include <QTabWidget>
#include <cstdio>

namespace {

// Writes a picture of each tab and returns, for the screenshot script: <prefix>-rename.png and
// <prefix>-list.png.
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
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!filarion::platform::gbkCodecAvailable()) {
        std::fputs("filarion: this Qt build has no GBK codec (ICU missing)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setFont(filarion::ui::frmMain::windowFont());
    const filarion::ui::SystemVolumeSource volumes;
    filarion::ui::frmMain window(volumes);
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    if (const QString prefix = qEnvironmentVariable("FILARION_SCREENSHOT"); !prefix.isEmpty()) {
        QCoreApplication::processEvents();
        return writeScreenshots(window, prefix);
    }
    return QApplication::exec();
}
