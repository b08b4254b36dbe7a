#include "ui/folder_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

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
}

bool FolderList::setPath(const QString& folder) {
    const QString before = m_model.folder();
    if (!m_model.setFolder(folder)) {
        return false;
    }
    const QModelIndex current = m_model.index(m_model.currentRow());
    setCurrentIndex(current);
    // The current folder in the middle: its parents above it, its subfolders below.
    scrollTo(current, QAbstractItemView::PositionAtCenter);
    if (m_model.folder() != before) {
        emit pathChanged(m_model.folder());
    }
    return true;
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
