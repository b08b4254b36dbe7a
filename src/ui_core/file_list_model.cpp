#include "ui_core/file_list_model.h"

namespace filarion::ui_core {

void FileListModel::refresh() {
    beginResetModel();
    // An unreadable folder leaves the set empty; the window reports nothing for it.
    (void)m_set.refresh();
    endResetModel();
}

std::error_code FileListModel::show(FolderReading&& reading) {
    beginResetModel();
    const std::error_code error = m_set.take(std::move(reading));
    endResetModel();
    return error;
}

void FileListModel::clear() {
    beginResetModel();
    m_set.clear();
    endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_set.count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_set.count()) {
        return {};
    }
    return m_set.nameAt(index.row()); // a string of the row only when it is drawn
}

} // namespace filarion::ui_core
