#pragma once

#include "engine/rename_preview.h"

#include <QAbstractTableModel>
#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace filarion::ui {

// The rows of a rename preview as a table: old name, new name, result. Rows that will not be renamed stand
// out by their colours besides their result text.
class PreviewTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PreviewTableModel(engine::RenamePreview preview, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The line above the table: how many entries in all, renamed, keeping their names, and skipped.
    QString countLine() const;

private:
    engine::RenamePreview m_preview;
};

// The result's word as the table shows it.
QString previewResultText(engine::PreviewResult result);

// The preview dialog "改名预览": the count line, the table, "确认改名(&N)" (accepts) and "关闭" (rejects, the
// default button). Its controls are named lblPreviewCount, tblPreview, cmdPreviewConfirm and cmdPreviewClose.
class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreviewDialog(engine::RenamePreview preview, QWidget* parent = nullptr);

private:
    PreviewTableModel m_model;
    QLabel* m_count = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace filarion::ui
