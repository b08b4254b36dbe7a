#include "ui/preview_dialog.h"

#include "ui/quiet_text.h"
#include "ui_core/texts.h"

#include <QBrush>
#include <QColor>
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
#include <vector>

namespace filarion::ui {

namespace {

using engine::PreviewResult;

enum Column { OldNameColumn, NewNameColumn, ResultColumn, ColumnCount };

// The rows the run leaves under their names for a reason the user should look at.
bool isProblem(PreviewResult result) {
    return result == PreviewResult::NameTaken || result == PreviewResult::EmptyName || result == PreviewResult::Refused;
}

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

QString previewResultText(PreviewResult result) {
    switch (result) {
    case PreviewResult::Renamed:
        return QString::fromUtf16(ui_core::texts::kResultRenamed);
    case PreviewResult::Unchanged:
        return QString::fromUtf16(ui_core::texts::kResultUnchanged);
    case PreviewResult::SameName:
        return QString::fromUtf16(ui_core::texts::kResultSameName);
    case PreviewResult::Skipped:
        return QString::fromUtf16(ui_core::texts::kResultSkipped);
    case PreviewResult::NameTaken:
        return QString::fromUtf16(ui_core::texts::kResultNameTaken);
    case PreviewResult::EmptyName:
        return QString::fromUtf16(ui_core::texts::kResultEmptyName);
    case PreviewResult::Refused:
        return QString::fromUtf16(ui_core::texts::kResultRefused);
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
    const auto row = static_cast<std::size_t>(index.row());
    const engine::PreviewRows& rows = m_preview.rows;
    switch (role) {
    case Qt::ToolTipRole: // the whole name where the table elides it
        return index.column() == ResultColumn ? QVariant() : data(index, Qt::DisplayRole);
    case Qt::DisplayRole:
        switch (index.column()) {
        case OldNameColumn:
            return rows.oldName(row).toString();
        case NewNameColumn:
            return rows.newName(row).toString();
        case ResultColumn:
            return previewResultText(rows.result(row));
        default:
            return {};
        }
    case Qt::ForegroundRole:
        if (isProblem(rows.result(row))) {
            return QBrush(QColor(0xA0, 0x10, 0x10));
        }
        return rows.result(row) == PreviewResult::Renamed ? QVariant() : QVariant(QBrush(m_quiet));
    case Qt::BackgroundRole:
        return isProblem(rows.result(row)) ? QVariant(QBrush(QColor(0xFF, 0xE4, 0xE1))) : QVariant();
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
        return QString::fromUtf16(ui_core::texts::kPreviewOldName);
    case NewNameColumn:
        return QString::fromUtf16(ui_core::texts::kPreviewNewName);
    case ResultColumn:
        return QString::fromUtf16(ui_core::texts::kPreviewResult);
    default:
        return {};
    }
}

// The names a column may need the most room for: a CJK character takes about twice the room of a Latin one, so
// a name counts its characters from U+1100 on twice. Of the widest by that count, the first few are measured.
QStringList PreviewTableModel::longestNames() const {
    constexpr std::size_t kMeasured = 16;
    // The widest names so far, the narrowest of them first: one pass over the rows, a few entries kept.
    std::vector<std::pair<qsizetype, QStringView>> widest;
    widest.reserve(kMeasured + 1);
    const auto wider = [](const auto& a, const auto& b) { return a.first > b.first; };
    const engine::PreviewRows& rows = m_preview.rows;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (const QStringView name : {rows.oldName(row), rows.newName(row)}) {
            if (widest.size() == kMeasured && name.size() * 2 <= widest.front().first) {
                continue; // not even counting every character twice makes it wider
            }
            qsizetype room = name.size();
            for (const QChar unit : name) {
                room += unit.unicode() >= 0x1100 ? 1 : 0;
            }
            if (widest.size() == kMeasured && room <= widest.front().first) {
                continue;
            }
            widest.emplace_back(room, name);
            std::push_heap(widest.begin(), widest.end(), wider);
            if (widest.size() > kMeasured) {
                std::pop_heap(widest.begin(), widest.end(), wider);
                widest.pop_back();
            }
        }
    }
    std::sort_heap(widest.begin(), widest.end(), wider);
    QStringList longest{headerData(OldNameColumn, Qt::Horizontal, Qt::DisplayRole).toString()};
    for (const auto& name : widest) {
        longest << name.second.toString();
    }
    return longest;
}

QString PreviewTableModel::countLine() const {
    qsizetype renamed = 0;
    qsizetype skipped = 0;
    for (std::size_t row = 0; row < m_preview.rows.size(); ++row) {
        renamed += m_preview.rows.result(row) == PreviewResult::Renamed ? 1 : 0;
        skipped += m_preview.rows.result(row) == PreviewResult::Skipped ? 1 : 0;
    }
    const auto all = static_cast<qsizetype>(m_preview.rows.size());
    return QString::fromUtf16(ui_core::texts::kPreviewCount)
        .arg(all)
        .arg(renamed)
        .arg(all - renamed - skipped)
        .arg(skipped);
}

PreviewDialog::PreviewDialog(engine::RenamePreview preview, QWidget* parent)
    : QDialog(parent), m_model(std::move(preview)) {
    setObjectName(QStringLiteral("dlgPreview"));
    setWindowTitle(QString::fromUtf16(ui_core::texts::kPreviewCaption));
    setSizeGripEnabled(true);

    m_count = new QLabel(m_model.countLine(), this);
    m_count->setObjectName(QStringLiteral("lblPreviewCount"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblPreview"));
    m_table->setAccessibleName(QString::fromUtf16(ui_core::texts::kPreviewCaption));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
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

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_table, 1);
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

} // namespace filarion::ui
