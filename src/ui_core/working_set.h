#pragma once

#include <QString>
#include <QStringList>
#include <system_error>

namespace filarion::ui {

// The files of one folder that match the pattern, as the file list shows them: regular files and
// links to regular files lying directly in the folder, hidden ones left out, ordered by name with
// letter case ignored character by character (ties broken by the exact name). A snapshot: it changes
// only when refresh() reads the folder again.
class WorkingSet {
public:
    int count() const { return static_cast<int>(m_names.size()); }
    const QString& nameAt(int index) const { return m_names.at(index); }
    const QStringList& names() const { return m_names; }
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
    QStringList m_names;
};

// Sorts names as the file list orders them.
void sortNames(QStringList& names);

} // namespace filarion::ui
