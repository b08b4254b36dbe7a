#include "ui/file_list_menu.h"

#include "ui_core/texts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>

namespace filarion::ui {

using namespace Qt::StringLiterals;

FileListMenu::FileListMenu(QListView& list, QWidget& window, const std::function<void()>& preview,
                           const std::function<void()>& undo)
    : QObject(&window), m_list(list) {
    auto* actPreview = new QAction(QString::fromUtf16(ui_core::texts::kMenuPreview), &m_list);
    actPreview->setObjectName(u"actPreview"_s);
    actPreview->setShortcut(QKeySequence(Qt::ALT | Qt::Key_P));
    auto* actUndo = new QAction(QString::fromUtf16(ui_core::texts::kMenuUndo), &m_list);
    actUndo->setObjectName(u"actUndo"_s);
    actUndo->setShortcut(QKeySequence(Qt::ALT | Qt::Key_U));
    m_menu = new QMenu(&window);
    for (QAction* action : {actPreview, actUndo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_list.addAction(action);
        m_menu->addAction(action);
    }
    connect(actPreview, &QAction::triggered, this, [preview] { preview(); });
    connect(actUndo, &QAction::triggered, this, [undo] { undo(); });
    m_list.setToolTip(QString::fromUtf16(ui_core::texts::kFileListTip));
    m_list.installEventFilter(this);
    m_list.viewport()->installEventFilter(this);
}

bool FileListMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        open(menu->reason() == QContextMenuEvent::Mouse ? menu->globalPos() : currentEntryPoint());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
        if (key == QKeyCombination(Qt::Key_Menu) || key == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
            open(currentEntryPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// One menu at a time: on X11 the Menu key comes as a context-menu event and then as the key itself, which
// arrives while the menu is open.
void FileListMenu::open(const QPoint& globalPos) {
    if (!m_menu->isVisible()) {
        m_menu->exec(globalPos);
    }
}

// A key opens the menu at the current entry, or at the list's corner when there is none.
QPoint FileListMenu::currentEntryPoint() const {
    const QRect current = m_list.visualRect(m_list.currentIndex());
    return m_list.viewport()->mapToGlobal(current.isValid() ? current.center() : QPoint(0, 0));
}

} // namespace filarion::ui
