#include "controls/foldertree/foldertreeview.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
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
