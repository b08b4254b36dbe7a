#pragma once

#include "engine/command_services.h"
#include "engine/name_list.h"
#include "engine/rename_run.h"
#include "platform/file_rename.h"
#include "platform/folder_snapshot.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <system_error>
#include <vector>

namespace filarion::engine {

// A table of new names: row i gives the file OldNames[i] of the folder the name NewNames[i].
struct RenameTable {
    QString Folder;
    NameList OldNames;
    NameList NewNames;
};

// What the checks find for one row. The states after Skipped are errors: a table with any of them renames
// nothing.
enum class TableRowState : std::uint8_t {
    Renamed,      // renamed to its new name
    Unchanged,    // its new name is its old name: "不变"
    Skipped,      // the rename log or the program's own file, kept under its name
    Empty,        // the new name is empty
    IllegalChar,  // it holds a character a file name may not hold (" * / : < > ? \ | or a control character)
    NotGbk,       // the log's encoding (GBK) cannot hold it
    Hidden,       // it starts with a dot: a hidden name, which undo never touches
    Reserved,     // it is the rename log's name or a name of the program's own file
    NotRenamed,   // the row of the log or the program's own file names another name
    TooLong,      // longer than the folder's file system takes
    Duplicate,    // another row's new name, compared as the file system compares names
    TakenOutside, // the name of an entry of the folder that is no row's file
    Missing,      // the row's file is not (or no longer) in the folder, or another row names it too
};

inline bool isRowError(TableRowState state) {
    return state > TableRowState::Skipped;
}

// The reason of a row in error, or the word of a row that is fine, as the result column shows it.
QString rowStateText(TableRowState state);

// The physical renames of a table, in the order they are made: each name is freed before it is taken, and
// every cycle (a swap, a rotation, a change of letter case alone where the file system ignores case) passes
// through a temporary name. Step k renames from[k] to to[k] for the table's row rows[k].
struct TablePlan {
    NameList from;
    NameList to;
    std::vector<int> rows;
    QString temporaryName; // empty when no cycle needs one
};

// The checks of a table's rows against one snapshot of its folder, and its plan. All rows are checked at
// once in time linear in their number: each new and old name's key (as the file system compares names) goes
// into one buffer, found through open-addressed tables of row numbers; no string per row.
class TableChecker {
public:
    // Reads the folder's names through the held folder; the rename log counts as an entry (the run makes it
    // before its first rename).
    [[nodiscard]] std::error_code take(const platform::FolderHandle& folder);
    const platform::FolderSnapshot& snapshot() const { return m_snapshot; }
    // The snapshot to play renames on; the next check then reads the old names again.
    platform::FolderSnapshot& snapshot() {
        m_checkedOld = {};
        return m_snapshot;
    }

    // Checks every row; states gets one per row. The number of rows in error. The old names' keys and whether
    // they are files are kept for the next check of the same list of old names (an edit changes new names only).
    qsizetype check(const RenameTable& table, QStringView programName, std::vector<TableRowState>& states);
    // The plan of the rows last checked, where none was in error.
    TablePlan plan(const RenameTable& table, const std::vector<TableRowState>& states) const;

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The keys of one name per row, one after another in one buffer, found through an open-addressed table of
    // row numbers. A row without a key has an empty one.
    struct Keys {
        QByteArray bytes;
        std::vector<qsizetype> starts; // where row i's key starts, then the end
        std::vector<std::uint32_t> table;

        void clear(qsizetype reserve);
        void add(QByteArrayView key) {
            bytes.append(key);
            starts.push_back(bytes.size());
        }
        QByteArrayView at(std::size_t i) const {
            return QByteArrayView(bytes).sliced(starts[i], starts[i + 1] - starts[i]);
        }
        // Indexes every key; the rows of a key given before go into repeats, each with the first row of it.
        void index(std::vector<std::uint32_t>& repeats);
        std::uint32_t find(QByteArrayView key) const;
    };

    // The old names' keys, whether each is a file of the folder, and which repeat an earlier row's.
    void checkOldNames(const NameList& oldNames);

    platform::FolderSnapshot m_snapshot;
    Keys m_old;
    Keys m_new;
    NameList m_checkedOld;               // the old names m_old and m_oldFile are of (sharing their text)
    std::vector<std::uint8_t> m_oldFile; // per row: kIsFile, kRepeated
    QByteArray m_key;                    // reused for each name
    QByteArray m_encoded;
};

// A table's run computed on a snapshot of the folder without touching the disk: the rows' states, the plan
// where none is in error, and what each step of the plan comes to; played by the very walk the run makes.
struct TablePreview {
    std::vector<TableRowState> states;
    qsizetype errors = 0;
    TablePlan plan;
    std::vector<platform::RenameResult> outcomes; // per step of the plan
    QStringList messages;                         // the messages the run will show, in order
};

// The message the run would end with before renaming anything when the folder cannot be read (the log
// message, or the folder's unsafe renames); nothing when the preview was filled.
std::optional<QString> previewTable(const RenameTable& table, TablePreview& preview,
                                    const RunEnvironment& environment = defaultRunEnvironment());

// The table's run: the folder held and made ready, the log locked, every row checked against the folder as
// it is (a row in error: "改名表第 n 行：reason，未执行改名！" and nothing is touched), then the plan walked as the
// methods' runs walk, each physical rename (temporary steps included) with its own done line on the disk
// first, never replacing an entry; the log and the folder synced at the end.
void renameTable(const RenameTable& table, CommandServices& services,
                 const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine
