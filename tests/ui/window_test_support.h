#pragma once

#include "support/listed_volumes.h"
#include "ui/main_window.h"

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

namespace filarion::test {

// What a message box looked like when it came up.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool boxEnabled = false;
    bool windowEnabled = true; // the main window, while the box was open
    bool fitsScreen = false;   // the whole box lies on its screen's free area
};

// Answers the program's modal message boxes while a test drives the window: every box that comes up is
// recorded and answered with the next queued answer. An answer of NoButton presses Enter, which takes the
// box's default button. A box with no answer queued is answered with Enter too and shows up in `seen`,
// so an unexpected box fails the comparison instead of hanging the test.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QWidget* window);

    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }

    // Runs while a box is open, before it is answered.
    std::function<void()> whileOpen;

    QList<SeenBox> seen;

private:
    void poll();

    QWidget* m_window;
    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
};

// The main window on the system's volumes or on a test's, shown and active, so that focus events flow.
std::unique_ptr<ui::frmMain> openWindow(const ui_core::VolumeSource& volumes);

// The main window on the system's volumes, shown and active, its folder list set to the folder; nothing when
// either fails.
std::unique_ptr<ui::frmMain> openWindowIn(const QString& folder);

// The object name of the frame's checked option, or "" when none is checked.
QString checkedOption(const QWidget& frame);
// Clicks the tab strip's tab with that index.
void clickTab(const QWidget& window, int tab);

// Everything in the window is back to normal: enabled, the normal pointer, the bar at 0.
void verifyIdle(const QWidget& window);

// The control of that name; fails the test through a null pointer when it is missing.
template <typename T> T* control(const QWidget& window, const QString& name) {
    return window.findChild<T*>(name);
}

// The names the file list shows, in its order.
QStringList listed(const QWidget& window);

// A left click in the middle of the widget.
void clickOn(QWidget* widget);

// Types the text into the widget one character at a time, as key presses that carry the character.
void typeText(QWidget* widget, const QString& text);

// The control name of the widget that has the focus: the focus widget itself or, for the parts of a
// compound control (the line edit of a combo box, the tab bar of the tab strip), its nearest named parent.
QString focusedControl();

} // namespace filarion::test
