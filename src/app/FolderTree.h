#pragma once
// A tree of the machine's folders (no files). Its text is the selected
// folder's full path ending in the platform separator; setting the text
// selects that folder and scrolls it into view.

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

signals:
    // The user (or setText) chose another folder.
    void folderChosen();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void reveal();

    QFileSystemModel* model_;
    QString revealing_; // the folder set by setText, until the user takes over
    QTimer revealTimer_;
};

} // namespace vardolin::app
