#pragma once

#include "engine/name_list.h"
#include "engine/rename_preview.h"
#include "engine/rename_table.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace filarion::ui_core {

// The preview's rows as a table of new names that the user edits, pastes or imports. The table starts as the
// run leaves the folder: the method's new name where it renames a file, the old name elsewhere. Every change
// checks all rows again at once against the folder's names (read at the first change, not before: a preview
// that is only looked at costs nothing more), in time linear in the rows, over compact lists. Rows of the
// rename log and the program's own file keep their names.
class TableEdits {
public:
    TableEdits(QString folder, const engine::PreviewRows& rows, QString programName);
    ~TableEdits();
    TableEdits(const TableEdits&) = delete;
    TableEdits& operator=(const TableEdits&) = delete;

    qsizetype size() const { return m_oldNames.size(); }
    QStringView oldName(qsizetype row) const { return m_oldNames.at(row); }
    QStringView newName(qsizetype row) const { return m_newNames.at(row); }
    // False for the rows of the rename log and the program's own file.
    bool editable(qsizetype row) const { return m_editable[std::size_t(row)] != 0; }
    // True for a row whose new name the user changed (by hand, paste or import) from where the table started.
    bool edited(qsizetype row) const { return m_edited[std::size_t(row)] != 0; }
    // True while any row is edited: the table, not the previewed request, is what runs then.
    bool anyEdited() const { return m_anyEdited; }
    engine::TableRowState state(qsizetype row) const { return m_states[std::size_t(row)]; }
    qsizetype errors() const { return m_errors; }
    // The message of a folder that could not be read for the checks; nothing otherwise.
    const std::optional<QString>& folderProblem() const { return m_folderProblem; }

    // "共 n 个文件：改名 a 个，不变 b 个，跳过 c 个，有错 d 个".
    QString countLine() const;

    // One row's new name, as typed; all rows are checked again.
    void setNewName(qsizetype row, QStringView name);
    // The clipboard's lines from the row downwards, one new name per line; where a line holds a TAB, every line
    // is "旧名<TAB>新名", matched by the old name. More lines than rows from there on, or a line that cannot be
    // taken: nothing changes, and the message says why.
    std::optional<QString> paste(qsizetype fromRow, QStringView text);
    // engine::importTableFile into the table, and engine::exportTableFile of it.
    std::optional<QString> importFile(const QString& path);
    std::optional<QString> exportFile(const QString& path) const;

    // The table as it stands, for the run.
    engine::RenameTable table() const { return {m_folder, m_oldNames, m_newNames}; }

private:
    // Takes the new names, keeping the rows that cannot be edited under their names, marks the rows that
    // changed, and checks all rows.
    void takeNewNames(engine::NameList names);
    void recheck();

    QString m_folder;
    QString m_programName;
    engine::NameList m_oldNames;
    engine::NameList m_startNames; // the new names the table started with
    engine::NameList m_newNames;
    std::vector<std::uint8_t> m_editable;
    std::vector<std::uint8_t> m_edited;
    std::vector<engine::TableRowState> m_states;
    qsizetype m_errors = 0;
    bool m_anyEdited = false;
    std::unique_ptr<engine::TableChecker> m_checker; // made at the first change
    std::optional<QString> m_folderProblem;
};

} // namespace filarion::ui_core
