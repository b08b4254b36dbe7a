#include "ui/working_set.h"

#include "platform/folder_listing.h"
#include "ui/file_pattern.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace filarion::ui {

void sortNames(QStringList& names) {
    // Fold every name once, then sort by the folded texts; the exact names break ties so the
    // order is total.
    std::vector<QString> keys;
    keys.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        keys.push_back(name.toCaseFolded());
    }
    std::vector<qsizetype> order(static_cast<std::size_t>(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = QStringView(keys[a]).compare(QStringView(keys[b]));
        if (byKey != 0) {
            return byKey < 0;
        }
        return QStringView(names[a]).compare(QStringView(names[b])) < 0;
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype index : order) {
        sorted.push_back(std::move(names[index]));
    }
    names = std::move(sorted);
}

std::error_code WorkingSet::refresh() {
    const FilePattern pattern(m_pattern);
    QStringList names;
    const std::error_code error = platform::listFolder(m_folder, [&](platform::FolderEntry&& entry) {
        if (entry.kind == platform::EntryKind::File && !entry.hidden && pattern.matches(entry.name)) {
            names.push_back(std::move(entry.name));
        }
    });
    if (error) {
        m_names.clear();
        return error;
    }
    sortNames(names);
    m_names = std::move(names);
    return {};
}

} // namespace filarion::ui
