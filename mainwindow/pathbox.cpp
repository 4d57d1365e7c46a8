#include "mainwindow/pathbox.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

namespace {

/// The first local path among a drag's URLs, or empty.
QString droppedPath(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

PathBox::PathBox(QWidget *parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert); // the trees decide what is shown
    setMaxCount(RecentCount);
    connect(this, &QComboBox::activated, this, [this](int index) { choose(itemText(index)); });
}

PathBox::Target PathBox::targetOf(const QString &path) {
    QString typed = path.trimmed();
    if (typed.startsWith(u'~'))
        typed = QDir::homePath() + typed.mid(1);
    const QFileInfo info(typed);
    if (typed.isEmpty() || !info.exists())
        return {};
    if (info.isDir())
        return {QDir::cleanPath(info.absoluteFilePath()), {}};
    return {QDir::cleanPath(info.absolutePath()), info.fileName()};
}

void PathBox::choose(const QString &path) {
    const Target target = targetOf(path);
    if (target.folder.isEmpty()) {
        lineEdit()->selectAll(); // nothing there: the text stays to be corrected
        return;
    }
    Q_EMIT folderChosen(target.folder, target.fileName);
}

void PathBox::placeBeside(const QTabWidget &tabs) {
    constexpr int Gap = 8;
    const QTabBar *bar = tabs.tabBar();
    const int left = tabs.x() + bar->x() + bar->sizeHint().width() + Gap;
    const int height = std::min(sizeHint().height(), bar->sizeHint().height());
    // It ends where a corner control of the tabs begins.
    const QWidget *corner = tabs.cornerWidget(Qt::TopRightCorner);
    const int right = corner && corner->isVisible() ? tabs.x() + corner->x() - Gap
                                                    : tabs.x() + tabs.width() - Gap / 2;
    setGeometry(left, tabs.y() + (bar->sizeHint().height() - height) / 2, std::max(0, right - left),
                height);
}

void PathBox::showFolder(const QString &folder) {
    const QSignalBlocker quiet(this);
    setEditText(QDir::toNativeSeparators(folder));
}

void PathBox::noteRecent(const QString &folder) {
    if (folder.isEmpty())
        return;
    const QString shown = currentText();
    QStringList folders = recentFolders();
    folders.removeAll(folder);
    folders.prepend(folder);
    setRecentFolders(folders);
    showFolder(shown);
}

QStringList PathBox::recentFolders() const {
    QStringList folders;
    for (int i = 0; i < count(); ++i)
        folders << itemText(i);
    return folders;
}

void PathBox::setRecentFolders(const QStringList &folders) {
    const QSignalBlocker quiet(this);
    const QString shown = currentText();
    clear();
    for (const QString &folder : folders)
        if (!folder.isEmpty() && count() < RecentCount)
            addItem(folder);
    setEditText(shown);
}

void PathBox::acceptDropsOn(QWidget &window) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

void PathBox::keyPressEvent(QKeyEvent *event) {
    // Enter goes to the typed folder; it must not reach the window, where it would scan.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        choose(currentText());
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool PathBox::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!targetOf(droppedPath(drag->mimeData())).folder.isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = droppedPath(drop->mimeData());
        if (!targetOf(path).folder.isEmpty()) {
            drop->acceptProposedAction();
            choose(path);
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}
