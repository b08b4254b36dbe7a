#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class QListView;
class QMenu;
class QWidget;

namespace filarion::ui {

// The file list's context menu: "预览改名(&P)…" (actPreview) and "撤销上次改名(&U)…" (actUndo), opened by a right
// click, the Menu key or Shift+F10, and their window-wide shortcuts Alt+P and Alt+U, which no caption of the
// window uses as its access key. It lives as long as the window, its parent.
class FileListMenu : public QObject {
    Q_OBJECT

public:
    FileListMenu(QListView& list, QWidget& window, const std::function<void()>& preview,
                 const std::function<void()>& undo);

protected:
    // Every way in: the context-menu events of the list and its viewport, the Menu key and Shift+F10.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(const QPoint& globalPos);
    QPoint currentEntryPoint() const;

    QListView& m_list;
    QMenu* m_menu = nullptr;
};

} // namespace filarion::ui
