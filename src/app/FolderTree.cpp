#include "app/FolderTree.h"

#include "app/PlainToolTip.h"
#include "util/FileNames.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace vardolin::app {
namespace {

// The model leaves out every name that is not UTF-8 (Qt decodes it to
// U+FFFD and then cannot find it), so such a folder, given by the path
// argument, cannot be selected. It stays the tree's text all the same, until
// the user chooses a folder the tree shows.
QString unshownFolder(const QString& path)
{
    const QString folder = util::withTrailingSeparator(QDir::toNativeSeparators(path));
    if (util::fileNameFromText(folder) == QFile::encodeName(folder) || !util::isFolder(folder))
        return {};
    return folder;
}

} // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this))
{
    model_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    model_->setRootPath(QString());
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        hideColumn(column);
    header()->hide();
    header()->setStretchLastSection(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (current.isValid())
            unshown_.clear();
        showPathAsToolTip();
        emit folderChosen();
    });
    fitTimer_.setSingleShot(true);
    fitTimer_.setInterval(0);
    connect(&fitTimer_, &QTimer::timeout, this, [this] { fitColumn(); });
    connect(this, &QTreeView::expanded, &fitTimer_, qOverload<>(&QTimer::start));
    connect(this, &QTreeView::collapsed, &fitTimer_, qOverload<>(&QTimer::start));
    // The model lists folders in the background, and each listing of a
    // folder above the selection moves its row: scroll to it again until the
    // user works with the tree.
    // The model sorts a listing shortly after it arrives, so the scroll waits
    // for that too.
    revealTimer_.setSingleShot(true);
    revealTimer_.setInterval(100);
    connect(&revealTimer_, &QTimer::timeout, this, [this] { reveal(); });
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        fitTimer_.start();
        if (!revealing_.isEmpty() && revealing_.startsWith(path)) {
            reveal();
            revealTimer_.start();
        }
    });
}

void FolderTree::showPathAsToolTip()
{
    const QString path = text();
    setToolTip(path.isEmpty() ? QString() : plainToolTip(path));
}

void FolderTree::reveal()
{
    fitColumn();
    if (currentIndex().isValid())
        scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

// The one column is as wide as the widest name shown, at least as wide as the
// view; a wider column makes the view scroll sideways.
void FolderTree::fitColumn()
{
    const int wanted = std::max(viewport()->width(), sizeHintForColumn(0));
    if (columnWidth(0) == wanted)
        return;
    setColumnWidth(0, wanted);
    updateGeometries();
}

// The view's own scrolling moves sideways to whole columns only; with one
// wide column that would show its left edge and leave a deep name cut off.
void FolderTree::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTreeView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
    showNameWhole(index);
}

// Scrolls sideways as little as needed to show the folder's icon and name,
// its start rather than its end when both do not fit.
void FolderTree::showNameWhole(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int start = visualRect(index).left() + bar->value();
    const int end = start + sizeHintForIndex(index).width();
    int value = bar->value();
    if (end - value > viewport()->width())
        value = end - viewport()->width();
    if (start < value)
        value = start;
    bar->setValue(value);
}

void FolderTree::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    fitTimer_.start();
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
        return unshown_;
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
        unshown_ = unshownFolder(path);
        clearSelection();
        setCurrentIndex(QModelIndex());
        showPathAsToolTip();
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
