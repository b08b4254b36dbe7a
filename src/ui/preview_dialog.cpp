#include "ui/preview_dialog.h"

#include "ui/quiet_text.h"
#include "ui_core/texts.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace filarion::ui {

namespace {

using engine::PreviewResult;
using Column = PreviewTableModel::Column;
constexpr Column OldNameColumn = PreviewTableModel::OldNameColumn;
constexpr Column NewNameColumn = PreviewTableModel::NewNameColumn;
constexpr Column ResultColumn = PreviewTableModel::ResultColumn;

} // namespace

// The width of a cell that shows the longest of the texts whole: its text and the delegate's margins.
int PreviewDialog::cellWidth(const QStringList& texts) const {
    const int margins = 2 * (m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 1);
    int widest = 0;
    for (const QString& text : texts) {
        widest = std::max(widest, m_table->fontMetrics().horizontalAdvance(text));
    }
    return widest + margins + 2;
}

QRect PreviewDialog::screenGeometryFor(const QWidget* parent) {
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

PreviewDialog::PreviewDialog(engine::RenamePreview preview, QWidget* parent, const QString& folder,
                             const QString& programName)
    : QDialog(parent), m_model(std::move(preview), folder, programName), m_folder(folder) {
    m_chooseFile = [](QWidget* owner, bool save, const QString& start) {
        const QString filter = QString::fromUtf16(ui_core::texts::kTableFileFilter);
        return save ? QFileDialog::getSaveFileName(
                          owner, QString::fromUtf16(ui_core::texts::kTableExport).remove(QStringLiteral("(&E)")), start,
                          filter)
                    : QFileDialog::getOpenFileName(
                          owner, QString::fromUtf16(ui_core::texts::kTableImport).remove(QStringLiteral("(&I)")), start,
                          filter);
    };
    setObjectName(QStringLiteral("dlgPreview"));
    setWindowTitle(QString::fromUtf16(ui_core::texts::kPreviewCaption));
    setSizeGripEnabled(true);

    m_count = new QLabel(m_model.countLine(), this);
    m_count->setObjectName(QStringLiteral("lblPreviewCount"));

    m_table = new PreviewTableView(this);
    m_table->setObjectName(QStringLiteral("tblPreview"));
    m_table->setAccessibleName(QString::fromUtf16(ui_core::texts::kPreviewCaption));
    // Cells, not rows, are selected: Ctrl+C copies a column's names one per line.
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    // Fixed row heights, and the names measured only where they are longest: measuring every row would cost
    // as much as the rows are many. The row height is set before the rows come, so that each row is made once
    // with it. The result column is as wide as its longest text and never shrinks; the name columns share the
    // rest, so that they grow with the dialog, and elide a name in the middle.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_model.setQuietText(quietTextColour(m_table->palette()));
    m_table->setModel(&m_model);
    m_table->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* columns = m_table->horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(OldNameColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(NewNameColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(ResultColumn, QHeaderView::Fixed);
    QStringList results{m_model.headerData(ResultColumn, Qt::Horizontal, Qt::DisplayRole).toString()};
    for (const PreviewResult result :
         {PreviewResult::Renamed, PreviewResult::Unchanged, PreviewResult::SameName, PreviewResult::Skipped,
          PreviewResult::NameTaken, PreviewResult::EmptyName, PreviewResult::Refused}) {
        results << previewResultText(result);
    }
    const int resultWidth = cellWidth(results);
    columns->resizeSection(ResultColumn, resultWidth);
    const QRect screen = screenGeometryFor(parent);
    const int nameWidth = std::min(cellWidth(m_model.longestNames()), screen.width() / 3);

    m_confirm = new QPushButton(QString::fromUtf16(ui_core::texts::kPreviewConfirm), this);
    m_confirm->setObjectName(QStringLiteral("cmdPreviewConfirm"));
    m_close = new QPushButton(QString::fromUtf16(ui_core::texts::kPreviewClose), this);
    m_close->setObjectName(QStringLiteral("cmdPreviewClose"));
    // Enter closes: a run starts only from its own button.
    m_confirm->setAutoDefault(false);
    m_close->setDefault(true);
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    m_export = new QPushButton(QString::fromUtf16(ui_core::texts::kTableExport), this);
    m_export->setObjectName(QStringLiteral("cmdTableExport"));
    m_import = new QPushButton(QString::fromUtf16(ui_core::texts::kTableImport), this);
    m_import->setObjectName(QStringLiteral("cmdTableImport"));
    m_export->setAutoDefault(false);
    m_import->setAutoDefault(false);
    m_export->setEnabled(!folder.isEmpty());
    m_import->setEnabled(!folder.isEmpty());
    connect(m_export, &QPushButton::clicked, this, &PreviewDialog::exportTable);
    connect(m_import, &QPushButton::clicked, this, &PreviewDialog::importTable);
    connect(m_table, &PreviewTableView::pasteRequested, this, &PreviewDialog::pasteFrom);
    connect(&m_model, &PreviewTableModel::tableChanged, this, &PreviewDialog::followTable);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lblPreviewNote"));
    m_note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_export);
    buttons->addWidget(m_import);
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
    // Wide enough for the names and the results beside the vertical scroll bar; the window can be enlarged.
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    const int tableChrome =
        2 * m_table->frameWidth() + m_table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_table);
    const QMargins margins = layout->contentsMargins();
    m_table->setMinimumWidth(resultWidth + 2 * cellWidth({QString(6, QChar(u'字'))}) + tableChrome);
    resize(
        std::min(2 * nameWidth + resultWidth + tableChrome + margins.left() + margins.right(), screen.width() * 9 / 10),
        420);
    m_close->setFocus(Qt::OtherFocusReason);
}

void PreviewDialog::followTable() {
    m_count->setText(m_model.countLine());
    m_confirm->setEnabled(m_model.errors() == 0);
    const QString inError = QString::fromUtf16(ui_core::texts::kTableInError);
    if (const std::optional<QString> problem = m_model.folderProblem()) {
        m_note->setText(*problem);
    } else if (m_model.errors() > 0) {
        m_note->setText(inError);
    } else if (m_note->text() == inError) {
        m_note->clear();
    }
}

void PreviewDialog::pasteFrom(int row) {
    if (m_folder.isEmpty()) {
        return;
    }
    m_note->clear();
    if (const std::optional<QString> refusal = m_model.paste(row, QGuiApplication::clipboard()->text())) {
        m_note->setText(*refusal);
    }
}

void PreviewDialog::exportTable() {
    const QString path = m_chooseFile(this, true, m_folder);
    if (path.isEmpty()) {
        return;
    }
    const std::optional<QString> refusal = m_model.exportFile(path);
    m_note->setText(refusal.value_or(QString::fromUtf16(ui_core::texts::kTableExported)));
}

void PreviewDialog::importTable() {
    const QString path = m_chooseFile(this, false, m_folder);
    if (path.isEmpty()) {
        return;
    }
    m_note->clear();
    const std::optional<QString> refusal = m_model.importFile(path);
    if (!refusal) {
        m_note->setText(QString::fromUtf16(ui_core::texts::kTableImported));
    }
    followTable();
    if (refusal) {
        m_note->setText(*refusal);
    }
}

} // namespace filarion::ui
