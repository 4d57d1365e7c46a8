#include "mainwindow/filelistbox.h"

#include "platform/direntries.h"
#include "platform/pathname.h"

#include <QStyledItemDelegate>

namespace {

/// Shows a name as the user reads it; the item keeps the name the system has.
class NameDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &locale) const override {
        return platform::displayPath(QStyledItemDelegate::displayText(value, locale));
    }
};

} // namespace

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setItemDelegate(new NameDelegate(this));
}

bool FileListBox::setPath(const QString &folder) {
    if (folder.isEmpty() || !platform::isReadableFolder(folder))
        return false;
    path_ = folder;
    refresh();
    return true;
}

void FileListBox::refresh() {
    clear();
    // Files and links to files, hidden ones left out, in the order of their names.
    for (const platform::DirEntry &entry : platform::listDirectory(path_).entries)
        if (entry.kind == platform::DirEntry::Kind::File && !entry.name.startsWith('.'))
            addItem(platform::pathText(entry.name));
}

bool FileListSelection::isSelected(int index) const {
    const QListWidgetItem *item = list_.item(index);
    return item && item->isSelected();
}

QString FileListSelection::name(int index) const {
    const QListWidgetItem *item = list_.item(index);
    return item ? item->text() : QString();
}
