// The folder path box: a typed, pasted or dropped path moves the trees (a
// file's path selects the file), Enter there never scans, and the recent
// folders outlive the window.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/pathbox.h"
#include "windowtestsupport.h"

#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

TEST(PathBoxTarget, AFolderAFileOrNothing) {
    TempDir dir;
    const QString sub = dir.mkdir(QStringLiteral("sub"));
    dir.write(QStringLiteral("sub/a.txt"), "x");
    const QString home = QDir::homePath();
    const struct {
        QString typed, folder, fileName;
    } cases[] = {
        {sub, sub, {}},
        {u"  "_qs + sub + u"/  "_qs, sub, {}}, // pasted with spaces and a trailing slash
        {sub + u"/a.txt"_qs, sub, u"a.txt"_qs},
        {sub + u"/../sub"_qs, sub, {}},
        {u"~"_qs, QDir::cleanPath(home), {}},
        {sub + u"/missing"_qs, {}, {}},
        {{}, {}, {}},
    };
    for (const auto &c : cases) {
        const PathBox::Target target = PathBox::targetOf(c.typed);
        EXPECT_EQ(target.folder, c.folder) << c.typed.toStdString();
        EXPECT_EQ(target.fileName, c.fileName) << c.typed.toStdString();
    }
}

class PathBoxWindow : public WindowTest {
  protected:
    PathBox *box() { return control<PathBox>("PathBox"); }
    QString treeFolder() { return control<FolderTreeView>("FTV2")->selectedFolder(); }
};

TEST_F(PathBoxWindow, TypedOrDroppedPathsMoveTheTreesAndNeverScan) {
    const QString one = dir.mkdir(QStringLiteral("one"));
    const QString two = dir.mkdir(QStringLiteral("two"));
    dir.write(QStringLiteral("two/b.txt"), "beta\n");
    dir.write(QStringLiteral("two/c.txt"), "gamma\n");
    openOnFiles(one, {});
    form->show();
    EXPECT_EQ(box()->currentText(), one);
    box()->setFocus();
    box()->lineEdit()->setText(two);
    form->SBar(u"Ready"_qs);
    QTest::keyClick(box()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(treeFolder(), two);
    EXPECT_EQ(control<FileListBox>("File1")->path(), two);
    EXPECT_EQ(statusText(), u"Ready"_qs); // Enter in the box did not scan
    // A dropped file: its folder, the file selected.
    openOnFiles(one, {});
    form->show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(two + u"/c.txt"_qs)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(treeFolder(), two);
    const QList<QListWidgetItem *> selected = control<FileListBox>("File1")->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first()->text(), u"c.txt"_qs);
    // Something that is no local path is refused.
    QMimeData web;
    web.setUrls({QUrl(u"https://example.org/"_qs)});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, {});
    QCoreApplication::sendEvent(form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(PathBoxWindow, TheFoldersScannedAreKeptMostRecentFirst) {
    const QString one = dir.mkdir(QStringLiteral("one"));
    const QString two = dir.mkdir(QStringLiteral("two"));
    dir.write(QStringLiteral("one/a.txt"), "alpha\n");
    dir.write(QStringLiteral("two/a.txt"), "alpha\n");
    for (const QString &folder : {one, two, one}) {
        openOnFiles(folder, {QStringLiteral("a.txt")});
        form->SBar(u"Ready"_qs);
        scanFor(QStringLiteral("alpha"));
        form->close();
    }
    EXPECT_EQ(stored(u"RecentFolder01"_qs), one);
    EXPECT_EQ(stored(u"RecentFolder02"_qs), two);
    openWindow();
    EXPECT_EQ(box()->recentFolders(), (QStringList{one, two}));
}
