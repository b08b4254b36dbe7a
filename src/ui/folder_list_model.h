#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace filarion::ui {

// The rows of a classic directory list box: the current folder's ancestors from the root down, the current
// folder last of them, then its subfolders (hidden ones left out) sorted with letter case ignored.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { DepthRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    // Moves to a clean folder whose subfolders were read elsewhere (the session).
    void show(const QString& folder, QStringList subfolders);
    const QString& folder() const { return m_folder; }

    // The row of the current folder itself.
    int currentRow() const { return static_cast<int>(m_ancestors.size()) - 1; }
    // The folder a row stands for.
    QString pathAt(int row) const;

    // The pictures of the opened folders (the current one and its ancestors) and of the subfolders.
    void setIcons(const QIcon& open, const QIcon& closed);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QString m_folder;
    QStringList m_ancestors;  // absolute paths, the root first, the current folder last
    QStringList m_subfolders; // names
    QIcon m_open;
    QIcon m_closed;
};

} // namespace filarion::ui
