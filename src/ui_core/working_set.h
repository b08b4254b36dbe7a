#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
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
class WorkingSet {
public:
    int count() const { return static_cast<int>(m_order.size()); }
    // The name in the store itself, valid until the next refresh().
    QStringView nameViewAt(int index) const {
        const auto k = static_cast<qsizetype>(m_order.at(index));
        const auto start = static_cast<qsizetype>(m_starts.at(k));
        return QStringView(m_text).sliced(start, static_cast<qsizetype>(m_starts.at(k + 1)) - start);
    }
    QString nameAt(int index) const { return nameViewAt(index).toString(); }
    QStringList names() const;
    const QString& folder() const { return m_folder; }
    const QString& patternText() const { return m_pattern; }

    // Setting the folder or the pattern does not read the disk; refresh() does.
    void setFolder(const QString& folder) { m_folder = folder; }
    void setPatternText(const QString& pattern) { m_pattern = pattern; }

    // Re-reads the folder with the current folder and pattern. A folder that cannot be read gives an
    // empty set and its error.
    std::error_code refresh();

private:
    QString m_folder;
    QString m_pattern;
    QString m_text;                // every name, one after another, in the order the folder listed them
    QList<std::uint32_t> m_starts; // where name k starts in m_text; one more, the text's end
    QList<std::uint32_t> m_order;  // list order: entry i is name m_order[i]
};

// Sorts names as the file list orders them.
void sortNames(QStringList& names);

} // namespace filarion::ui_core
