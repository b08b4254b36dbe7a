#include "ui/folder_list.h"

#include "ui_core/command_line.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyle>
#include <QStyledItemDelegate>
#include <optional>

namespace filarion::ui {

namespace {

// Indents each row by its depth in the folder tree, as a directory list box draws it.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width() + indent(option, index), size.height()};
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(FolderListModel::DepthRole).toInt() * option.fontMetrics.averageCharWidth();
    }
};

// The folder to walk to for what a drag carries: the first entry it names, when that is a local folder or a
// file in one.
std::optional<QString> droppedFolder(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty() || !data->urls().constFirst().isLocalFile()) {
        return std::nullopt;
    }
    return ui_core::startFolderOf(data->urls().constFirst().toLocalFile());
}

// The drop only shows the way: never a move, which would tell a file manager to remove what it dragged.
bool acceptWithoutMove(QDropEvent* event) {
    for (const Qt::DropAction action : {Qt::LinkAction, Qt::CopyAction}) {
        if (event->possibleActions().testFlag(action)) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListView(parent), m_model(this) {
    const QStyle* style = QApplication::style();
    m_model.setIcons(style->standardIcon(QStyle::SP_DirOpenIcon), style->standardIcon(QStyle::SP_DirClosedIcon));
    setModel(&m_model);
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) { openRow(index.row()); });
    takeFolderDrops(this);
}

void FolderList::takeFolderDrops(QAbstractItemView* view) {
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
}

bool FolderList::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (droppedFolder(drag->mimeData())) {
            acceptWithoutMove(drag);
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> folder = droppedFolder(drop->mimeData());
        if (!folder || !acceptWithoutMove(drop) || !setPath(*folder)) {
            drop->ignore();
        }
        return true;
    }
    default:
        return QListView::eventFilter(watched, event);
    }
}

bool FolderList::setPath(const QString& folder) {
    return m_opener && m_opener(folder);
}

void FolderList::show(const QString& folder, QStringList subfolders) {
    const QString before = m_model.folder();
    m_model.show(folder, std::move(subfolders));
    const QModelIndex current = m_model.index(m_model.currentRow());
    setCurrentIndex(current);
    // The current folder in the middle: its parents above it, its subfolders below.
    scrollTo(current, QAbstractItemView::PositionAtCenter);
    if (m_model.folder() != before) {
        emit pathChanged(m_model.folder());
    }
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        openRow(currentIndex().row());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void FolderList::openRow(int row) {
    const QString folder = m_model.pathAt(row);
    if (!folder.isEmpty()) {
        setPath(folder);
    }
}

} // namespace filarion::ui
