// What a scan is, as one value: the window builds it, the settings keep it
// and give it back, and the window remembers its size and the user's column
// widths in keys of their own.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/settingsstore.h"
#include "scan/resultsreport.h"
#include "windowtestsupport.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using namespace SettingsStore;

namespace {
class ScanQueryTest : public WindowTest {};
} // namespace

TEST_F(ScanQueryTest, TheSettingsGiveBackTheQueryTheyWereGiven) {
    const QString folder = dir.mkdir(QStringLiteral("tree"));
    for (const bool specified : {true, false}) {
        for (const ScanMode mode : {ScanMode::SelectedFiles, ScanMode::DirectoryTree}) {
            ScanQuery query;
            query.mode = mode;
            query.folder = folder;
            query.specifiedType = specified;
            query.type = QStringLiteral("*.log");
            query.searchText = QStringLiteral("alpha|beta&gamma");
            SaveScanQuery(query);
            EXPECT_EQ(ReadScanQuery(), query) << int(mode) << specified;
        }
    }
    // Trimmed both ways, as every setting; selected files are not kept.
    ScanQuery spaced;
    spaced.folder = folder;
    spaced.type = QStringLiteral("  txt ");
    spaced.searchText = QStringLiteral(" x ");
    spaced.selectedFiles = {QStringLiteral("a.txt")};
    SaveScanQuery(spaced);
    const ScanQuery back = ReadScanQuery();
    EXPECT_EQ(back.type, u"txt");
    EXPECT_EQ(back.searchText, u"x");
    EXPECT_TRUE(back.selectedFiles.isEmpty());
    // A folder that is gone gives the root.
    spaced.folder = dir.file(QStringLiteral("gone"));
    SaveScanQuery(spaced);
    EXPECT_EQ(ReadScanQuery().folder, QDir::rootPath());
}

TEST_F(ScanQueryTest, TheWindowBuildsTheQueryFromItsControlsAndRestoresIt) {
    dir.write(QStringLiteral("a.txt"), "x");
    dir.write(QStringLiteral("b.txt"), "x");
    openOnFiles(dir.path(), {QStringLiteral("b.txt")});
    control<SearchBox>("TextList")->setEditText(QStringLiteral("needle"));
    control<QLineEdit>("SpecifiedType")->setText(QStringLiteral(".md"));
    ScanQuery query = form->currentQuery();
    EXPECT_EQ(query.mode, ScanMode::SelectedFiles);
    EXPECT_EQ(query.folder, dir.path());
    EXPECT_EQ(query.selectedFiles, QStringList{u"b.txt"_qs});
    EXPECT_TRUE(query.specifiedType);
    EXPECT_EQ(query.type, u".md");
    EXPECT_EQ(query.searchText, u"needle");
    const ResultsReport::Header header = ResultsReport::headerOf(query);
    EXPECT_TRUE(header.selectedFileMode);
    EXPECT_EQ(header.searchedFor, u"needle");
    EXPECT_EQ(header.directory, dir.path());

    control<QTabWidget>("ModeTabs")->setCurrentIndex(1);
    control<QRadioButton>("AllFiles")->setChecked(true);
    query = form->currentQuery();
    form->close();
    openWindow();
    ScanQuery reopened = form->currentQuery();
    EXPECT_EQ(reopened.mode, ScanMode::DirectoryTree);
    EXPECT_FALSE(reopened.specifiedType);
    query.selectedFiles.clear();
    reopened.selectedFiles.clear();
    EXPECT_EQ(reopened, query);
}

TEST_F(ScanQueryTest, WindowGeometryAndDraggedColumnsComeBackInKeysOfTheirOwn) {
    openWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->setGeometry(40, 50, 700, 560);
    auto *list = control<ResultsView>("MatchLV");
    list->setUserWidths({300, 0, 0});
    form->close();
    EXPECT_FALSE(stored(WindowGeometryKey).isEmpty());
    EXPECT_EQ(stored(ColumnWidthsKey), u"300,0,0");
    EXPECT_EQ(stored(QStringLiteral("LastTab")), u"1"); // the old keys stay as they were

    openWindow();
    EXPECT_EQ(form->size(), QSize(700, 560));
    form->show();
    QCoreApplication::processEvents();
    const QHeaderView *header = control<ResultsView>("MatchLV")->horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 300);
    // The design size stays the least size, however large the restored one.
    EXPECT_LT(form->minimumWidth(), 700);
}

TEST_F(ScanQueryTest, EachStoredKeyIsFollowedAtStart) {
    // The type choice: SpecifiedFiles decides, AllFiles where it gives no answer.
    struct Case {
        const char *specifiedFiles, *allFiles;
        bool specifiedType;
    };
    for (const Case &c :
         {Case{nullptr, nullptr, true}, Case{nullptr, "True", false}, Case{nullptr, "False", true},
          Case{"True", "True", true}, Case{"False", "False", false}, Case{"maybe", "False", true},
          Case{"maybe", nullptr, false}}) {
        QFile::remove(settingsFile());
        if (c.specifiedFiles)
            store(QStringLiteral("SpecifiedFiles"), QString::fromLatin1(c.specifiedFiles));
        if (c.allFiles)
            store(QStringLiteral("AllFiles"), QString::fromLatin1(c.allFiles));
        EXPECT_EQ(ReadScanQuery().specifiedType, c.specifiedType)
            << (c.specifiedFiles ? c.specifiedFiles : "-") << ' '
            << (c.allFiles ? c.allFiles : "-");
    }
    // The trees: each from its own key, the tree scan's folder last, which
    // both then show; without one, the root, never the other key's folder.
    const QString files = dir.mkdir(QStringLiteral("files"));
    const QString tree = dir.mkdir(QStringLiteral("tree"));
    store(QStringLiteral("LastPath"), files);
    store(QStringLiteral("LastDSPath"), tree);
    openWindow();
    EXPECT_EQ(control<FolderTreeView>("FTV2")->selectedFolder(), tree);
    EXPECT_EQ(control<FolderTreeView>("FTV1")->selectedFolder(), tree);
    EXPECT_EQ(control<FileListBox>("File1")->path(), tree);
    form.reset();
    store(QStringLiteral("LastDSPath"), QString());
    openWindow();
    EXPECT_EQ(control<FolderTreeView>("FTV2")->selectedFolder(), QDir::rootPath());
}

// The options come back as given; a settings file of a user who never set one
// gains no key, and one set and cleared again reads as off.
TEST_F(ScanQueryTest, SearchOptionsRoundTripAndLeaveAnUntouchedFileAlone) {
    ScanQuery query;
    query.folder = dir.mkdir(QStringLiteral("tree"));
    query.searchText = QStringLiteral("x");
    SaveScanQuery(query);
    QFile file(settingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray plain = file.readAll();
    file.close();
    for (const char *key : {"MatchCase", "WholeWord", "RegularExpression", "Exclude", "Bytes"})
        EXPECT_FALSE(plain.contains(key)) << key;

    query.options.matchCase = true;
    query.options.wholeWord = true;
    query.options.regex = true;
    query.options.excludes = {QStringLiteral(".git"), QStringLiteral("build*")};
    query.options.changedWithinDays = 7;
    query.options.largerThan = 1024;
    query.options.smallerThan = 1 << 20;
    query.options.changedAfter = QDate(2024, 3, 31);
    query.options.contextBefore = query.options.contextAfter = 2;
    SaveScanQuery(query);
    EXPECT_EQ(ReadScanQuery(), query);
    query.options = {};
    SaveScanQuery(query);
    EXPECT_EQ(ReadScanQuery(), query);
}
