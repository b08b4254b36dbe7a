#pragma once

#include "ui_core/working_set.h"

#include <QAbstractListModel>

namespace filarion::ui_core {

// The file list filTrim's rows: the names of the WorkingSet, read straight from it. No per-row object
// exists, so a folder of 100,000 files costs one reset, not 100,000 items.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FileListModel(WorkingSet& set, QObject* parent = nullptr) : QAbstractListModel(parent), m_set(set) {}

    // Re-reads the folder into the WorkingSet and tells the view. A folder that cannot be read lists nothing.
    void refresh();
    // Shows a reading made elsewhere: the WorkingSet takes it over. Gives the reading's error.
    std::error_code show(FolderReading&& reading);
    // Lists nothing until the next reading, so that the names shown before are released first.
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    WorkingSet& m_set;
};

} // namespace filarion::ui_core
