#include "preview_bench.h"

#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui/folder_list.h"
#include "ui/main_window.h"
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
#include <cstdio>
#include <memory>
#include <optional>

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
    int argc = 1;
    char program[] = "filarion_bench";
    char* argv[] = {program, nullptr};
    QApplication app(argc, argv);
    QApplication::setFont(ui::frmMain::windowFont());
    const ui::SystemVolumeSource volumes;
    ui::WindowServices services;
    auto window = std::make_unique<ui::frmMain>(volumes, services);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    window->findChild<QLineEdit*>(u"txtReplaceS"_s)->setText(u"cad"_s);
    window->findChild<QLineEdit*>(u"txtReplaceT"_s)->setText(u"zet"_s);
    auto* preview = window->findChild<QAction*>(u"actPreview"_s);

    std::vector<Sample> floor;
    std::vector<Sample> shown;
    std::string note;
    for (int round = 0; round < runs; ++round) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        const QString path = QFile::decodeName(QByteArray::fromStdString(folder.path()));
        window->findChild<ui::FolderList*>(u"dirTrim"_s)->setPath(path);
        QCoreApplication::processEvents();
        for (int k = 0; k < 2; ++k) {
            if ((k + round) % 2 == 0) {
                ui::WorkingSet alone;
                alone.setFolder(path);
                alone.setPatternText(window->workingSet().patternText());
                const Stopwatch watch;
                alone.refresh();
                floor.push_back(watch.elapsed());
                continue;
            }
            const Stopwatch watch;
            FirstTablePaint paint(watch);
            preview->trigger(); // returns once the dialog is closed again
            if (paint.sample) {
                shown.push_back(*paint.sample);
            }
            if (note.empty() && (!paint.sample || paint.rows != n)) {
                note =
                    "NOT DONE: the dialog showed " + std::to_string(paint.rows) + " of " + std::to_string(n) + " rows";
            }
        }
    }
    window.reset();
    report.add(kPreviewFloor, n, floor, {});
    report.add(kPreviewDialog, n, shown, kPreviewFloor, note);
}

} // namespace filarion::bench
