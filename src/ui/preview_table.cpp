#include "ui/preview_table.h"

#include "engine/texts.h"
#include "ui_core/texts.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QFont>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

namespace filarion::ui {

namespace {

using engine::PreviewResult;

// The rows the run leaves under their names for a reason the user should look at.
bool isProblem(PreviewResult result) {
    return result == PreviewResult::NameTaken || result == PreviewResult::EmptyName || result == PreviewResult::Refused;
}

const QColor kProblemText(0xA0, 0x10, 0x10);
const QColor kProblemBackground(0xFF, 0xE4, 0xE1);

} // namespace

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

PreviewTableModel::PreviewTableModel(engine::RenamePreview preview, QString folder, QString programName,
                                     QObject* parent)
    : QAbstractTableModel(parent), m_preview(std::move(preview)), m_folder(std::move(folder)),
      m_programName(std::move(programName)) {}

PreviewTableModel::~PreviewTableModel() = default;

int PreviewTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_preview.rows.size());
}

int PreviewTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

bool PreviewTableModel::editable(int row) const {
    return !m_folder.isEmpty() && m_preview.rows.result(std::size_t(row)) != PreviewResult::Skipped;
}

Qt::ItemFlags PreviewTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == NewNameColumn && editable(index.row())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant PreviewTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const engine::PreviewRows& rows = m_preview.rows;
    const bool table = edited();
    const bool inError = table && engine::isRowError(m_edits->state(index.row()));
    const bool rowEdited = table && m_edits->edited(index.row());
    const bool problem = table ? inError : isProblem(rows.result(row));
    switch (role) {
    case Qt::ToolTipRole: // the whole name where the table elides it
        return index.column() == ResultColumn ? QVariant() : data(index, Qt::DisplayRole);
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case OldNameColumn:
            return rows.oldName(row).toString();
        case NewNameColumn:
            return (table ? m_edits->newName(index.row()) : rows.newName(row)).toString();
        case ResultColumn:
            return table ? engine::rowStateText(m_edits->state(index.row())) : previewResultText(rows.result(row));
        default:
            return {};
        }
    case Qt::AccessibleTextRole: // an edited name is read with its mark
        return index.column() == NewNameColumn && rowEdited ? QVariant(data(index, Qt::DisplayRole).toString() + u'，' +
                                                                       QString::fromUtf16(ui_core::texts::kRowEdited))
                                                            : data(index, Qt::DisplayRole);
    case Qt::FontRole:
        if (index.column() == NewNameColumn && rowEdited) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (problem) {
            return QBrush(kProblemText);
        }
        if (table) {
            return m_edits->state(index.row()) == engine::TableRowState::Renamed ? QVariant() : QBrush(m_quiet);
        }
        return rows.result(row) == PreviewResult::Renamed ? QVariant() : QVariant(QBrush(m_quiet));
    case Qt::BackgroundRole:
        return problem ? QVariant(QBrush(kProblemBackground)) : QVariant();
    default:
        return {};
    }
}

bool PreviewTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const QString name = value.toString();
    if (name == data(index, Qt::EditRole).toString()) {
        return false; // opened and left as it was: nothing edited
    }
    edits().setNewName(index.row(), name);
    changedAll();
    return true;
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
    if (edited()) {
        return m_edits->countLine();
    }
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

std::optional<engine::RenameTable> PreviewTableModel::table() const {
    return edited() ? std::optional(m_edits->table()) : std::nullopt;
}

ui_core::TableEdits& PreviewTableModel::edits() {
    if (!m_edits) {
        m_edits = std::make_unique<ui_core::TableEdits>(m_folder, m_preview.rows, m_programName);
    }
    return *m_edits;
}

void PreviewTableModel::changedAll() {
    if (rowCount() > 0) {
        emit dataChanged(index(0, NewNameColumn), index(rowCount() - 1, ResultColumn));
    }
    emit tableChanged();
}

std::optional<QString> PreviewTableModel::paste(int fromRow, const QString& text) {
    std::optional<QString> refusal = edits().paste(std::max(fromRow, 0), text);
    if (!refusal) {
        changedAll();
    }
    return refusal;
}

std::optional<QString> PreviewTableModel::importFile(const QString& path) {
    std::optional<QString> refusal = edits().importFile(path);
    if (!refusal) {
        changedAll();
    }
    return refusal;
}

std::optional<QString> PreviewTableModel::exportFile(const QString& path) {
    return edits().exportFile(path);
}

PreviewTableView::PreviewTableView(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
}

void PreviewTableView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const QModelIndex newName =
        current.isValid() ? model()->index(current.row(), PreviewTableModel::NewNameColumn) : QModelIndex();
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested(current.isValid() ? current.row() : 0);
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((enter || event->key() == Qt::Key_F2) && state() != EditingState && newName.isValid() &&
        (model()->flags(newName) & Qt::ItemIsEditable)) {
        setCurrentIndex(newName);
        edit(newName);
        return;
    }
    QTableView::keyPressEvent(event);
}

// Enter and Tab commit and move on to the next row's new name; Escape restores the name as it was.
void PreviewTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool moveOn = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::SubmitModelCache;
    QTableView::closeEditor(editor, moveOn ? QAbstractItemDelegate::NoHint : hint);
    const QModelIndex current = currentIndex();
    if (moveOn && current.isValid() && current.row() + 1 < model()->rowCount()) {
        setCurrentIndex(model()->index(current.row() + 1, PreviewTableModel::NewNameColumn));
    }
}

void PreviewTableView::copySelection() {
    QModelIndexList cells = selectionModel()->selectedIndexes();
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QString text;
    for (const QModelIndex& cell : cells) {
        text.append(cell.data(Qt::DisplayRole).toString()).append(u'\n');
    }
    QApplication::clipboard()->setText(text);
}

} // namespace filarion::ui
