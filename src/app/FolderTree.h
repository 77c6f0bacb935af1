#pragma once
// A tree of the machine's folders (no files). Its text is the selected
// folder's full path ending in the platform separator; setting the text
// selects that folder and scrolls it into view. The tree is as wide as its
// longest shown name and scrolls sideways, so the chosen folder's name is seen
// whole however deep it lies; its full path is the tree's tooltip.
// A folder whose name is not UTF-8 cannot be shown; set as the text, it stays
// the text, with nothing selected, until the user chooses another folder.

#include <QTimer>
#include <QTreeView>

class QFileSystemModel;

namespace vardolin::app {

class FolderTree : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& path);
    // Shows the folder again with its children, so that a folder just made
    // in it is listed.
    void showFolderAnew(const QString& path);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // The user (or setText) chose another folder.
    void folderChosen();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPathAsToolTip();
    void reveal();
    void fitColumn();
    void showNameWhole(const QModelIndex& index);

    QFileSystemModel* model_;
    QString revealing_; // the folder set by setText, until the user takes over
    QString unshown_;   // a folder set by setText that the tree cannot show
    QTimer revealTimer_;
    QTimer fitTimer_; // the names shown changed: fit the column to them
};

} // namespace vardolin::app
