#include "ui_core/file_list_model.h"

namespace filarion::ui_core {

void FileListModel::refresh() {
    beginResetModel();
    // An unreadable folder leaves the set empty; the window reports nothing for it.
    (void)m_set.refresh();
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
