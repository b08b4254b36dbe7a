#pragma once

#include "engine/name_list.h"
#include "engine/rename_table.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace filarion::engine {

// The rows of a list of names found by their exact text, in time linear in their number: one open-addressed
// table of row numbers over the list's own text.
class NameIndex {
public:
    explicit NameIndex(const NameList& names);
    // The row of that name, or -1.
    qsizetype find(QStringView name) const;

private:
    const NameList& m_names;
    std::vector<std::uint32_t> m_slots;
};

// The text of a table file: UTF-8 (with or without its byte order mark) where the bytes are UTF-8, else GBK.
QString decodeTableText(QByteArrayView bytes);

// Calls f(line, number) for each line of the text (split at LF, a CR before it dropped), numbered from 1; the
// empty piece after a last line break is no line. False as soon as f returns false.
template <typename F> bool forEachLine(QStringView text, F&& f) {
    qsizetype number = 0;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf(u'\n');
        QStringView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QStringView() : text.sliced(end + 1);
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (!f(line, ++number)) {
            return false;
        }
    }
    return true;
}

// Takes a table's text into the new names of the rows oldNames names: lines "原文件名<TAB>新文件名" by the old
// name (rows no line names keep their new names), or, where no line holds a TAB, one new name per line row by
// row, the lines as many as the rows. A line whose old name is no row, an old name given twice, a line of one
// column among lines of two, or one column of another length: nothing changes, and the message says which
// line and why.
std::optional<QString> takeTableText(QStringView text, const NameList& oldNames, NameList& newNames);

// takeTableText over a file read whole (GBK or UTF-8); a file that cannot be read gives its own message.
std::optional<QString> importTableFile(const QString& path, const NameList& oldNames, NameList& newNames);

// Writes "原文件名<TAB>新文件名" for every row, in GBK with CR LF, as a new file or over the one there; the
// message when it cannot be written.
std::optional<QString> exportTableFile(const QString& path, const NameList& oldNames, const NameList& newNames);

// The table of a folder whose rows are `files` (its working set, in list order), their new names taken from a
// table file by importTableFile's rules: what a command line's "table FOLDER TABLEFILE" runs with renameTable.
std::optional<QString> readTableRequest(const QString& folder, const NameList& files, const QString& tablePath,
                                        RenameTable& table);

} // namespace filarion::engine
