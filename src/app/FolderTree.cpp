#include "app/FolderTree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>

namespace vardolin::app {

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this))
{
    model_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    model_->setRootPath(QString());
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { emit folderChosen(); });
    // The model lists folders in the background, and each listing of a
    // folder above the selection moves its row: scroll to it again until the
    // user works with the tree.
    // The model sorts a listing shortly after it arrives, so the scroll waits
    // for that too.
    revealTimer_.setSingleShot(true);
    revealTimer_.setInterval(100);
    connect(&revealTimer_, &QTimer::timeout, this, [this] { reveal(); });
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        if (!revealing_.isEmpty() && revealing_.startsWith(path)) {
            reveal();
            revealTimer_.start();
        }
    });
}

void FolderTree::reveal()
{
    if (currentIndex().isValid())
        scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    revealing_.clear();
    revealTimer_.stop();
    QTreeView::mousePressEvent(event);
}

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    revealing_.clear();
    revealTimer_.stop();
    QTreeView::keyPressEvent(event);
}

void FolderTree::wheelEvent(QWheelEvent* event)
{
    revealing_.clear();
    revealTimer_.stop();
    QTreeView::wheelEvent(event);
}

void FolderTree::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    reveal();
}

QString FolderTree::text() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return {};
    QString path = QDir::toNativeSeparators(model_->filePath(current));
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

void FolderTree::setText(const QString& path)
{
    QString folder = QDir::fromNativeSeparators(path);
    while (folder.size() > 1 && folder.endsWith(u'/') && !folder.endsWith(u":/"))
        folder.chop(1);
    const QModelIndex index = folder.isEmpty() ? QModelIndex() : model_->index(folder);
    if (!index.isValid()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(index);
    revealing_ = model_->filePath(index);
    reveal();
}

void FolderTree::showFolderAnew(const QString& path)
{
    setText(path);
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (model_->canFetchMore(current))
        model_->fetchMore(current);
    expand(current);
}

} // namespace vardolin::app
