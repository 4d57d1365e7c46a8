#pragma once

#include <QComboBox>

class QTabWidget;

/// The folder path box: the folder the trees show, where a path can be
/// typed or pasted (Enter goes there), with the recent folders in its
/// drop-down. A folder or file dropped on the window goes there too: a
/// file's folder, the file selected. The box asks; the window's trees follow.
class PathBox : public QComboBox {
    Q_OBJECT
  public:
    /// The recent folders kept.
    static constexpr int RecentCount = 10;

    explicit PathBox(QWidget *parent = nullptr);

    /// Places the box on the tab strip's row, right of the tabs.
    void placeBeside(const QTabWidget &tabs);
    /// Takes drops of folders and files on window.
    void acceptDropsOn(QWidget &window);
    /// Shows folder, the trees' folder now, without asking to go there.
    void showFolder(const QString &folder);
    /// Puts folder first in the recent folders.
    void noteRecent(const QString &folder);
    QStringList recentFolders() const;
    void setRecentFolders(const QStringList &folders);

    /// Where a typed, pasted or dropped path leads: a folder itself, or a
    /// file's folder and the file's name; empty when it names nothing.
    struct Target {
        QString folder;
        QString fileName;
    };
    static Target targetOf(const QString &path);

  Q_SIGNALS:
    /// The user asked for a folder (and a file in it, or none).
    void folderChosen(const QString &folder, const QString &fileName);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void choose(const QString &path);
};
