#pragma once

#include "engine/rename_preview.h"
#include "ui/preview_table.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace filarion::ui {

// The preview dialog "改名预览": the count line, the table, a note, "导出改名表(&E)…", "导入改名表(&I)…",
// "确认改名(&N)" (accepts) and "关闭" (rejects, the default button). Its controls are named lblPreviewCount,
// tblPreview, lblPreviewNote, cmdTableExport, cmdTableImport, cmdPreviewConfirm and cmdPreviewClose;
// a screen reader meets the table as "改名预览". Rows that will not change take a quieter colour of the palette.
// The result column always shows its text whole; the name columns fit the longest names up to a third of the
// screen each and grow with the dialog, and a name they cannot show whole is elided in the middle, with the
// whole name as its tooltip.
class PreviewDialog : public QDialog {
    Q_OBJECT

public:
    // The folder and the program's name make the new names editable: the table's checks read the folder. A
    // dialog without a folder only shows the preview.
    explicit PreviewDialog(engine::RenamePreview preview, QWidget* parent = nullptr, const QString& folder = {},
                           const QString& programName = {});

    // Asks for a table file's path, to save to or to open, starting in the folder; empty when none was given.
    // The desktop's file dialog unless set otherwise.
    using FileChooser = std::function<QString(QWidget* parent, bool save, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The table of new names to run instead of the previewed request, once a row was edited.
    std::optional<engine::RenameTable> table() const { return m_model.table(); }

private:
    void exportTable();
    void importTable();
    void pasteFrom(int row);
    // The count line, the note and the confirm button after the table changed.
    void followTable();

    int cellWidth(const QStringList& texts) const;
    static QRect screenGeometryFor(const QWidget* parent);

    PreviewTableModel m_model;
    QString m_folder;
    FileChooser m_chooseFile;
    QLabel* m_count = nullptr;
    PreviewTableView* m_table = nullptr;
    QLabel* m_note = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace filarion::ui
