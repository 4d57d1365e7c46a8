// The window through the keyboard alone: the search box scans exactly what
// was typed, and the results list answers Enter, the Menu key, Shift+F10 and
// Ctrl+C on its focused or selected rows.

#include "dialogs/dialogtesting.h"
#include "fileprops/cfiform.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/fulllinebox.h"
#include "mainwindow/searchbox.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QCompleter>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class KeyboardTest : public WindowTest {
  protected:
    void openShown(const QStringList &selected) {
        openOnFiles(dir.path(), selected);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    /// A window after a scan of a.txt and b.txt for "alpha": three matches and the marker.
    void openScanned() {
        a = dir.write(QStringLiteral("a.txt"), "one alpha\ntwo\n\tALPHA  three  \n");
        b = dir.write(QStringLiteral("b.txt"), "x\nbeta alpha\n");
        openShown({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        scanFor(QStringLiteral("alpha"));
        ASSERT_EQ(form->results().totalRows(), 4);
    }
    QTableView *list() { return control<QTableView>("MatchLV"); }
    /// Focuses the list and moves to row with the arrow keys, as a user would.
    void arrowTo(int row) {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list(), Qt::Key_Down);
        ASSERT_EQ(list()->currentIndex().row(), row);
    }
    QStringList scannedTexts() {
        QStringList texts;
        for (qsizetype i = 0; i < form->results().totalRows(); ++i)
            texts << form->results().row(i).text;
        return texts;
    }

    QString a, b;
};

} // namespace

TEST_F(KeyboardTest, TypedTextIsScannedAsTypedWithAPastSearchThatExtendsIt) {
    dir.write(QStringLiteral("a.txt"), "beta only\nbeta and gamma\n");
    store(QStringLiteral("LastSearch01"), QStringLiteral("beta&gamma"));
    openShown({QStringLiteral("a.txt")});
    auto *search = control<SearchBox>("TextList");
    search->setFocus();
    search->lineEdit()->clear();
    QTest::keyClicks(search->lineEdit(), QStringLiteral("beta"));
    EXPECT_EQ(search->currentText(), u"beta"); // nothing completed inline
    QTest::keyClick(search->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(scannedTexts(),
              (QStringList{u"beta only"_qs, u"beta and gamma"_qs, u"** End Of Matches **"_qs}));
    EXPECT_EQ(search->itemText(0), u"beta");
    EXPECT_EQ(search->itemText(1), u"beta&gamma"); // the history stays in the list

    // Typed again over the new history, then the Scan button: still as typed.
    search->lineEdit()->clear();
    QTest::keyClicks(search->lineEdit(), QStringLiteral("bet"));
    control<QPushButton>("ScanButton")->click();
    EXPECT_EQ(search->currentText(), u"bet");
    EXPECT_EQ(search->itemText(0), u"bet");
}

TEST_F(KeyboardTest, EnterOnARowShowsItsFullLineAndKeepsTheResults) {
    openScanned();
    arrowTo(2);
    QString shown;
    onNextModal<FullLineBox>([&shown](FullLineBox *box) {
        shown = box->text();
        QTest::keyClick(box, Qt::Key_Return); // the box's OK takes Enter
    });
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_TRUE(shown.startsWith(u"File: "_qs + b + u" (Line: 2)"_qs)) << qPrintable(shown);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"beta alpha");
    EXPECT_EQ(form->results().totalRows(), 4); // no new scan
    EXPECT_EQ(list()->currentIndex().row(), 2);

    // Enter on the marker row shows nothing and starts nothing.
    arrowTo(3);
    BoxAnswerer boxes;
    QTest::keyClick(list(), Qt::Key_Enter);
    QTest::qWait(30);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(form->results().totalRows(), 4);
}

TEST_F(KeyboardTest, MenuKeyAndShiftF10OpenTheRowMenuForTheFocusedRow) {
    openScanned();
    arrowTo(2);
    auto *menu = control<QMenu>("mnuFileSub");
    QTest::keyClick(list(), Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(list()->viewport()->rect().contains(
        list()->viewport()->mapFromGlobal(menu->pos()))); // at the row, not the mouse
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_FALSE(menu->isVisible());

    QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu->isVisible());
    QString status, shownName;
    onNextModal<CFIForm>([&](CFIForm *window) {
        shownName = window->findChild<QLineEdit *>(QStringLiteral("txtFileName"))->text();
        window->findChild<QPushButton *>(QStringLiteral("OK"))->click();
    });
    QTest::keyClick(menu, Qt::Key_F); // "&File Information"
    QTest::qWait(50);
    EXPECT_EQ(shownName, u"b.txt");

    // The file list: the Menu key opens the menu only with files selected.
    auto *files = control<FileListBox>("File1");
    files->setFocus();
    files->clearSelection();
    QTest::keyClick(files, Qt::Key_Menu);
    EXPECT_FALSE(menu->isVisible());
    files->setCurrentRow(0);
    files->item(0)->setSelected(true);
    QTest::keyClick(files, Qt::Key_Menu);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(form->CurrentControl, u"File1");
    menu->hide();
}

TEST_F(KeyboardTest, CtrlCCopiesTheSelectedRowsAsReportLines) {
    openScanned();
    arrowTo(0);
    QTest::keyClick(list(), Qt::Key_Down, Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              u"FILE: "_qs + a + u";  LINE: 1;  MATCH: one alpha\nFILE: "_qs + a +
                  u";  LINE: 3;  MATCH: \tALPHA  three"_qs);
    // The marker row copies as the report writes it.
    arrowTo(3);
    QTest::keyClick(list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"** End Of Matches **");
}

TEST_F(KeyboardTest, TheFirstEnterScansWhatWasTypedWhilePastSearchesAreOffered) {
    dir.write(QStringLiteral("a.txt"), "beta only\nbeta and gamma\n");
    store(QStringLiteral("LastSearch01"), QStringLiteral("beta&gamma"));
    store(QStringLiteral("LastSearch02"), QStringLiteral("beta"));
    openShown({QStringLiteral("a.txt")});
    auto *search = control<SearchBox>("TextList");
    // A past search that begins with the text, then one that equals it.
    for (const QString &typed : {u"bet"_qs, u"beta"_qs}) {
        search->setFocus();
        search->lineEdit()->clear();
        QTest::keyClicks(search->lineEdit(), typed);
        ASSERT_TRUE(search->completer()->popup()->isVisible()) << qPrintable(typed);
        QTest::keyClick(search->completer()->popup(), Qt::Key_Return);
        EXPECT_FALSE(search->completer()->popup()->isVisible());
        EXPECT_EQ(statusText(), u"Scanning Complete") << qPrintable(typed);
        EXPECT_EQ(search->currentText(), typed);
        form->SBar(u"Ready"_qs);
    }
}

TEST_F(KeyboardTest, TabAndShiftTabLeaveTheResultsListAndArrowsMoveWithinIt) {
    openScanned();
    arrowTo(1);
    QTest::keyClick(list(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("ShowPreview")); // the next control
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("ScanButton"));
    EXPECT_EQ(list()->currentIndex().row(), 1);
}

TEST_F(KeyboardTest, TheSearchBoxHasTheFocusAtStartAndTheStatusSaysReady) {
    dir.write(QStringLiteral("a.txt"), "alpha\n");
    openShown({QStringLiteral("a.txt")});
    EXPECT_EQ(statusText(), u"Ready");
    auto *search = control<SearchBox>("TextList");
    EXPECT_TRUE(search->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("alpha"));
    EXPECT_EQ(search->currentText(), u"alpha");
}

TEST_F(KeyboardTest, EveryCommandKeepsOneKeyAndAKeyWithAltNeverEditsTheText) {
    openScanned();
    auto *search = control<SearchBox>("TextList");
    auto *scan = control<QPushButton>("ScanButton");
    search->setFocus();
    EXPECT_EQ(scan->text(), u"&Scan"); // after a run too: Alt+S, not Alt+C
    form->SBar(u"Ready"_qs);
    QTest::keyClick(search->lineEdit(), Qt::Key_S, Qt::AltModifier);
    // A button's key presses it as a click would show it, a moment later.
    EXPECT_TRUE(QTest::qWaitFor([this] { return statusText() == u"Scanning Complete"; }));
    EXPECT_EQ(search->currentText(), u"alpha");
    // A key with Alt that names no command types nothing.
    QTest::keyClick(search->lineEdit(), Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(search->lineEdit(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(search->currentText(), u"alpha");
    EXPECT_EQ(scan->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));
    EXPECT_EQ(control<QPushButton>("SaveButton")->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(control<QPushButton>("HelpButton")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(control<QPushButton>("ExitButton")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}
