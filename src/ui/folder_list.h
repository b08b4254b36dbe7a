#pragma once

#include "ui/folder_list_model.h"

#include <QListView>
#include <functional>

namespace filarion::ui {

// The folder list dirTrim: a classic directory list box. One click selects an entry; a double click or
// Enter opens it, which makes it the current folder.
class FolderList : public QListView {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    const QString& path() const { return m_model.folder(); }

    // Moves to a folder the list opens (a row, Enter, a drop): true when the move was made, which shows
    // the folder through show(). The list reads no folder itself.
    using Opener = std::function<bool(const QString& folder)>;
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // Opens the folder: true when the opener moved there. A folder that cannot be listed is not moved to.
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
    Opener m_opener;
};

} // namespace filarion::ui
