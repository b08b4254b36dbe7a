#include "window_test_support.h"

#include "ui/folder_list.h"
#include "ui_core/volume_source.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
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

using namespace Qt::StringLiterals;

RetryingAnswerer::RetryingAnswerer(Find find, std::function<Answer(QWidget*)> first)
    : m_find(std::move(find)), m_first(std::move(first)) {
    connect(&m_timer, &QTimer::timeout, this, &RetryingAnswerer::poll);
    m_timer.start(10);
}

// Runs from the open window's own event loop. A retry waits longer than a button pressed by its access key
// takes to click.
void RetryingAnswerer::poll() {
    constexpr qint64 kRetryAfter = 300;
    QWidget* open = m_find();
    if (open == nullptr || !open->isVisible()) {
        m_open = nullptr; // a window shown again is answered again
        return;
    }
    if (open != m_open) {
        m_open = open;
        m_since.start();
        m_answer = m_first(open);
    } else if (m_lastTry.elapsed() < kRetryAfter) {
        return;
    } else if (m_since.elapsed() > kEventWait) {
        // A message box by its text, any other window by its name and caption.
        const QString what = open->objectName() + u' ' + open->windowTitle() + u' ' + open->property("text").toString();
        QTest::qFail(qPrintable(u"A modal window was still open after every answer given it: "_s + what), __FILE__,
                     __LINE__);
        open->close();
        if (auto* dialog = qobject_cast<QDialog*>(open)) {
            dialog->reject();
        }
        return;
    }
    m_lastTry.start();
    if (m_answer) {
        m_answer(open);
    }
}

BoxAnswerer::BoxAnswerer(QWidget* window)
    : m_window(window), m_answerer([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                                   [this](QWidget* open) { return firstSight(static_cast<QMessageBox*>(open)); }) {}

RetryingAnswerer::Answer BoxAnswerer::firstSight(QMessageBox* box) {
    SeenBox shown;
    shown.text = box->text();
    shown.title = box->windowTitle();
    shown.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
        shown.buttons |= box->standardButton(button);
        shown.captions << button->text();
    }
    if (QPushButton* defaultButton = box->defaultButton()) {
        shown.defaultButton = box->standardButton(defaultButton);
        shown.defaultCaption = defaultButton->text();
    }
    shown.boxEnabled = box->isEnabled();
    shown.windowEnabled = m_window == nullptr || m_window->isEnabled();
    shown.fitsScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
    seen.push_back(shown);
    if (whileOpen) {
        whileOpen();
    }
    const Queued queued = m_answers.empty() ? Queued{QMessageBox::NoButton, Qt::Key_Return, {}} : m_answers.front();
    if (!m_answers.empty()) {
        m_answers.pop_front();
    }
    if (queued.button != QMessageBox::NoButton && box->button(queued.button) != nullptr) {
        return [button = queued.button](QWidget* open) { static_cast<QMessageBox*>(open)->button(button)->click(); };
    }
    const Queued key = queued.key == Qt::Key_unknown ? Queued{QMessageBox::NoButton, Qt::Key_Return, {}} : queued;
    return [key](QWidget* open) {
        if (key.modifiers == Qt::NoModifier || QApplication::activeWindow() == open) {
            QTest::keyClick(open, key.key, key.modifiers);
        }
    };
}

namespace {

// The window with services of its own, made before it as the program makes them.
struct OwnServices {
    ui::WindowServices services;
};
class WindowWithServices : private OwnServices, public ui::frmMain {
public:
    WindowWithServices(const ui_core::VolumeSource& volumes, const std::optional<QString>& given)
        : frmMain(volumes, services, given) {}
};

} // namespace

std::unique_ptr<ui::frmMain> openWindow(const ui_core::VolumeSource& volumes, const std::optional<QString>& given) {
    std::unique_ptr<ui::frmMain> window = std::make_unique<WindowWithServices>(volumes, given);
    window->show();
    window->activateWindow();
    // The start folder is read on a thread of its own; the tests begin from its lists.
    // A message about a folder given comes over the window as it shows; once it is answered, the window is
    // made active again where the platform does not (offscreen).
    const bool active = QTest::qWaitFor(
        [&] {
            if (!window->isActiveWindow() && QApplication::activeModalWidget() == nullptr) {
                window->activateWindow();
            }
            return window->isActiveWindow();
        },
        kEventWait);
    if (!active || !QTest::qWaitFor([&] { return !window->starting(); }, kEventWait)) {
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
