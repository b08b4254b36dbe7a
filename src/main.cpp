#include "ui/main_window.h"
#include "ui_core/volume_source.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

namespace {

// Writes a picture of each tab and returns, for the screenshot script: <prefix>-rename.png and
// <prefix>-list.png; then <prefix>-preview.png, the rename preview of a replace in the shown folder.
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
    window.findChild<QLineEdit*>(QStringLiteral("txtReplaceT"))->setText(QStringLiteral("西湖"));
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
