#include "controls/foldertree/foldertreeview.h"
#include "support/tempdir.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
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

// The tree follows its folders while it shows them: folders the user makes or
// removes come and go, files written beside them change nothing it shows, and
// a changed file is never opened to learn its type.
TEST_F(FolderTreeViewTest, FoldersMadeOrRemovedWhileShownComeAndGo) {
    const QString shown = dir.mkdir(QStringLiteral("shown"));
    ASSERT_TRUE(tree.setSelectedFolder(shown));
    tree.expand(tree.currentIndex());
    auto *model = static_cast<QFileSystemModel *>(tree.model());
    const QModelIndex parent = model->index(shown);
    ASSERT_TRUE(waitUntil([&] { return !model->canFetchMore(parent); }));
    QTest::qWait(100);
    ASSERT_EQ(model->rowCount(parent), 0);

    const QString made = dir.mkdir(QStringLiteral("shown/made"));
    EXPECT_TRUE(waitUntil([&] { return model->rowCount(parent) == 1; }));
    EXPECT_EQ(model->filePath(model->index(0, 0, parent)), made);

    dir.write(QStringLiteral("shown/notes"), "%PDF-1.4\n");
    QTest::qWait(200);
    EXPECT_EQ(model->rowCount(parent), 1);

    ASSERT_TRUE(QDir(made).removeRecursively());
    EXPECT_TRUE(waitUntil([&] { return model->rowCount(parent) == 0; }));
}

TEST_F(FolderTreeViewTest, FilesAreNamedWithoutReadingThem) {
    // Content that reads as a document: naming its type would mean opening it.
    const QFileInfo file(dir.write(QStringLiteral("notes"), "%PDF-1.4\n"));
    const QAbstractFileIconProvider *icons =
        static_cast<QFileSystemModel *>(tree.model())->iconProvider();
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(icons->type(file), QStringLiteral("File"));
    EXPECT_TRUE(icons->icon(file).isNull());
    const QFileInfo folder(dir.mkdir(QStringLiteral("folder")));
    EXPECT_FALSE(icons->icon(folder).isNull());
    EXPECT_EQ(icons->type(folder), QFileIconProvider().type(folder));
}

TEST_F(FolderTreeViewTest, AFolderSetBeforeTheTreeIsShownIsInViewOnceShown) {
    // Deep, below many folders at each level, set while hidden as the
    // window's settings set it, then shown at its final size.
    for (int i = 0; i < 40; ++i)
        dir.mkdir(QStringLiteral("f%1/g%1").arg(i, 2, 10, QLatin1Char('0')));
    const QString deep = dir.mkdir(QStringLiteral("f33/g33/h/i"));
    tree.resize(150, 80);
    ASSERT_TRUE(tree.setSelectedFolder(deep));
    tree.resize(200, 120);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    const auto inView = [this] {
        tree.doItemsLayout();
        return tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex()).center());
    };
    EXPECT_TRUE(QTest::qWaitFor(inView, 5000));
    QTest::qWait(300); // folders still loading keep it there
    EXPECT_TRUE(inView());
    // Once the user scrolls, later loads leave the tree where the user put it.
    tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    QTest::qWait(300);
    EXPECT_EQ(tree.verticalScrollBar()->value(), 0);
}
