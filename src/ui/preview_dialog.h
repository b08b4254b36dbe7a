#pragma once

#include "engine/rename_preview.h"

#include <QAbstractTableModel>
#include <QColor>
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
    // The column header and the names that need the most room, a few of them, whichever the rows are many.
    QStringList longestNames() const;
    // The colour of the rows that will not be renamed and are no problem either.
    void setQuietText(const QColor& colour) { m_quiet = colour; }

private:
    engine::RenamePreview m_preview;
    QColor m_quiet{0x70, 0x70, 0x70};
};

// The result's word as the table shows it.
QString previewResultText(engine::PreviewResult result);

// The preview dialog "改名预览": the count line, the table, "确认改名(&N)" (accepts) and "关闭" (rejects, the
// default button). Its controls are named lblPreviewCount, tblPreview, cmdPreviewConfirm and cmdPreviewClose;
// a screen reader meets the table as "改名预览". Rows that will not change take a quieter colour of the palette.
// The result column always shows its text whole; the name columns fit the longest names up to a third of the
// screen each and grow with the dialog, and a name they cannot show whole is elided in the middle, with the
// whole name as its tooltip.
class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreviewDialog(engine::RenamePreview preview, QWidget* parent = nullptr);

private:
    int cellWidth(const QStringList& texts) const;
    static QRect screenGeometryFor(const QWidget* parent);

    PreviewTableModel m_model;
    QLabel* m_count = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace filarion::ui
