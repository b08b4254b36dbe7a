#pragma once

#include "support/listed_volumes.h"
#include "ui/main_window.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace filarion::test {

// How long a test waits at most for a window event (a box, a dialog, a repaint, the start folder's lists)
// before it fails: long enough for a sanitized build on a loaded machine, short of the suite's timeout.
constexpr int kEventWait = 30000;

// What a message box looked like when it came up.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList captions; // the buttons' captions, in the box's order
    QString defaultCaption;
    bool boxEnabled = false;
    bool windowEnabled = true; // the main window, while the box was open
    bool fitsScreen = false;   // the whole box lies on its screen's free area
};

// Gives a modal window that comes up its answer, again and again while it stays open (a key can reach a
// window before the system has made it active, and is then lost), until kEventWait has passed; then the test
// fails with a message and the window is closed, so that no test ever hangs on a window nobody answers.
// `find` picks the window to answer among those open (nothing: none); `first` runs once when a window comes
// up and tells how it is answered, which the retries repeat.
class RetryingAnswerer : public QObject {
public:
    using Find = std::function<QWidget*()>;
    using Answer = std::function<void(QWidget*)>;
    RetryingAnswerer(Find find, std::function<Answer(QWidget*)> first);

private:
    void poll();

    Find m_find;
    std::function<Answer(QWidget*)> m_first;
    QPointer<QWidget> m_open; // the window being answered
    Answer m_answer;
    QElapsedTimer m_since;
    QElapsedTimer m_lastTry;
    QTimer m_timer;
};

// Answers the program's modal message boxes while a test drives the window: every box that comes up is
// recorded and answered with the next queued answer, a button or a key. An answer of NoButton presses Enter,
// which takes the box's default button. A box with no answer queued is answered with Enter too and shows up
// in `seen`, so an unexpected box fails the comparison instead of hanging the test. A key with a modifier is
// pressed only in the active box (an access key reaches nothing else); every answer is given again while
// the box stays open.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QWidget* window);

    void answer(QMessageBox::StandardButton button) { m_answers.push_back({button, Qt::Key_unknown, {}}); }
    void answerKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        m_answers.push_back({QMessageBox::NoButton, key, modifiers});
    }

    // Runs while a box is open, before it is answered.
    std::function<void()> whileOpen;

    QList<SeenBox> seen;

private:
    struct Queued {
        QMessageBox::StandardButton button;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    RetryingAnswerer::Answer firstSight(QMessageBox* box);

    QWidget* m_window;
    std::deque<Queued> m_answers;
    RetryingAnswerer m_answerer;
};

// The main window on the system's volumes or on a test's, shown and active, so that focus events flow; started
// in the folder given as on the command line, when one is.
std::unique_ptr<ui::frmMain> openWindow(const ui_core::VolumeSource& volumes,
                                        const std::optional<QString>& given = std::nullopt);

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
