#include "ui/window_services.h"

#include "ui_core/texts.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

namespace filarion::ui {

namespace {

// A message box over the window. It has no parent widget: a child of the window would be disabled with it
// while a command runs. It is modal for the whole program and stands over the window instead. Over the
// wait pointer of a running command it shows the normal pointer.
int runBox(QWidget* window, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QString::fromUtf16(ui_core::texts::kAppTitle), text, buttons);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(defaultButton);
    if (window != nullptr) {
        box.setWindowIcon(window->windowIcon());
        box.winId();
        if (QWindow* handle = box.windowHandle(); handle != nullptr && window->windowHandle() != nullptr) {
            handle->setTransientParent(window->windowHandle());
        }
    }
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const int result = box.exec();
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
    return result;
}

} // namespace

WindowServices::WindowServices(QWidget& window, QProgressBar& bar, std::function<void()> refresh) {
    attach(window, bar, std::move(refresh));
}

void WindowServices::attach(QWidget& window, QProgressBar& bar, std::function<void()> refresh) {
    m_window = &window;
    m_bar = &bar;
    m_refresh = std::move(refresh);
}

void WindowServices::detach() {
    m_window = nullptr;
    m_bar = nullptr;
    m_refresh = nullptr;
}

void WindowServices::showMessage(const QString& text) {
    // A message while the window is still being built (a folder given on the command line that cannot be
    // opened) comes over the window once it is shown, from the event loop.
    if (m_window != nullptr && !m_window->isVisible()) {
        QTimer::singleShot(0, m_window.data(), [window = m_window, text] {
            runBox(window.data(), QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
        });
        return;
    }
    runBox(m_window.data(), QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool WindowServices::askYesNo(const QString& text) {
    return runBox(m_window.data(), QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void WindowServices::setProgress(int value) {
    if (m_bar != nullptr) {
        m_bar->setValue(value);
    }
}

void WindowServices::enterBusy() {
    m_focus = QApplication::focusWidget();
    if (m_window != nullptr) {
        m_window->setEnabled(false);
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    setProgress(0);
    // Lets the disabled window and the pointer show; input that arrives meanwhile meets a disabled window.
    QCoreApplication::processEvents();
}

void WindowServices::leaveBusy() {
    setProgress(0);
    // Clicks and keys that reached the window while the command ran are still queued. They are handled
    // now, while the window is disabled, which drops them: delivered after it is enabled they would start
    // the command again.
    QGuiApplication::sync();
    QGuiApplication::restoreOverrideCursor();
    if (m_window != nullptr) {
        m_window->setEnabled(true);
    }
    // Disabling the window took the focus away; it goes back where the user left it.
    if (m_focus != nullptr && m_focus->isVisible() && m_focus->isEnabled()) {
        m_focus->setFocus(Qt::OtherFocusReason);
    }
    m_focus = nullptr;
}

void WindowServices::refreshFileList() {
    if (m_refresh) {
        m_refresh();
    }
}

} // namespace filarion::ui
