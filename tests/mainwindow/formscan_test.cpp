// Scan runs through the window: both modes, the input messages, the history,
// Cancel and close during a run.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/statusbar.h"
#include "scan/resultsmodel.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "windowtestsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

class FormScanTest : public WindowTest {
  protected:
    /// Opens the window on folder in the selected-file mode with names selected.
    void openOn(const QString &folder, const QStringList &selected) {
        store(QStringLiteral("LastPath"), folder);
        store(QStringLiteral("LastDSPath"), folder);
        openWindow();
        auto *files = control<FileListBox>("File1");
        for (int i = 0; i < files->count(); ++i)
            files->item(i)->setSelected(selected.contains(files->item(i)->text()));
    }
    void scanFor(const QString &text) {
        control<SearchBox>("TextList")->setEditText(text);
        control<QPushButton>("ScanButton")->click();
    }
    QStringList rowTexts() {
        QStringList texts;
        const ResultsModel &rows = form->results();
        for (qsizetype i = 0; i < rows.totalRows(); ++i) {
            const MatchRecord r = rows.row(i);
            texts << QFileInfo(r.path).fileName() + u'|' + r.line.text() + u'|' + r.text;
        }
        return texts;
    }
    QPushButton *scanButton() { return control<QPushButton>("ScanButton"); }
};

} // namespace

TEST_F(FormScanTest, SelectedFileModeWithNothingSelected) {
    dir.write(QStringLiteral("a.txt"), "alpha\n");
    openOn(dir.path(), {});
    BoxAnswerer boxes;
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(boxes.texts, QStringList{u"Please Select Some Files To Scan First!"_qs});
    EXPECT_EQ(boxes.titles, QStringList{u"Quarrix Pro"_qs});
    EXPECT_EQ(boxes.icons.value(0), QMessageBox::Warning);
    EXPECT_EQ(form->results().totalRows(), 0);
    EXPECT_EQ(scanButton()->text(), u"&Scan");
    EXPECT_TRUE(control<QTabWidget>("ModeTabs")->isEnabled());
    EXPECT_EQ(statusText(), u"Ready");
    EXPECT_EQ(control<SearchBox>("TextList")->count(), 0);
}

TEST_F(FormScanTest, RunWithoutMatches) {
    dir.write(QStringLiteral("a.txt"), "nothing here\n");
    openOn(dir.path(), {QStringLiteral("a.txt")});
    scanFor(QStringLiteral("zebra"));
    EXPECT_EQ(rowTexts(), QStringList{u"||** No Matches Found **"_qs});
    EXPECT_FALSE(control<QPushButton>("SaveButton")->isEnabled());
    EXPECT_EQ(statusText(), u"Scanning Complete");
    EXPECT_EQ(scanButton()->text(), u"&Scan");
    EXPECT_EQ(scanButton()->toolTip(), u"Scan For The Entered Text String");
    EXPECT_EQ(control<QLabel>("MatchCountLabel")->text(), u"0");
    EXPECT_EQ(form->results().rowCount(), 1); // the view has it too
}

TEST_F(FormScanTest, RunWithMatchesInTheSelectedFilesOnly) {
    dir.write(QStringLiteral("a.txt"), "one alpha\ntwo\nALPHA three\n");
    dir.write(QStringLiteral("b.txt"), "alpha not selected\n");
    dir.write(QStringLiteral("c.txt"), "x\nbeta&alpha\n");
    openOn(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("c.txt")});
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(rowTexts(), QStringList({u"a.txt|1|one alpha"_qs, u"a.txt|3|ALPHA three"_qs,
                                       u"c.txt|2|beta&alpha"_qs, u"||** End Of Matches **"_qs}));
    EXPECT_EQ(form->results().row(0).path, dir.file(QStringLiteral("a.txt")));
    EXPECT_TRUE(control<QPushButton>("SaveButton")->isEnabled());
    EXPECT_EQ(control<QLabel>("MatchCountLabel")->text(), u"3");
    EXPECT_EQ(statusText(), u"Scanning Complete");
    EXPECT_EQ(form->results().rowCount(), 4);
}

TEST_F(FormScanTest, HistoryKeepsOneCopyOfEachExactText) {
    dir.write(QStringLiteral("a.txt"), "alpha\n");
    openOn(dir.path(), {QStringLiteral("a.txt")});
    auto *search = control<SearchBox>("TextList");
    scanFor(QStringLiteral("alpha"));
    scanFor(QStringLiteral("beta"));
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(search->count(), 2);
    EXPECT_EQ(search->itemText(0), u"beta");
    EXPECT_EQ(search->itemText(1), u"alpha");
    EXPECT_EQ(search->currentText(), u"alpha");
    scanFor(QStringLiteral("Alpha"));
    EXPECT_EQ(search->itemText(0), u"Alpha");
    EXPECT_EQ(search->count(), 3);
    scanFor(QStringLiteral("   "));
    EXPECT_EQ(search->count(), 3); // blank text is not kept
}

TEST_F(FormScanTest, EnterInTheSearchBoxStartsAScan) {
    dir.write(QStringLiteral("a.txt"), "alpha\n");
    openOn(dir.path(), {QStringLiteral("a.txt")});
    form->show();
    auto *search = control<SearchBox>("TextList");
    search->setEditText(QStringLiteral("alpha"));
    QSignalSpy clicks(scanButton(), &QPushButton::clicked);
    QTest::keyClick(search->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(statusText(), u"Scanning Complete");
    EXPECT_EQ(form->results().totalRows(), 2);
    EXPECT_EQ(search->count(), 1);
    // Enter keeps the letter case typed, even with "alpha" in the list.
    search->setEditText(QStringLiteral("Alpha"));
    QTest::keyClick(search->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(search->count(), 2);
    EXPECT_EQ(search->itemText(0), u"Alpha");
}

TEST_F(FormScanTest, SpecifiedTypeWithoutExtensionStopsAfterTheWalk) {
    dir.write(QStringLiteral("tree/a.txt"), "alpha\n");
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    openOn(dir.file(QStringLiteral("tree")), {});
    control<QRadioButton>("SpecifiedFiles")->setChecked(true);
    control<QLineEdit>("SpecifiedType")->setText(QStringLiteral("   "));
    BoxAnswerer boxes;
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(boxes.texts, QStringList{ScanTexts::SpecifyExtension});
    EXPECT_EQ(form->scanRun().FoundFilesList.size(), 1); // the walk did run
    EXPECT_EQ(form->results().totalRows(), 0);
    EXPECT_EQ(statusText(), u"Directory Scanning Canceled");
    EXPECT_EQ(scanButton()->text(), u"&Scan");
    EXPECT_FALSE(control<QPushButton>("SaveButton")->isEnabled());
    EXPECT_TRUE(control<QTabWidget>("ModeTabs")->isEnabled());
}

TEST_F(FormScanTest, DirectoryTreeOfOneType) {
    dir.write(QStringLiteral("tree/a.txt"), "alpha\n");
    dir.write(QStringLiteral("tree/sub/b.TXT"), "x\nalpha\n");
    dir.write(QStringLiteral("tree/c.log"), "alpha\n");
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    openOn(dir.file(QStringLiteral("tree")), {});
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(rowTexts(), QStringList({u"a.txt|1|alpha"_qs, u"b.TXT|2|alpha"_qs,
                                       u"||** End Of Matches **"_qs}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the wait cursor is gone
}

TEST_F(FormScanTest, CancelDuringALargeFile) {
    // Long enough that rows reach the list several times before the run ends.
    constexpr int lines = 1200000;
    QByteArray big;
    for (int i = 0; i < lines; ++i)
        big += "alpha line " + QByteArray::number(i) + '\n';
    dir.write(QStringLiteral("a.txt"), big);
    dir.write(QStringLiteral("b.txt"), "alpha in a later file\n");
    openOn(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    form->show();
    QStringList captionsSeen;
    QString statusSeen;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        captionsSeen << scanButton()->text();
        if (scanButton()->text() != u"&Cancel")
            return; // the run may still turn the event loop while it ends
        statusSeen = statusText();
        if (form->results().rowCount() > 0)
            scanButton()->click();
    });
    canceller.start(1);
    scanFor(QStringLiteral("alpha"));
    canceller.stop();
    ASSERT_TRUE(captionsSeen.contains(u"&Cancel"_qs)) << "the window was not live during the run";
    EXPECT_EQ(statusSeen, ScanTexts::ScanningFile + dir.file(QStringLiteral("a.txt")));
    const QStringList rows = rowTexts();
    ASSERT_GT(rows.size(), 1);
    EXPECT_LT(rows.size(), lines + 1);
    EXPECT_EQ(rows.last(), u"||** End Of Matches **");
    EXPECT_TRUE(rows.filter(u"b.txt"_qs).isEmpty());
    EXPECT_EQ(statusText(), u"Scanning Cancelled");
    EXPECT_EQ(scanButton()->text(), u"&Scan");
    EXPECT_FALSE(form->scanRun().ContinueScan);
    EXPECT_EQ(form->scanRun().RTB.FileName(), u"");
    EXPECT_EQ(control<QLabel>("MatchCountLabel")->text(), QString::number(rows.size() - 1));
    EXPECT_TRUE(control<QPushButton>("SaveButton")->isEnabled());
}

TEST_F(FormScanTest, SearchTextEditedDuringARunTakesEffect) {
    QByteArray big;
    for (int i = 0; i < 300000; ++i)
        big += (i < 150000 ? "alpha " : "beta ") + QByteArray::number(i) + '\n';
    dir.write(QStringLiteral("a.txt"), big);
    openOn(dir.path(), {QStringLiteral("a.txt")});
    QTimer editor;
    editor.setSingleShot(true);
    QObject::connect(&editor, &QTimer::timeout,
                     [&] { control<SearchBox>("TextList")->setEditText(QStringLiteral("beta")); });
    editor.start(0);
    scanFor(QStringLiteral("alpha"));
    const QStringList rows = rowTexts();
    ASSERT_GT(rows.size(), 2);
    EXPECT_FALSE(rows.filter(u"|beta "_qs).isEmpty());
    EXPECT_EQ(control<SearchBox>("TextList")->itemText(0), u"alpha");
}

TEST_F(FormScanTest, ClosingDuringARunEndsItThenSavesAndCloses) {
    // Long enough that rows reach the list before the run is past the file.
    QByteArray big;
    for (int i = 0; i < 1200000; ++i)
        big += "alpha " + QByteArray::number(i) + '\n';
    dir.write(QStringLiteral("a.txt"), big);
    dir.write(QStringLiteral("b.txt"), "alpha\n");
    openOn(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    form->show();
    bool closeAsked = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!closeAsked && form->scanning() && form->results().rowCount() > 0) {
            closeAsked = true;
            form->close();
        }
    });
    closer.start(1);
    scanFor(QStringLiteral("alpha"));
    closer.stop();
    ASSERT_TRUE(closeAsked);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(rowTexts().filter(u"b.txt"_qs).isEmpty());
    EXPECT_EQ(stored(QStringLiteral("LastScanText")), u"alpha");
    EXPECT_EQ(stored(QStringLiteral("LastSearch01")), u"alpha");
}

// The walk of /usr takes seconds; nothing is written for it.
TEST_F(FormScanTest, CancelOrCloseDuringTheWalkStopsItPromptly) {
    store(QStringLiteral("LastTab"), QStringLiteral("2"));
    openOn(QStringLiteral("/usr"), {});
    form->show();
    QElapsedTimer sinceCancel;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (!sinceCancel.isValid() && statusText().startsWith(u"Checking ") &&
            scanButton()->text() == u"&Cancel") {
            scanButton()->click();
            sinceCancel.start();
        }
    });
    canceller.start(1);
    scanFor(QStringLiteral("alpha"));
    canceller.stop();
    ASSERT_TRUE(sinceCancel.isValid()) << "the walk did not take the click";
    // A few milliseconds on a quiet machine; the bound leaves room for a loaded one.
    EXPECT_LT(sinceCancel.elapsed(), 500);
    EXPECT_EQ(statusText(), u"Directory Scanning Canceled");
    EXPECT_EQ(form->results().totalRows(), 0);
    EXPECT_EQ(scanButton()->text(), u"&Scan");
    EXPECT_TRUE(control<QTabWidget>("ModeTabs")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    QElapsedTimer sinceClose;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!sinceClose.isValid() && statusText().startsWith(u"Checking ")) {
            form->close();
            sinceClose.start();
        }
    });
    closer.start(1);
    scanFor(QStringLiteral("alpha"));
    closer.stop();
    ASSERT_TRUE(sinceClose.isValid());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->scanRun().ContinueScan);
}

TEST_F(FormScanTest, DuringARunTheListFollowsTheEndOnlyUntilTheUserMovesAway) {
    QByteArray big;
    for (int i = 0; i < 2000000; ++i)
        big += "alpha line " + QByteArray::number(i) + '\n';
    dir.write(QStringLiteral("a.txt"), big);
    openOn(dir.path(), {QStringLiteral("a.txt")});
    form->resize(800, 600);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *list = control<QTableView>("MatchLV");
    const auto inSight = [list](int row) {
        return list->viewport()->rect().intersects(list->visualRect(list->model()->index(row, 0)));
    };
    // Each step is taken once rows have come since the last one.
    enum Step { Following, Picked, BackAtEnd, Done } step = Following;
    int rowsAtStep = 0, picked = 5, checks[Done] = {};
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        const int rows = list->model()->rowCount();
        if (scanButton()->text() != u"&Cancel" || rows <= rowsAtStep + 50 || step == Done)
            return;
        QCoreApplication::processEvents(); // the view lays the new rows out
        ++checks[step];
        if (step == Following || step == BackAtEnd)
            EXPECT_TRUE(inSight(rows - 1)) << "step " << step;
        else
            EXPECT_TRUE(inSight(picked)) << "rows " << rows;
        if (checks[step] < (step == Picked ? 2 : 1)) {
            rowsAtStep = rows;
            return;
        }
        if (step == Following)
            QTest::mouseClick(
                list->viewport(), Qt::LeftButton, {},
                list->visualRect(list->model()->index(picked = rows - 3, 0)).center());
        else if (step == Picked)
            list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        else
            scanButton()->click();
        step = Step(step + 1);
        rowsAtStep = list->model()->rowCount();
    });
    user.start(1);
    scanFor(QStringLiteral("alpha"));
    user.stop();
    EXPECT_EQ(step, Done) << "the run ended before the user's steps";
    EXPECT_EQ(list->currentIndex().row(), picked);
}
