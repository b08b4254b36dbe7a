#include "preview_bench.h"

#include "child_process.h"
#include "job_guard.h"
#include "peak_memory.h"
#include "platform/folder_snapshot.h"
#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui/folder_list.h"
#include "ui/main_window.h"
#include "ui_core/texts.h"
#include "ui_core/volume_source.h"
#include "ui_core/working_set.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

// Waits for the first paint of the preview table; once that paint has finished, takes the time and closes
// the dialog.
class FirstTablePaint : public QObject {
public:
    explicit FirstTablePaint(const Stopwatch& watch) : m_watch(watch) { qApp->installEventFilter(this); }
    ~FirstTablePaint() override { qApp->removeEventFilter(this); }
    FirstTablePaint(const FirstTablePaint&) = delete;
    FirstTablePaint& operator=(const FirstTablePaint&) = delete;

    std::optional<Sample> sample;
    int rows = -1;
    long peakKb = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || sample || m_pending || watched->parent() == nullptr ||
            watched->parent()->objectName() != u"tblPreview"_s) {
            return false;
        }
        m_pending = true;
        auto* table = static_cast<QTableView*>(watched->parent());
        QTimer::singleShot(0, this, [this, table] {
            sample = m_watch.elapsed();
            peakKb = peakMemoryKb();
            rows = table->model()->rowCount();
            if (auto* dialog = qobject_cast<QDialog*>(table->window())) {
                dialog->reject();
            }
        });
        return false;
    }

private:
    const Stopwatch& m_watch;
    bool m_pending = false;
};

} // namespace

void benchPreview(BenchReport& report, InodePool& pool, int n, int runs) {
    const std::string self = ownProgramPath();
    const std::string resultFile = pool.base() + "/preview-job.txt";
    std::vector<Sample> floor;
    std::vector<Sample> shown;
    long peakKb = 0;
    std::string note;
    const auto runJob = [&](const ScratchFolder& folder, std::vector<Sample>& samples) {
        ::unlink(resultFile.c_str());
        const std::vector<std::string> argv{self, "--preview-job", resultFile};
        const ChildRun run = runChild(argv, folder.path());
        std::ifstream result(resultFile);
        Sample sample;
        long rows = -1;
        long kilobytes = 0;
        if (run.exitCode == 0 && result >> sample.seconds >> sample.cpuSeconds >> rows >> kilobytes) {
            samples.push_back(sample);
            peakKb = std::max(peakKb, kilobytes);
        }
        if (note.empty() && run.exitCode == kBoxExit) {
            note = boxNote(resultFile);
        }
        if (note.empty() && (run.exitCode != 0 || rows != n)) {
            note = "NOT DONE: exit code " + std::to_string(run.exitCode) + ", the dialog showed " +
                   std::to_string(rows) + " of " + std::to_string(n) + " rows";
        }
    };
    // The floor and the preview take turns on the same folder (the preview renames nothing), each round
    // starting with the other one.
    for (int round = 0; round < runs; ++round) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        for (int k = 0; k < 2; ++k) {
            switch ((k + round) % 2) {
            case 0: {
                ui_core::WorkingSet alone;
                alone.setFolder(QFile::decodeName(QByteArray::fromStdString(folder.path())));
                alone.setPatternText(QString::fromUtf16(ui_core::texts::kStartPattern));
                const Stopwatch watch;
                alone.refresh();
                floor.push_back(watch.elapsed());
                break;
            }
            default:
                runJob(folder, shown);
                break;
            }
        }
    }
    ::unlink(resultFile.c_str());
    report.add(kPreviewFloor, n, floor, {});
    report.add(kPreviewDialog, n, shown, kPreviewFloor, note);
    report.addMemory(kPreviewDialog, n, peakKb);
}

int runPreviewJob(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: filarion_bench --preview-job RESULTFILE\n", stderr);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(ui::frmMain::windowFont());
    const ui_core::SystemVolumeSource volumes;
    ui::WindowServices services;
    auto window = std::make_unique<ui::frmMain>(volumes, services);
    const BoxGuard boxes(argv[2]);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    if (!waitForStartFolder(*window)) {
        return 1;
    }
    window->findChild<QLineEdit*>(u"txtReplaceS"_s)->setText(u"cad"_s);
    window->findChild<QLineEdit*>(u"txtReplaceT"_s)->setText(u"zet"_s);
    auto* preview = window->findChild<QAction*>(u"actPreview"_s);
    const Stopwatch watch;
    FirstTablePaint paint(watch);
    preview->trigger(); // returns once the dialog is closed again
    if (!paint.sample) {
        return 1;
    }
    std::ofstream result(argv[2]);
    result.precision(9);
    result << paint.sample->seconds << ' ' << paint.sample->cpuSeconds << ' ' << paint.rows << ' ' << paint.peakKb
           << '\n';
    return 0;
}

} // namespace filarion::bench
