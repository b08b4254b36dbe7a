#include "ui/folder_list_model.h"

#include "engine/name_helpers.h"

namespace filarion::ui {

namespace {

QStringList ancestorsOf(const QString& folder) {
    QStringList paths{QStringLiteral("/")};
    qsizetype slash = folder.indexOf(u'/', 1);
    while (slash > 0) {
        paths.push_back(folder.left(slash));
        slash = folder.indexOf(u'/', slash + 1);
    }
    if (folder != u'/') {
        paths.push_back(folder);
    }
    return paths;
}

} // namespace

void FolderListModel::show(const QString& folder, QStringList subfolders) {
    beginResetModel();
    m_folder = folder;
    m_ancestors = ancestorsOf(folder);
    m_subfolders = std::move(subfolders);
    endResetModel();
}

QString FolderListModel::pathAt(int row) const {
    if (row < 0) {
        return {};
    }
    if (row < m_ancestors.size()) {
        return m_ancestors.at(row);
    }
    const qsizetype sub = row - m_ancestors.size();
    return sub < m_subfolders.size() ? engine::JoinPath(m_folder, m_subfolders.at(sub)) : QString();
}

void FolderListModel::setIcons(const QIcon& open, const QIcon& closed) {
    m_open = open;
    m_closed = closed;
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_ancestors.size() + m_subfolders.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const int row = index.row();
    const bool ancestor = row < m_ancestors.size();
    switch (role) {
    case Qt::ToolTipRole:
        return pathAt(row);
    case Qt::DisplayRole:
        if (!ancestor) {
            return m_subfolders.at(row - m_ancestors.size());
        }
        return row == 0 ? m_ancestors.at(0) : m_ancestors.at(row).mid(m_ancestors.at(row - 1).size() + (row > 1));
    case Qt::DecorationRole:
        return ancestor ? m_open : m_closed;
    case DepthRole:
        return ancestor ? row : static_cast<int>(m_ancestors.size());
    default:
        return {};
    }
}

} // namespace filarion::ui
