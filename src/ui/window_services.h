#pragma once

#include "engine/command_services.h"

#include <QPointer>
#include <functional>

class QProgressBar;
class QWidget;

namespace filarion::ui {

// What the commands need from the main window, done with the window's own means. The one place that
// opens message boxes: every message has the information icon, one OK button and the caption Filarion;
// the one question has Yes and No, the question icon and No as its default.
// The program makes them before the window, which attaches its bar and its file list's refresh to them.
class WindowServices : public engine::CommandServices {
public:
    WindowServices() = default;
    WindowServices(QWidget& window, QProgressBar& bar, std::function<void()> refresh);

    void attach(QWidget& window, QProgressBar& bar, std::function<void()> refresh);
    // Once the window is gone: messages have no window to stand over, and nothing shows progress or refreshes.
    void detach();

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void setProgress(int value) override;
    void enterBusy() override;
    void leaveBusy() override;
    void refreshFileList() override;

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressBar> m_bar;
    std::function<void()> m_refresh;
    QPointer<QWidget> m_focus; // the control that had the focus when the window was disabled
};

} // namespace filarion::ui
