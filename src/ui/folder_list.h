#pragma once

#include "ui/folder_list_model.h"

#include <QListView>
#include <functional>
#include <optional>

namespace filarion::ui {

// The folder list dirTrim: a classic directory list box. One click selects an entry; a double click or
// Enter opens it, which makes it the current folder.
class FolderList : public QListView {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    const QString& path() const { return m_model.folder(); }

    // Reads a folder the list moves to (given clean, as the list holds it): its visible subfolders in list
    // order, or nothing when it cannot be listed. Without one, the list reads the subfolders itself.
    using Reader = std::function<std::optional<QStringList>(const QString& folder)>;
    void setReader(Reader reader) { m_reader = std::move(reader); }

    // Makes the folder current and raises pathChanged when it differs from the current one. A folder that
    // cannot be listed is not moved to: false.
    bool setPath(const QString& folder);
    // Makes a clean folder whose subfolders were read elsewhere current (none yet: its ancestors alone), and
    // raises pathChanged when it differs from the current one.
    void show(const QString& folder, QStringList subfolders);

    // A folder dragged from a file manager and dropped on this list or on `view` is walked to as setPath
    // does; a dropped file takes its folder. Nothing is done to what was dropped.
    void takeFolderDrops(QAbstractItemView* view);

signals:
    // dirTrim_Change: the current folder changed.
    void pathChanged(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openRow(int row);

    FolderListModel m_model;
    Reader m_reader;
};

} // namespace filarion::ui
