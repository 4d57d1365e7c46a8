#pragma once

#include <QTreeView>

#include <memory>

class QAbstractFileIconProvider;
class QFileSystemModel;

/// The folder tree the user picks one folder in. The drives (on Linux, the
/// file-system root) form the top level; only folders are shown.
class FolderTreeView : public QTreeView {
    Q_OBJECT
  public:
    explicit FolderTreeView(QWidget *parent = nullptr);
    ~FolderTreeView() override;

    /// The full path of the selected folder; the root reads "/".
    QString selectedFolder() const { return selected_; }
    /// Selects and shows path. False, with the selection unchanged, for a path
    /// the tree cannot show (missing, not a folder, hidden from the tree).
    bool setSelectedFolder(const QString &path);

  Q_SIGNALS:
    /// The selected folder changed, by the user or by setSelectedFolder.
    void folderChanged(const QString &path);

  protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void showSelected();

    QFileSystemModel *model_;
    std::unique_ptr<QAbstractFileIconProvider> icons_;
    QString selected_;
    /// The folders load in the background, and the tree may be laid out
    /// after a folder is set: a folder set by the program is brought into
    /// view again as folders load and the tree is sized, until the user
    /// moves in the tree.
    bool keepInView_ = false;
};
