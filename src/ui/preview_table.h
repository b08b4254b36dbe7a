#pragma once

#include "engine/rename_preview.h"
#include "engine/rename_table.h"
#include "ui_core/table_edits.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <memory>
#include <optional>

namespace filarion::ui {

// The rows of a rename preview as a table: old name, new name, result. Rows that will not be renamed stand
// out by their colours besides their result text. The new names can be edited (not those of the rename log and
// the program's own file): from the first change on the table shows the table of new names as it stands
// (ui_core::TableEdits), every row's result as the checks decide, rows in error in red, edited names in bold.
class PreviewTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { OldNameColumn, NewNameColumn, ResultColumn, ColumnCount };

    PreviewTableModel(engine::RenamePreview preview, QString folder, QString programName, QObject* parent = nullptr);
    ~PreviewTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The line above the table: the preview's count, or the table's once a row was edited.
    QString countLine() const;
    // The column header and the names that need the most room, a few of them, whichever the rows are many.
    QStringList longestNames() const;
    // The colour of the rows that will not be renamed and are no problem either.
    void setQuietText(const QColor& colour) { m_quiet = colour; }

    // True while a row is edited: the table runs then, not the previewed request.
    bool edited() const { return m_edits && m_edits->anyEdited(); }
    // The rows in error; confirming waits for none.
    qsizetype errors() const { return edited() ? m_edits->errors() : 0; }
    std::optional<engine::RenameTable> table() const;
    // Why the rows could not be checked: the folder could not be read.
    std::optional<QString> folderProblem() const { return m_edits ? m_edits->folderProblem() : std::nullopt; }

    std::optional<QString> paste(int fromRow, const QString& text);
    std::optional<QString> importFile(const QString& path);
    std::optional<QString> exportFile(const QString& path);

signals:
    // The new names or the results changed: the count line and the confirm button follow.
    void tableChanged();

private:
    ui_core::TableEdits& edits();
    // Every row's new name and result may have changed.
    void changedAll();
    bool editable(int row) const;

    engine::RenamePreview m_preview;
    QString m_folder;
    QString m_programName;
    std::unique_ptr<ui_core::TableEdits> m_edits; // made at the first edit, paste, import or export
    QColor m_quiet{0x70, 0x70, 0x70};
};

// The result's word as the table shows it.
QString previewResultText(engine::PreviewResult result);

// The preview's table view: F2, Enter or a double click edit the row's new name; Enter or Tab commit it and move
// to the next row's, Escape restores it. Ctrl+C copies the selected cells, one per line; Ctrl+V asks for the
// clipboard to be pasted from the current row down.
class PreviewTableView : public QTableView {
    Q_OBJECT

public:
    explicit PreviewTableView(QWidget* parent = nullptr);

signals:
    void pasteRequested(int fromRow);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void copySelection();
};

} // namespace filarion::ui
