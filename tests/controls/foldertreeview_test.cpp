#include "controls/foldertree/foldertreeview.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FolderTreeViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "foldertree";
        static char *argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }
    TempDir dir;
    FolderTreeView tree;
};

} // namespace

// Fontconfig keeps a cache for the life of the process that the leak checker
// of the sanitizer build would otherwise report.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

TEST_F(FolderTreeViewTest, StartsOnTheRoot) {
    EXPECT_EQ(tree.selectedFolder(), QDir::rootPath());
}

TEST_F(FolderTreeViewTest, SettingAFolderSelectsItAndSignalsOnce) {
    const QString folder = dir.mkdir(QStringLiteral("a/b"));
    QSignalSpy changed(&tree, &FolderTreeView::folderChanged);
    ASSERT_TRUE(tree.setSelectedFolder(folder));
    EXPECT_EQ(tree.selectedFolder(), folder);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(tree.setSelectedFolder(folder + u'/'));
    EXPECT_EQ(changed.count(), 1); // the same folder again is no change
    EXPECT_EQ(tree.selectedFolder(), folder);
}

TEST_F(FolderTreeViewTest, PathsItCannotShowFailAndLeaveTheSelection) {
    const QString folder = dir.mkdir(QStringLiteral("kept"));
    ASSERT_TRUE(tree.setSelectedFolder(folder));
    EXPECT_FALSE(tree.setSelectedFolder(dir.file(QStringLiteral("missing"))));
    EXPECT_FALSE(tree.setSelectedFolder(dir.write(QStringLiteral("file.txt"), "x")));
    EXPECT_FALSE(tree.setSelectedFolder(QString()));
    EXPECT_EQ(tree.selectedFolder(), folder);
}

TEST_F(FolderTreeViewTest, TheUsersPickIsSignalled) {
    const QString folder = dir.mkdir(QStringLiteral("picked"));
    QSignalSpy changed(&tree, &FolderTreeView::folderChanged);
    tree.setCurrentIndex(static_cast<QFileSystemModel *>(tree.model())->index(folder));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), folder);
    EXPECT_EQ(tree.selectedFolder(), folder);
}

TEST_F(FolderTreeViewTest, TheUsersPickStaysWhereItWasClickedWhenHandedBack) {
    for (int i = 0; i < 60; ++i)
        dir.mkdir(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
    tree.resize(200, 150);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    ASSERT_TRUE(tree.setSelectedFolder(dir.file(QStringLiteral("f30"))));
    auto *model = static_cast<QFileSystemModel *>(tree.model());
    const QModelIndex parent = model->index(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(parent) == 60; }, 5000));
    QTest::qWait(300); // the pending scroll after the folder loaded
    tree.doItemsLayout();
    // A row near the top: centring it, as a pick handed back once did, would scroll.
    const QModelIndex below = tree.indexBelow(tree.indexAt(QPoint(5, 2)));
    ASSERT_TRUE(below.isValid());
    const int scrolled = tree.verticalScrollBar()->value();
    tree.setCurrentIndex(below); // the user's pick of a folder in sight
    EXPECT_EQ(tree.selectedFolder(), model->filePath(below));
    EXPECT_EQ(tree.verticalScrollBar()->value(), scrolled);
    // The other tree hands the same folder back, as the window's trees do.
    ASSERT_TRUE(tree.setSelectedFolder(model->filePath(below)));
    QTest::qWait(50);
    EXPECT_EQ(tree.verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(tree.currentIndex(), below);
    // A folder set by the program is brought into view.
    ASSERT_TRUE(tree.setSelectedFolder(dir.file(QStringLiteral("f59"))));
    EXPECT_TRUE(tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex()).center()));
}
