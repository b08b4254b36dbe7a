#include "window_test_support.h"

#include "ui/folder_list.h"
#include "ui_core/volume_source.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QGuiApplication>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace filarion::test {

BoxAnswerer::BoxAnswerer(QWidget* window) : m_window(window) {
    connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::poll);
    m_timer.start(10);
}

void BoxAnswerer::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) {
        return;
    }
    box->setProperty("answered", true);
    QMessageBox::StandardButtons buttons;
    for (QAbstractButton* button : box->buttons()) {
        buttons |= box->standardButton(button);
    }
    QPushButton* defaultButton = box->defaultButton();
    seen.push_back({box->text(), box->windowTitle(), box->icon(), buttons,
                    defaultButton != nullptr ? box->standardButton(defaultButton) : QMessageBox::NoButton,
                    box->isEnabled(), m_window == nullptr || m_window->isEnabled(),
                    box->screen()->availableGeometry().contains(box->frameGeometry())});
    if (whileOpen) {
        whileOpen();
    }
    const QMessageBox::StandardButton answer = m_answers.empty() ? QMessageBox::NoButton : m_answers.front();
    if (!m_answers.empty()) {
        m_answers.pop_front();
    }
    if (answer == QMessageBox::NoButton || box->button(answer) == nullptr) {
        QTest::keyClick(box, Qt::Key_Return);
    } else {
        box->button(answer)->click();
    }
}

namespace {

// The window with services of its own, made before it as the program makes them.
struct OwnServices {
    ui::WindowServices services;
};
class WindowWithServices : private OwnServices, public ui::frmMain {
public:
    explicit WindowWithServices(const ui_core::VolumeSource& volumes) : frmMain(volumes, services) {}
};

} // namespace

std::unique_ptr<ui::frmMain> openWindow(const ui_core::VolumeSource& volumes) {
    std::unique_ptr<ui::frmMain> window = std::make_unique<WindowWithServices>(volumes);
    window->show();
    window->activateWindow();
    // The start folder is read on a thread of its own; the tests begin from its lists.
    if (!QTest::qWaitForWindowActive(window.get()) || !QTest::qWaitFor([&] { return !window->starting(); }, 30000)) {
        return nullptr;
    }
    return window;
}

std::unique_ptr<ui::frmMain> openWindowIn(const QString& folder) {
    static const ui_core::SystemVolumeSource volumes;
    auto window = openWindow(volumes);
    if (window == nullptr || !control<ui::FolderList>(*window, QStringLiteral("dirTrim"))->setPath(folder)) {
        return nullptr;
    }
    return window;
}

void verifyIdle(const QWidget& window) {
    QVERIFY(window.isEnabled());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(control<QProgressBar>(window, QStringLiteral("proCourse"))->value(), 0);
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar character : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
}

QString focusedControl() {
    for (QWidget* widget = QApplication::focusWidget(); widget != nullptr; widget = widget->parentWidget()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_")) {
            return widget->objectName();
        }
    }
    return {};
}

QStringList listed(const QWidget& window) {
    const QAbstractItemModel* model = control<QListView>(window, QStringLiteral("filTrim"))->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row) {
        names.push_back(model->index(row, 0).data().toString());
    }
    return names;
}

void clickOn(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

QString checkedOption(const QWidget& frame) {
    for (const QRadioButton* option : frame.findChildren<QRadioButton*>()) {
        if (option->isChecked()) {
            return option->objectName();
        }
    }
    return {};
}

void clickTab(const QWidget& window, int tab) {
    auto* bar = control<QTabWidget>(window, QStringLiteral("TabFunction"))->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

} // namespace filarion::test
