#include "controls/foldertree/foldertreeview.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>

namespace {

/// The tree's icons, taken without looking into any file. The model learns of
/// every file in a folder it shows, and asks again whenever one changes (a
/// scan reading a file touches its access time, another program writes one):
/// the stock provider named each file's type from its content, on the
/// window's thread, a whole folder at a time. The tree shows only folders.
class FolderIconProvider : public QFileIconProvider {
  public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo &info) const override {
        return info.isDir() ? QFileIconProvider::icon(info) : QIcon();
    }
    QString type(const QFileInfo &info) const override {
        return info.isDir() ? QFileIconProvider::type(info) : FolderTreeView::tr("File");
    }
};

} // namespace

FolderTreeView::FolderTreeView(QWidget *parent)
    : QTreeView(parent), model_(new QFileSystemModel(this)),
      icons_(std::make_unique<FolderIconProvider>()) {
    model_->setIconProvider(icons_.get());
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    const QString root = QDir::rootPath();
    model_->setRootPath(root);
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        hideColumn(column);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
    selected_ = root;
    QTreeView::setCurrentIndex(model_->index(root));
    // Rows come and are sorted some time after a folder has loaded.
    connect(model_, &QFileSystemModel::directoryLoaded, this, &FolderTreeView::showSelected);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &FolderTreeView::showSelected);
    connect(model_, &QAbstractItemModel::layoutChanged, this, &FolderTreeView::showSelected);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { keepInView_ = false; });
}

FolderTreeView::~FolderTreeView() {
    delete model_; // before the icon provider it asks
}

void FolderTreeView::showSelected() {
    if (keepInView_)
        scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
}

void FolderTreeView::resizeEvent(QResizeEvent *event) {
    QTreeView::resizeEvent(event);
    showSelected();
}

void FolderTreeView::mousePressEvent(QMouseEvent *event) {
    keepInView_ = false;
    QTreeView::mousePressEvent(event);
}

void FolderTreeView::wheelEvent(QWheelEvent *event) {
    keepInView_ = false;
    QTreeView::wheelEvent(event);
}

void FolderTreeView::keyPressEvent(QKeyEvent *event) {
    keepInView_ = false;
    QTreeView::keyPressEvent(event);
}

bool FolderTreeView::setSelectedFolder(const QString &path) {
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.isDir())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const QModelIndex index = model_->index(clean);
    if (!index.isValid() || model_->filePath(index) != clean)
        return false;
    // The folder shown already (the user's own pick, handed back by the other
    // tree) is left where the user sees it: scrolling it would move another
    // folder under the mouse.
    if (clean == selected_ && currentIndex() == index)
        return true;
    setCurrentIndex(index);
    keepInView_ = true;
    showSelected();
    return true;
}

void FolderTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTreeView::currentChanged(current, previous);
    keepInView_ = false; // a pick of the user's is not scrolled later
    if (!current.isValid())
        return;
    const QString path = model_->filePath(current);
    if (path.isEmpty() || path == selected_)
        return;
    selected_ = path;
    Q_EMIT folderChanged(path);
}
