#pragma once

#include "scan/fileselection.h"

#include <QListWidget>

/// The files of one folder, sorted by name, with extended multi-selection.
class FileListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString path() const { return path_; }
    /// Lists the files of folder; false, with the list unchanged, when it is
    /// not a readable folder.
    bool setPath(const QString &folder);
    /// Lists the folder's files again.
    void refresh();

  private:
    QString path_;
};

/// The file list as the scan run reads it: every call looks at the list as it
/// is now, so the user's changes during a run take effect.
class FileListSelection : public FileSelection {
  public:
    explicit FileListSelection(const FileListBox &list) : list_(list) {}
    int count() const override { return list_.count(); }
    bool isSelected(int index) const override;
    QString name(int index) const override;
    QString folderPath() const override { return list_.path(); }

  private:
    const FileListBox &list_;
};
