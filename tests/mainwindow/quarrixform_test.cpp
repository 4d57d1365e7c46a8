// The window's start-up, settings, folder synchronisation, tab switch and
// resize sequences.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"
#include "mainwindow/statusbar.h"
#include "mainwindow/taglayout.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace SettingsStore;

namespace {

class QuarrixFormTest : public WindowTest {};

QRectF twips(QWidget *control) {
    return TagLayout::twipsGeometry(control);
}

} // namespace

TEST_F(QuarrixFormTest, FirstRunWithAnEmptyStore) {
    openWindow();
    const QString root = QDir::rootPath();
    EXPECT_EQ(control<FolderTreeView>("FTV1")->selectedFolder(), root);
    EXPECT_EQ(control<FolderTreeView>("FTV2")->selectedFolder(), root);
    EXPECT_EQ(control<FileListBox>("File1")->path(), root);
    EXPECT_EQ(control<QTabWidget>("ModeTabs")->currentIndex(), 0);
    EXPECT_TRUE(control<QGroupBox>("FileFrame")->isVisibleTo(form.get()));
    EXPECT_FALSE(control<QGroupBox>("DSFrame")->isVisibleTo(form.get()));
    EXPECT_FALSE(control<QRadioButton>("AllFiles")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("SpecifiedFiles")->isChecked());
    EXPECT_EQ(control<QLineEdit>("SpecifiedType")->text(), u"TXT");
    EXPECT_TRUE(control<QLineEdit>("SpecifiedType")->isEnabled());
    EXPECT_EQ(control<SearchBox>("TextList")->count(), 0);
    EXPECT_EQ(control<SearchBox>("TextList")->currentText(), u"");
    EXPECT_EQ(control<QGroupBox>("FileFrame")->title(), root);
    EXPECT_EQ(statusText(), u"Ready");
    EXPECT_EQ(control<QPushButton>("ScanButton")->text(), u"&Scan");
    EXPECT_FALSE(control<QPushButton>("SaveButton")->isEnabled());
    EXPECT_EQ(control<QLabel>("MatchCountLabel")->text(), u"0");
    const QAbstractItemModel *rows = control<QTableView>("MatchLV")->model();
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_EQ(rows->headerData(0, Qt::Horizontal).toString(), u"Full Path");
    EXPECT_EQ(rows->headerData(1, Qt::Horizontal).toString(), u"Line #");
    EXPECT_EQ(rows->headerData(2, Qt::Horizontal).toString(), u"Match");
    EXPECT_EQ(QuarrixForm::titleText(), u"Quarrix Pro (V1.6.001)");
}

TEST_F(QuarrixFormTest, ControlsCarryTheirNamesTagsAndDesignGeometry) {
    openWindow();
    EXPECT_EQ(twips(control<QWidget>("FTV1")), QRectF(120, 240, 3015, 2355));
    EXPECT_EQ(TagLayout::tag(control<QWidget>("FTV1")), u"W2");
    EXPECT_EQ(control<QWidget>("FTV1")->parentWidget()->objectName(), u"FileFrame");
    EXPECT_EQ(control<QWidget>("SpecifiedType")->parentWidget()->objectName(), u"Frame3");
    EXPECT_EQ(TagLayout::tag(control<QWidget>("File1")), u"WL2");
    EXPECT_EQ(TagLayout::tag(control<QWidget>("MatchLV")), u"R");
    EXPECT_EQ(TagLayout::tag(control<QWidget>("Picture1")), u"B");
    EXPECT_TRUE(control<QPushButton>("ScanButton")->isDefault());
    EXPECT_FALSE(control<QWidget>("FoundFilesList")->isVisibleTo(form.get()));
    EXPECT_FALSE(control<QWidget>("RTB")->isVisibleTo(form.get()));
    auto *tabs = control<QTabWidget>("ModeTabs");
    EXPECT_EQ(tabs->tabText(1), u"Directory Tree Scan");
    EXPECT_EQ(tabs->tabToolTip(0), u"Scan Selected Files For Text");
    QStringList items;
    for (QAction *item : control<QMenu>("mnuFileSub")->actions())
        items << item->objectName() + u'=' + item->text();
    EXPECT_EQ(items,
              QStringList({u"mnuFileInfo=&File Information"_qs, u"mnuSpace1="_qs,
                           u"mnuLaunch=&Launch File"_qs, u"mnuSpace2="_qs, u"mnuEdit=&Edit File"_qs,
                           u"mnuSpace3="_qs, u"mnuOpenFolder=Open &Containing Folder"_qs,
                           u"mnuCopyPath=Copy &Path"_qs}));
    // Tab order top to bottom, left to right, both modes' controls included.
    const QStringList expected = QStringLiteral("ModeTabs FTV1 File1 FTV2 AllFiles SpecifiedFiles "
                                                "SpecifiedType TextList ScanButton MatchLV "
                                                "SaveButton HelpButton AboutButton ExitButton")
                                     .split(u' ');
    QStringList order;
    QWidget *w = control<QWidget>("ModeTabs");
    for (int i = 0; i < 200 && order.size() < expected.size(); ++i, w = w->nextInFocusChain())
        if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
            order << w->objectName();
    EXPECT_EQ(order, expected);
}

TEST_F(QuarrixFormTest, StoredSettingsComeBack) {
    const QString folder = dir.mkdir(QStringLiteral("work"));
    dir.write(QStringLiteral("work/b.txt"), "b");
    dir.write(QStringLiteral("work/a.txt"), "a");
    store(QStringLiteral("LastPath"), folder);
    store(QStringLiteral("LastDSPath"), folder);
    store(QStringLiteral("AllFiles"), QStringLiteral("true"));
    store(QStringLiteral("SpecifiedFiles"), QStringLiteral("0"));
    store(QStringLiteral("SpecifiedType"), QStringLiteral("  cpp "));
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    store(QStringLiteral("LastSearch02"), QStringLiteral("beta"));
    store(QStringLiteral("LastSearch05"), QStringLiteral("alpha|gamma"));
    store(QStringLiteral("LastScanText"), QStringLiteral("now"));
    openWindow();
    EXPECT_EQ(control<FolderTreeView>("FTV1")->selectedFolder(), folder);
    EXPECT_EQ(control<FileListBox>("File1")->count(), 2);
    EXPECT_EQ(control<FileListBox>("File1")->item(0)->text(), u"a.txt");
    EXPECT_TRUE(control<QRadioButton>("AllFiles")->isChecked());
    EXPECT_FALSE(control<QLineEdit>("SpecifiedType")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("SpecifiedType")->text(), u"cpp");
    EXPECT_EQ(control<QTabWidget>("ModeTabs")->currentIndex(), 1);
    EXPECT_TRUE(control<QGroupBox>("DSFrame")->isVisibleTo(form.get()));
    EXPECT_EQ(control<QGroupBox>("DSFrame")->title(), folder);
    EXPECT_EQ(statusText(), u"Ready");
    auto *search = control<SearchBox>("TextList");
    ASSERT_EQ(search->count(), 2);
    EXPECT_EQ(search->itemText(0), u"beta");
    EXPECT_EQ(search->itemText(1), u"alpha|gamma");
    EXPECT_EQ(search->currentText(), u"now");
}

TEST_F(QuarrixFormTest, DeletedFolderAndUnknownTabFallBack) {
    const QString gone = dir.mkdir(QStringLiteral("gone"));
    store(QStringLiteral("LastPath"), gone);
    store(QStringLiteral("LastTab"), QStringLiteral("3"));
    store(QStringLiteral("SpecifiedFiles"), QStringLiteral("maybe"));
    QDir(gone).removeRecursively();
    openWindow();
    EXPECT_EQ(control<FolderTreeView>("FTV1")->selectedFolder(), QDir::rootPath());
    EXPECT_EQ(control<FileListBox>("File1")->path(), QDir::rootPath());
    EXPECT_EQ(control<QTabWidget>("ModeTabs")->currentIndex(), 0);
    // A value that is no boolean leaves the design's choice.
    EXPECT_TRUE(control<QRadioButton>("AllFiles")->isChecked());
}

TEST_F(QuarrixFormTest, CloseSavesEveryKeyAndFifteenPastSearches) {
    openWindow();
    auto *search = control<SearchBox>("TextList");
    for (int i = 0; i < 20; ++i)
        search->addItem(QStringLiteral("search %1").arg(i));
    search->setEditText(QStringLiteral("  current "));
    control<QLineEdit>("SpecifiedType")->setText(QStringLiteral(" h "));
    control<QTabWidget>("ModeTabs")->setCurrentIndex(1);
    form->show();
    form->close();
    EXPECT_EQ(statusText(), u"Saving Settings");
    EXPECT_EQ(stored(QStringLiteral("LastSearch01")), u"search 0");
    EXPECT_EQ(stored(QStringLiteral("LastSearch15")), u"search 14");
    EXPECT_EQ(stored(QStringLiteral("LastSearch16")), u"<missing>");
    EXPECT_EQ(stored(QStringLiteral("LastScanText")), u"current");
    EXPECT_EQ(stored(QStringLiteral("SpecifiedType")), u"h");
    EXPECT_EQ(stored(QStringLiteral("LastTab")), u"2");
    EXPECT_EQ(stored(QStringLiteral("AllFiles")), u"False");
    EXPECT_EQ(stored(QStringLiteral("SpecifiedFiles")), u"True");
    EXPECT_EQ(stored(QStringLiteral("LastPath")), QDir::rootPath());

    // A shorter list empties the keys past its end.
    form.reset();
    openWindow();
    ASSERT_EQ(control<SearchBox>("TextList")->count(), 15);
    control<SearchBox>("TextList")->clear();
    control<SearchBox>("TextList")->addItem(QStringLiteral("only"));
    form->close();
    EXPECT_EQ(stored(QStringLiteral("LastSearch01")), u"only");
    EXPECT_EQ(stored(QStringLiteral("LastSearch02")), u"");
}

TEST_F(QuarrixFormTest, BothTreesFollowOneFolder) {
    const QString folder = dir.mkdir(QStringLiteral("picked"));
    dir.write(QStringLiteral("picked/x.txt"), "x");
    openWindow();
    auto *tabs = control<QTabWidget>("ModeTabs");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(statusText(), u"Directory Scanning");
    // The user picks a folder in the directory-tree mode.
    auto *ftv2 = control<FolderTreeView>("FTV2");
    ftv2->setCurrentIndex(static_cast<QFileSystemModel *>(ftv2->model())->index(folder));
    tabs->setCurrentIndex(0);
    EXPECT_EQ(statusText(), u"File Scanning");
    EXPECT_EQ(control<FolderTreeView>("FTV1")->selectedFolder(), folder);
    EXPECT_EQ(control<FileListBox>("File1")->path(), folder);
    EXPECT_EQ(control<FileListBox>("File1")->count(), 1);
    EXPECT_EQ(control<QGroupBox>("FileFrame")->title(), folder);
    EXPECT_EQ(control<QGroupBox>("DSFrame")->title(), folder);

    // A folder that vanished under the tree puts both trees on the root.
    const QString doomed = dir.mkdir(QStringLiteral("doomed"));
    auto *ftv1 = control<FolderTreeView>("FTV1");
    const QModelIndex doomedIndex = static_cast<QFileSystemModel *>(ftv1->model())->index(doomed);
    QDir(doomed).removeRecursively();
    ftv1->setCurrentIndex(doomedIndex);
    EXPECT_EQ(ftv1->selectedFolder(), QDir::rootPath());
    EXPECT_EQ(ftv2->selectedFolder(), QDir::rootPath());
}

TEST_F(QuarrixFormTest, ResizingFollowsTheTagsAndNeverGoesBelowTheFirstSize) {
    openWindow();
    form->show();
    ASSERT_TRUE(waitUntil([&] { return TagLayout::LayoutWidth != 0; }));
    const QSize first = form->size();
    auto *matchList = control<QTableView>("MatchLV");
    const int pathColumn = matchList->horizontalHeader()->sectionSize(0);
    const int matchColumn = matchList->horizontalHeader()->sectionSize(2);
    form->resize(first.width() + 20, first.height()); // 300 twips wider
    ASSERT_TRUE(waitUntil([&] { return form->width() == first.width() + 20; }));
    EXPECT_EQ(twips(control<QWidget>("FTV1")), QRectF(120, 240, 3015 + 150, 2355));
    EXPECT_EQ(twips(control<QWidget>("File1")), QRectF(3240 + 150, 480, 3855 + 150, 2040));
    EXPECT_EQ(twips(control<QWidget>("Label1")), QRectF(3240 + 300, 240, 3855, 255));
    EXPECT_EQ(twips(matchList).width(), 7215 + 300);
    EXPECT_EQ(twips(control<QWidget>("ExitButton")).left(), 6120 + 300);
    // Extra width goes to the paths (two fifths) and the matches.
    EXPECT_EQ(matchList->horizontalHeader()->sectionSize(0), pathColumn + 8);
    EXPECT_EQ(matchList->horizontalHeader()->sectionSize(2), matchColumn + 12);
    EXPECT_EQ(control<QWidget>("Picture1")->width(), form->width());

    form->resize(first.width() + 5, first.height()); // an odd 75 twips over the first size
    ASSERT_TRUE(waitUntil([&] { return form->width() == first.width() + 5; }));
    EXPECT_EQ(twips(control<QWidget>("File1")), QRectF(3240 + 37.5, 480, 3855 + 37.5, 2040));
    form->resize(first.width() - 100, first.height() - 100); // below the first size
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), first);
    EXPECT_EQ(twips(control<QWidget>("File1")), QRectF(3240, 480, 3855, 2040));
    EXPECT_EQ(twips(control<QWidget>("FTV1")), QRectF(120, 240, 3015, 2355));
}

TEST_F(QuarrixFormTest, PopupFollowsTheListWithTheFocus) {
    const QString folder = dir.mkdir(QStringLiteral("files"));
    dir.write(QStringLiteral("files/a.txt"), "a");
    store(QStringLiteral("LastPath"), folder);
    openWindow();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto *menu = control<QMenu>("mnuFileSub");
    auto *files = control<FileListBox>("File1");
    QTest::mouseClick(files->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(menu->isVisible()); // right-click on the file list with nothing selected
    files->setFocus();
    EXPECT_EQ(form->CurrentControl, u"File1");
    files->item(0)->setSelected(true);
    QTest::mousePress(files->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(form->CurrentControl, u"File1"); // the menu does not take the list's place
    menu->hide();
    control<SearchBox>("TextList")->setFocus();
    EXPECT_EQ(form->CurrentControl, u"");
}

TEST_F(QuarrixFormTest, TheWindowCarriesTheProgramIconAtEverySize) {
    openWindow();
    const QIcon icon = form->windowIcon();
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(
            QFile::exists(QStringLiteral(":/icons/hicolor/%1x%1/quarrix-pro.png").arg(size)))
            << size;
        EXPECT_EQ(icon.pixmap(QSize(size, size), 1.0).size(), QSize(size, size)) << size;
    }
    // The lens shows the match in red.
    const QImage image = icon.pixmap(QSize(256, 256), 1.0).toImage();
    const QColor lens = image.pixelColor(143, 118);
    EXPECT_GT(lens.red(), 200);
    EXPECT_LT(lens.green(), 80);
}
