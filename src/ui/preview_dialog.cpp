#include "ui/preview_dialog.h"

#include "ui_core/texts.h"

#include <QBrush>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace filarion::ui {

namespace {

using engine::PreviewResult;

enum Column { OldNameColumn, NewNameColumn, ResultColumn, ColumnCount };

// The rows the run leaves under their names for a reason the user should look at.
bool isProblem(PreviewResult result) {
    return result == PreviewResult::NameTaken || result == PreviewResult::EmptyName || result == PreviewResult::Refused;
}

} // namespace

QString previewResultText(PreviewResult result) {
    switch (result) {
    case PreviewResult::Renamed:
        return QString::fromUtf16(texts::kResultRenamed);
    case PreviewResult::Unchanged:
        return QString::fromUtf16(texts::kResultUnchanged);
    case PreviewResult::SameName:
        return QString::fromUtf16(texts::kResultSameName);
    case PreviewResult::Skipped:
        return QString::fromUtf16(texts::kResultSkipped);
    case PreviewResult::NameTaken:
        return QString::fromUtf16(texts::kResultNameTaken);
    case PreviewResult::EmptyName:
        return QString::fromUtf16(texts::kResultEmptyName);
    case PreviewResult::Refused:
        return QString::fromUtf16(texts::kResultRefused);
    }
    return {};
}

PreviewTableModel::PreviewTableModel(engine::RenamePreview preview, QObject* parent)
    : QAbstractTableModel(parent), m_preview(std::move(preview)) {}

int PreviewTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_preview.rows.size());
}

int PreviewTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PreviewTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const engine::PreviewRow& row = m_preview.rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case OldNameColumn:
            return row.oldName;
        case NewNameColumn:
            return row.newName;
        case ResultColumn:
            return previewResultText(row.result);
        default:
            return {};
        }
    case Qt::ForegroundRole:
        if (isProblem(row.result)) {
            return QBrush(QColor(0xA0, 0x10, 0x10));
        }
        return row.result == PreviewResult::Renamed ? QVariant() : QVariant(QBrush(QColor(0x70, 0x70, 0x70)));
    case Qt::BackgroundRole:
        return isProblem(row.result) ? QVariant(QBrush(QColor(0xFF, 0xE4, 0xE1))) : QVariant();
    default:
        return {};
    }
}

QVariant PreviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case OldNameColumn:
        return QString::fromUtf16(texts::kPreviewOldName);
    case NewNameColumn:
        return QString::fromUtf16(texts::kPreviewNewName);
    case ResultColumn:
        return QString::fromUtf16(texts::kPreviewResult);
    default:
        return {};
    }
}

QString PreviewTableModel::countLine() const {
    qsizetype renamed = 0;
    qsizetype skipped = 0;
    for (const engine::PreviewRow& row : m_preview.rows) {
        renamed += row.result == PreviewResult::Renamed ? 1 : 0;
        skipped += row.result == PreviewResult::Skipped ? 1 : 0;
    }
    const auto all = static_cast<qsizetype>(m_preview.rows.size());
    return QString::fromUtf16(texts::kPreviewCount).arg(all).arg(renamed).arg(all - renamed - skipped).arg(skipped);
}

PreviewDialog::PreviewDialog(engine::RenamePreview preview, QWidget* parent)
    : QDialog(parent), m_model(std::move(preview)) {
    setObjectName(QStringLiteral("dlgPreview"));
    setWindowTitle(QString::fromUtf16(texts::kPreviewCaption));
    setSizeGripEnabled(true);

    m_count = new QLabel(m_model.countLine(), this);
    m_count->setObjectName(QStringLiteral("lblPreviewCount"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblPreview"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    // Fixed sizes: measuring the contents of every row would cost as much as the rows are many.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    const int nameWidth = m_table->fontMetrics().horizontalAdvance(QString(18, QChar(u'字')));
    m_table->horizontalHeader()->resizeSection(OldNameColumn, nameWidth);
    m_table->horizontalHeader()->resizeSection(NewNameColumn, nameWidth);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_confirm = new QPushButton(QString::fromUtf16(texts::kPreviewConfirm), this);
    m_confirm->setObjectName(QStringLiteral("cmdPreviewConfirm"));
    m_close = new QPushButton(QString::fromUtf16(texts::kPreviewClose), this);
    m_close->setObjectName(QStringLiteral("cmdPreviewClose"));
    // Enter closes: a run starts only from its own button.
    m_confirm->setAutoDefault(false);
    m_close->setDefault(true);
    connect(m_confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(nameWidth * 2 + m_table->fontMetrics().horizontalAdvance(QString(14, QChar(u'字'))), 420);
    m_close->setFocus(Qt::OtherFocusReason);
}

} // namespace filarion::ui
