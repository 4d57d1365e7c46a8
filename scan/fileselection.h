#pragma once

#include <QString>
#include <QStringList>

/// The selected-file mode's file list, read afresh for every entry so that the
/// user's changes during a run take effect.
class FileSelection {
  public:
    virtual ~FileSelection() = default;
    virtual int count() const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual QString name(int index) const = 0;
    virtual QString folderPath() const = 0;
    /// The path scanned: the folder, a separator and the name trimmed of
    /// spaces, unless the untrimmed name is that of an existing file.
    virtual QString path(int index) const;
};

/// A folder and names, all selected (quarrix-scan, tests).
class FixedFileSelection : public FileSelection {
  public:
    FixedFileSelection(QString folder, QStringList names)
        : folder_(std::move(folder)), names_(std::move(names)) {}
    int count() const override { return static_cast<int>(names_.size()); }
    bool isSelected(int) const override { return true; }
    QString name(int index) const override { return names_.value(index); }
    QString folderPath() const override { return folder_; }

  private:
    QString folder_;
    QStringList names_;
};
