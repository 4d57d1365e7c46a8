#include "mainwindow/filelistbox.h"

#include <QDir>
#include <QFileInfo>

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
}

bool FileListBox::setPath(const QString &folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    path_ = folder;
    refresh();
    return true;
}

void FileListBox::refresh() {
    clear();
    const QDir dir(path_);
    addItems(dir.entryList(QDir::Files, QDir::Name));
}

bool FileListSelection::isSelected(int index) const {
    const QListWidgetItem *item = list_.item(index);
    return item && item->isSelected();
}

QString FileListSelection::name(int index) const {
    const QListWidgetItem *item = list_.item(index);
    return item ? item->text() : QString();
}
