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
class WindowServices : public engine::CommandServices {
public:
    WindowServices(QWidget& window, QProgressBar& bar, std::function<void()> refresh);

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void setProgress(int value) override;
    void enterBusy() override;
    void leaveBusy() override;
    void refreshFileList() override;

private:
    QWidget& m_window;
    QProgressBar& m_bar;
    std::function<void()> m_refresh;
    QPointer<QWidget> m_focus; // the control that had the focus when the window was disabled
};

} // namespace filarion::ui
