#pragma once

#include "engine/name_list.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <system_error>

namespace filarion::ui_core {

// The files of one folder that match the pattern, as the file list shows them: regular files and
// links to regular files lying directly in the folder, hidden ones left out, ordered by name with
// letter case ignored character by character (ties broken by the exact name). A snapshot: it changes
// only when refresh() reads the folder again.
//
// The names are held once, in a compact store: their units one after another in one text, found by
// their starts, so that a folder of a million names costs a few large blocks rather than a million
// strings. nameAt() and names() make strings of them for whoever asks.
class FolderReading;

class WorkingSet {
public:
    int count() const {
        return static_cast<int>(m_listed.isEmpty() ? m_names.order.size() : qsizetype(m_listed.size()));
    }
    // The name in the store itself, valid until the next refresh() or nameList().
    QStringView nameViewAt(int index) const {
        if (!m_listed.isEmpty()) {
            return m_listed.at(index);
        }
        const auto k = static_cast<qsizetype>(m_names.order.at(index));
        const auto start = static_cast<qsizetype>(m_names.starts.at(k));
        return QStringView(m_names.text).sliced(start, static_cast<qsizetype>(m_names.starts.at(k + 1)) - start);
    }
    QString nameAt(int index) const { return nameViewAt(index).toString(); }
    // The row of the name, or -1.
    int indexOf(QStringView name) const;
    QStringList names() const;
    // Every name in list order, as a command takes them: one text, not a string each. The first call puts the
    // set's own store in list order, and every call hands out that list, shared: while a command holds the
    // names, they are held once, not once by the set and once more by the command.
    engine::NameList nameList();
    const QString& folder() const { return m_folder; }
    const QString& patternText() const { return m_pattern; }

    // Setting the folder or the pattern does not read the disk; refresh() does.
    void setFolder(const QString& folder) { m_folder = folder; }
    void setPatternText(const QString& pattern) { m_pattern = pattern; }

    // Re-reads the folder with the current folder and pattern. A folder that cannot be read gives an
    // empty set and its error.
    std::error_code refresh();

    // Empties the set, which then holds no names until the next reading.
    void clear();
    // Takes over a reading: its folder, its pattern and its files, or an empty set and the reading's error.
    std::error_code take(FolderReading&& reading);

private:
    friend class FolderReading;

    // The names of a folder, held once: their units one after another in one text, in the order the
    // folder listed them, found by their starts, and the list order over them.
    struct Names {
        QString text;                // every name, one after another
        QList<std::uint32_t> starts; // where name k starts in text; one more, the text's end
        QList<std::uint32_t> order;  // list order: entry i is name order[i]
    };

    QString m_folder;
    QString m_pattern;
    Names m_names;             // as read, in the folder's order; empty once m_listed holds the names
    engine::NameList m_listed; // the names in list order, from the first nameList() on
};

// One reading of a folder: the files that match a pattern, kept as a WorkingSet keeps them, and, when asked
// for, the folder's visible subfolders in the folder list's order. The folder list and the file list of a
// folder come from one reading, so a folder is read once when the user moves to it. A reading holds nothing
// shared with anything else: it may be made on another thread and taken over by a WorkingSet afterwards.
class FolderReading {
public:
    FolderReading() = default;
    // Reads `folder`: its files matching `pattern` (none when there is no pattern) and its subfolders when
    // withSubfolders. A folder that cannot be read gives a reading of nothing but the error.
    FolderReading(const QString& folder, const std::optional<QString>& pattern, bool withSubfolders);

    const QString& folder() const { return m_folder; }
    const std::optional<QString>& pattern() const { return m_pattern; }
    std::error_code error() const { return m_error; }
    // Visible subfolders (hidden ones left out), sorted as the file list sorts names.
    QStringList takeSubfolders() { return std::move(m_subfolders); }

private:
    friend class WorkingSet;

    QString m_folder;
    std::optional<QString> m_pattern;
    std::error_code m_error;
    WorkingSet::Names m_files;
    QStringList m_subfolders;
};

// Sorts names as the file list orders them.
void sortNames(QStringList& names);

} // namespace filarion::ui_core
