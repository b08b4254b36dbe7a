#pragma once

// What keeps a bench job from waiting forever: it waits, within a bound, for the window's reading of its start
// folder before it acts, and a message box it meets (which nobody would answer) ends it at once with the box's
// text in its result file and exit code kBoxExit.

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <string>

namespace filarion::bench {

constexpr int kBoxExit = 3;
constexpr int kStartWaitMs = 600000;

class BoxGuard {
public:
    explicit BoxGuard(std::string resultFile) : m_resultFile(std::move(resultFile)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { check(); });
        m_timer.start(50);
    }

private:
    void check() const {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
                std::ofstream(m_resultFile) << "box " << box->text().toStdString() << '\n';
                std::_Exit(kBoxExit);
            }
        }
    }

    std::string m_resultFile;
    QTimer m_timer;
};

// Waits until the window has read its start folder; false when it has not within the bound.
template <typename Window> bool waitForStartFolder(const Window& window) {
    return QTest::qWaitFor([&window] { return !window.starting(); }, kStartWaitMs);
}

// The note of a job that ended on a box: the box's text as the result file holds it.
inline std::string boxNote(const std::string& resultFile) {
    std::ifstream result(resultFile);
    std::string line;
    std::getline(result, line);
    return "NOT DONE: the job met a message box: " + line.substr(line.rfind("box ", 0) == 0 ? 4 : 0);
}

} // namespace filarion::bench
