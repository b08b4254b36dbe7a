#include "window_bench.h"

#include "child_process.h"
#include "job_guard.h"
#include "peak_memory.h"
#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui/folder_list.h"
#include "ui/main_window.h"
#include "ui_core/texts.h"
#include "ui_core/volume_source.h"
#include "ui_core/working_set.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>
#include <utility>
#include <vector>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

QString qtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

double cpuSecondsNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A QElapsedTimer and the processor time beside it.
class WindowClock {
public:
    WindowClock() : m_cpuStart(cpuSecondsNow()) { m_wall.start(); }

    Sample elapsed() const { return {static_cast<double>(m_wall.nsecsElapsed()) * 1e-9, cpuSecondsNow() - m_cpuStart}; }

private:
    QElapsedTimer m_wall;
    double m_cpuStart;
};

// Counts the paint events a widget gets; on the first one, calls back once that paint has finished.
// The widget may go first: Qt forgets a filter when either side is deleted.
class PaintWatch : public QObject {
public:
    // Only paints made once `ready` holds (always, without it) count.
    explicit PaintWatch(QWidget* widget, std::function<void()> firstPainted = {}, std::function<bool()> ready = {})
        : m_widget(widget), m_firstPainted(std::move(firstPainted)), m_ready(std::move(ready)) {
        widget->installEventFilter(this);
    }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint && (!m_ready || m_ready()) && ++paints == 1 &&
            m_firstPainted) {
            // The paint itself runs when this returns; the frame is flushed before the event loop
            // comes round again.
            QTimer::singleShot(0, this, m_firstPainted);
        }
        return false;
    }

private:
    QWidget* m_widget;
    std::function<void()> m_firstPainted;
    std::function<bool()> m_ready;
};

// Qt's note that XDG_RUNTIME_DIR is not set, printed by every QApplication of a bench run, is dropped.
QtMessageHandler g_previousHandler = nullptr;

void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(u"QStandardPaths:"_s)) {
        return;
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

void installQuietMessages() {
    if (QtMessageHandler previous = qInstallMessageHandler(quietMessages); previous != quietMessages) {
        g_previousHandler = previous;
    }
}

template <typename T> T* control(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) {
        std::fprintf(stderr, "filarion_bench: the window has no control %s\n", qPrintable(name));
        std::exit(2);
    }
    return found;
}

// A first listing of a fresh folder under the start-up pattern, as the window's start-up reads it.
Sample firstRefresh(const std::string& folder, int n, std::string& note) {
    ui_core::WorkingSet set;
    set.setFolder(qtPath(folder));
    set.setPatternText(QString::fromUtf16(ui_core::texts::kStartPattern));
    const Stopwatch watch;
    set.refresh();
    const Sample sample = watch.elapsed();
    if (note.empty() && set.count() != n) {
        note = "NOT DONE: the WorkingSet listed " + std::to_string(set.count()) + " of " + std::to_string(n);
    }
    return sample;
}

// Start-up, each run a child process given a fresh folder as a file manager gives it (the folder on the command
// line, the working folder elsewhere), so every run is a cold start of the window; the first listing of the
// same folder alone next to it, in turns first.
void benchStartUp(BenchReport& report, InodePool& pool, int n, int runs) {
    const std::string self = ownProgramPath();
    const std::string resultFile = pool.base() + "/window-job.txt";
    std::vector<Sample> floor;
    std::vector<Sample> firstFrame;
    std::vector<Sample> bothTabs;
    std::vector<Sample> process;
    long peakKb = 0;
    std::string note;
    for (int round = 0; round < runs; ++round) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        for (int k = 0; k < 2; ++k) {
            if ((k + round) % 2 == 0) {
                floor.push_back(firstRefresh(folder.path(), n, note));
                continue;
            }
            ::unlink(resultFile.c_str());
            const ChildRun run = runChild({self, "--window-job", resultFile, folder.path()}, pool.base());
            process.push_back({run.seconds, run.cpuSeconds});
            std::ifstream result(resultFile);
            Sample sample;
            Sample both;
            long rows = -1;
            long kilobytes = 0;
            if (run.exitCode == 0 &&
                result >> sample.seconds >> sample.cpuSeconds >> rows >> both.seconds >> both.cpuSeconds >> kilobytes) {
                firstFrame.push_back(sample);
                bothTabs.push_back(both);
                peakKb = std::max(peakKb, kilobytes);
            }
            if (note.empty() && run.exitCode == kBoxExit) {
                note = boxNote(resultFile);
            }
            if (note.empty() && (run.exitCode != 0 || rows != n)) {
                note = "NOT DONE: exit code " + std::to_string(run.exitCode) + ", " + std::to_string(rows) + " of " +
                       std::to_string(n) + " rows shown";
            }
        }
    }
    ::unlink(resultFile.c_str());
    report.add(kWindowStartUpFloor, n, floor, {});
    report.add(kWindowStartUp, n, firstFrame, kWindowStartUpFloor, note);
    report.add(kWindowStartUpProcess, n, process, kWindowStartUpFloor, note);
    report.add(kWindowBothTabs, n, bothTabs, kWindowStartUpFloor, note);
    report.addMemory(kWindowBothTabs, n, peakKb);
}

// Lets the view lay out what changed and paints it now: what the event loop does after a handler.
void redisplay(QListView* list) {
    QCoreApplication::processEvents();
    list->viewport()->repaint();
}

// One keystroke in the pattern box, in this process: the window on a fresh folder, then "*" typed
// after "*.JPG" and taken back with Backspace. Both patterns match every name, so each keystroke
// re-reads the whole folder and shows all n names again. Timed from the key press until the file list
// has been laid out and painted. The floor is a WorkingSet holding the same listing, re-read under the
// same new pattern.
void benchKeystroke(BenchReport& report, InodePool& pool, int n, int runs) {
    installQuietMessages();
    int argc = 1;
    char program[] = "filarion_bench";
    char* argv[] = {program, nullptr};
    QApplication app(argc, argv);
    QApplication::setFont(ui::frmMain::windowFont());
    const ui_core::SystemVolumeSource volumes;
    ui::WindowServices services;
    auto window = std::make_unique<ui::frmMain>(volumes, services);
    window->show();
    window->activateWindow();
    (void)QTest::qWaitForWindowExposed(window.get());
    auto* folders = control<ui::FolderList>(*window, u"dirTrim"_s);
    auto* list = control<QListView>(*window, u"filTrim"_s);
    QLineEdit* edit = control<QComboBox>(*window, u"comPostfix"_s)->lineEdit();
    edit->setFocus(Qt::OtherFocusReason);
    PaintWatch paints(list->viewport());

    std::vector<Sample> floor;
    std::vector<Sample> keystroke;
    std::string note;
    const auto check = [&](const char* what, bool good) {
        if (note.empty() && !good) {
            note = std::string("NOT DONE: ") + what;
        }
    };
    for (int round = 0; round < runs; ++round) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        const QString path = qtPath(folder.path());
        folders->setPath(path);
        redisplay(list);
        check("the window did not open the folder", window->workingSet().folder() == path);
        ui_core::WorkingSet alone;
        alone.setFolder(path);
        alone.setPatternText(edit->text());
        alone.refresh();
        for (int stroke = 0; stroke < 2; ++stroke) {
            const bool append = stroke == 0;
            const QString typed = append ? edit->text() + u'*' : edit->text().chopped(1);
            edit->deselect();
            edit->end(false);
            for (int k = 0; k < 2; ++k) {
                if ((k + round + stroke) % 2 == 0) {
                    alone.setPatternText(typed);
                    const Stopwatch watch;
                    alone.refresh();
                    floor.push_back(watch.elapsed());
                    check("the WorkingSet did not list every file", alone.count() == n);
                    continue;
                }
                paints.paints = 0;
                const WindowClock clock;
                if (append) {
                    QTest::keyClick(edit, '*');
                } else {
                    QTest::keyClick(edit, Qt::Key_Backspace);
                }
                redisplay(list);
                keystroke.push_back(clock.elapsed());
                check("the keystroke did not change the pattern", window->workingSet().patternText() == typed);
                check("the file list does not show every file",
                      window->workingSet().count() == n && list->model()->rowCount() == n);
                check("the file list was not painted", paints.paints > 0);
            }
        }
    }
    window.reset();
    report.add(kWindowKeystrokeFloor, n, floor, {});
    report.add(kWindowKeystroke, n, keystroke, kWindowKeystrokeFloor, note);
}

} // namespace

void benchWindow(BenchReport& report, InodePool& pool, int n, int runs) {
    benchStartUp(report, pool, n, runs);
    benchKeystroke(report, pool, n, runs);
}

int runWindowJob(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: filarion_bench --window-job RESULTFILE [FOLDER]\n", stderr);
        return 2;
    }
    const std::string resultFile = argv[2];
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    installQuietMessages();
    // As the program starts its window, from the QApplication on.
    const WindowClock clock;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(ui::frmMain::windowFont());
    const ui_core::SystemVolumeSource volumes;
    ui::WindowServices services;
    ui::frmMain window(volumes, services, argc == 4 ? std::optional(qtPath(argv[3])) : std::nullopt);
    const BoxGuard boxes(resultFile);
    QApplication::setWindowIcon(window.windowIcon());
    auto* list = control<QListView>(window, u"filTrim"_s);
    auto* tabs = control<QTabWidget>(window, u"TabFunction"_s);
    Sample firstFrame;
    Sample bothTabs;
    // After the first frame, the other tab is chosen and drawn: the window then has shown all it holds.
    std::unique_ptr<PaintWatch> otherTab;
    PaintWatch watch(
        list->viewport(),
        [&] {
            firstFrame = clock.elapsed();
            const bool renameTab = tabs->currentIndex() == 0;
            otherTab = std::make_unique<PaintWatch>(
                control<QGroupBox>(window, renameTab ? u"frmBill"_s : u"frmRename"_s), [&] {
                    bothTabs = clock.elapsed();
                    QCoreApplication::quit();
                });
            tabs->setCurrentIndex(renameTab ? 1 : 0);
        },
        [&window] { return !window.starting(); }); // the first frame that shows the start folder's files
    // A window that never paints ends the job without a figure.
    QTimer::singleShot(120'000, &app, [] { QCoreApplication::exit(1); });
    window.show();
    if (QApplication::exec() != 0) {
        return 1;
    }
    std::ofstream result(resultFile);
    result.precision(9);
    result << firstFrame.seconds << ' ' << firstFrame.cpuSeconds << ' ' << list->model()->rowCount() << ' '
           << bothTabs.seconds << ' ' << bothTabs.cpuSeconds << ' ' << peakMemoryKb() << '\n';
    return 0;
}

} // namespace filarion::bench
