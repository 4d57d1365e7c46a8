// The actions on a match or a selected file: the popup menu's rules, the
// full-line display, launching a file and the file information window.

#include "controls/richtext/richtextbox.h"
#include "dialogs/dialogtesting.h"
#include "editor/quarxeditorform.h"
#include "fileprops/cfiform.h"
#include "fileprops/fileinfopath.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/fulllinebox.h"
#include "mainwindow/matchactions.h"
#include "mainwindow/searchbox.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int shown = 0;
};

/// A double-click as the mouse makes it: the first click, then the second
/// press that the window system reports as a double-click.
void doubleClick(QWidget *target, const QPoint &at) {
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
}

/// Answers the next message box with button, noting how it looked.
QPointer<QTimer> answerNextBox(SeenBox &seen, QMessageBox::StandardButton button) {
    return onNextModal<QMessageBox>([&seen, button](QMessageBox *box) {
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        ++seen.shown;
        box->button(button)->click();
    });
}

/// Closes the next full-line display, noting how it looked.
QPointer<QTimer> answerNextFullLine(SeenBox &seen) {
    return onNextModal<FullLineBox>([&seen](FullLineBox *box) {
        seen.title = box->windowTitle();
        seen.text = box->text();
        ++seen.shown;
        box->accept();
    });
}

class MatchActionsTest : public WindowTest {
  protected:
    /// A window after a scan of a.txt and b.txt for "alpha": three matches and the marker.
    void openScanned() {
        a = dir.write(QStringLiteral("a.txt"), "one alpha\ntwo\n\tALPHA  three  \n");
        b = dir.write(QStringLiteral("b.txt"), "x\nbeta alpha\n");
        openOnFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        scanFor(QStringLiteral("alpha"));
        ASSERT_EQ(form->results().totalRows(), 4);
        showActive();
    }
    void showActive() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QTableView *list() { return control<QTableView>("MatchLV"); }
    QPoint rowCentre(int row) {
        return list()->visualRect(list()->model()->index(row, 0)).center();
    }
    void selectRow(int row) {
        list()->setFocus();
        list()->selectRow(row);
    }
    void doubleClickRow(int row) { doubleClick(list()->viewport(), rowCentre(row)); }
    void choose(const char *item) { control<QAction>(item)->trigger(); }

    /// Notes the status and the path shown when the file information window
    /// opens, then closes it.
    void closeNextInfoWindow(QString &status, QString &shownName) {
        onNextModal<CFIForm>([this, &status, &shownName](CFIForm *window) {
            status = statusText();
            shownName = window->findChild<QLineEdit *>(QStringLiteral("txtFileName"))->text();
            window->findChild<QPushButton *>(QStringLiteral("OK"))->click();
        });
    }

    QString a, b;
};

} // namespace

TEST_F(MatchActionsTest, FullLineDisplayShowsTheRowAndCopiesOnlyItsText) {
    openScanned();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    selectRow(1);
    SeenBox seen;
    answerNextFullLine(seen);
    doubleClickRow(1);
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.title, u"Quarrix Pro - Full Line Display");
    EXPECT_EQ(seen.text,
              QStringLiteral("File: ") + a +
                  QStringLiteral(" (Line: 3)\r\n\r\nText Line:\r\n\tALPHA  three  \r\n\r\n"
                                 "The Matching Text Has Been Copied To The Clipboard."));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"\tALPHA  three  ");
}

TEST_F(MatchActionsTest, MarkerRowsAndAnEmptyResultDoNothing) {
    openScanned();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    BoxAnswerer boxes;
    SeenBox fullLines;
    const QPointer<QTimer> watch = answerNextFullLine(fullLines);
    FakeOpener opener;
    selectRow(3); // the end marker
    doubleClickRow(3);
    choose("mnuLaunch");
    choose("mnuFileInfo");
    list()->clearSelection();
    list()->doubleClicked(list()->model()->index(0, 0)); // no row selected
    QTest::qWait(50);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_TRUE(opener.launches().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before");

    scanFor(QStringLiteral("zebra")); // one row: "** No Matches Found **"
    selectRow(0);
    doubleClickRow(0);
    QTest::qWait(50);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(fullLines.shown, 0);
    delete watch;
}

TEST_F(MatchActionsTest, CommandsFindNoFileWithoutAListWithTheFocus) {
    openScanned();
    selectRow(0);
    control<SearchBox>("TextList")->setFocus();
    ASSERT_EQ(form->CurrentControl, u"");
    EXPECT_EQ(form->GetActiveFileName(), u"");
    BoxAnswerer boxes;
    choose("mnuLaunch");
    choose("mnuFileInfo");
    choose("mnuEdit");
    QTest::qWait(50);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(statusText(), u"Scanning Complete");
}

TEST_F(MatchActionsTest, LastSelectedRowIsTheActiveFile) {
    openScanned();
    list()->setFocus();
    list()->setSelectionMode(QAbstractItemView::MultiSelection);
    list()->selectRow(2);
    list()->selectRow(0);
    EXPECT_EQ(form->GetActiveFileName(), b);
}

TEST_F(MatchActionsTest, RightClickOnARowActsOnThatRowFromAnyFocus) {
    openScanned();
    control<SearchBox>("TextList")->setFocus();
    QTest::mousePress(list()->viewport(), Qt::RightButton, {}, rowCentre(2));
    auto *menu = control<QMenu>("mnuFileSub");
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(form->CurrentControl, u"MatchLV");
    QString status, shown;
    closeNextInfoWindow(status, shown);
    menu->hide();
    choose("mnuFileInfo");
    EXPECT_EQ(status, u"Retrieving File Properties...");
    EXPECT_EQ(shown, u"b.txt");
    EXPECT_EQ(FileInfoShared::FileInfoPath, b);
    EXPECT_EQ(statusText(), u"Ready");
}

TEST_F(MatchActionsTest, EditFileOpensTheRowAtItsLineWithTheSearchText) {
    openScanned();
    selectRow(2);
    QString caption, selected;
    int block = -1;
    onNextModal<QUARXEditorForm>([&](QUARXEditorForm *editor) {
        waitUntil([&] { return editor->rtfText->textCursor().hasSelection(); }, 2000);
        caption = editor->windowTitle();
        block = editor->rtfText->textCursor().blockNumber();
        selected = editor->rtfText->textCursor().selectedText();
        editor->close();
    });
    choose("mnuEdit");
    EXPECT_EQ(caption, QStringLiteral("Text File Editor - ") + b);
    EXPECT_EQ(block, 1);
    EXPECT_EQ(selected, u"alpha");
}

TEST_F(MatchActionsTest, LaunchAnsweredNoStartsNothing) {
    openScanned();
    selectRow(0);
    FakeOpener opener;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::No);
    choose("mnuLaunch");
    EXPECT_EQ(seen.text,
              QStringLiteral("Launch ") + a + QStringLiteral(" With Its Associated Application?"));
    EXPECT_EQ(seen.title, u"Quarrix Pro");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    QTest::qWait(50);
    EXPECT_TRUE(opener.launches().isEmpty());
    EXPECT_EQ(statusText(), u"Scanning Complete");
}

TEST_F(MatchActionsTest, LaunchAnsweredYesOpensTheFileFromTheProgramFolder) {
    openScanned();
    selectRow(2);
    FakeOpener opener;
    SeenBox seen;
    answerNextBox(seen, QMessageBox::Yes);
    choose("mnuLaunch");
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_EQ(opener.launches(),
              QStringList{QCoreApplication::applicationDirPath() + QLatin1Char('|') + b});
    EXPECT_EQ(statusText(), u"Ready");
}

TEST_F(MatchActionsTest, LaunchOfABlankPathWarnsAfterTheQuestion) {
    openOnFiles(dir.path(), {});
    FakeOpener opener;
    SeenBox question, warning;
    onNextModal<QMessageBox>([&](QMessageBox *box) {
        question.text = box->text();
        answerNextBox(warning, QMessageBox::Ok);
        box->button(QMessageBox::Yes)->click();
    });
    form->matchActions().LaunchFile(QStringLiteral("  "));
    EXPECT_EQ(question.text, u"Launch    With Its Associated Application?");
    EXPECT_EQ(warning.text, u"Please Select A File To Launch First!");
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(statusText(), u"Ready");
    EXPECT_TRUE(opener.launches().isEmpty());
}

TEST_F(MatchActionsTest, FileListMenuNeedsASelectionAndActsOnTheEntryWithTheFocus) {
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        dir.write(QString::fromLatin1(name), "text");
    openOnFiles(dir.path(),
                {QStringLiteral("a.txt"), QStringLiteral("c.txt"), QStringLiteral("d.txt")});
    showActive();
    auto *files = control<FileListBox>("File1");
    auto *menu = control<QMenu>("mnuFileSub");
    files->setCurrentRow(1, QItemSelectionModel::NoUpdate); // b.txt has the focus, unselected
    const QPoint onB = files->visualItemRect(files->item(1)).center();
    QTest::mousePress(files->viewport(), Qt::RightButton, {}, onB);
    ASSERT_TRUE(menu->isVisible());
    menu->hide();
    EXPECT_EQ(form->CurrentControl, u"File1");
    EXPECT_EQ(files->selectedItems().size(), 3); // the right button leaves the selection alone
    SeenBox seen;
    answerNextBox(seen, QMessageBox::No);
    choose("mnuLaunch");
    EXPECT_EQ(seen.text, QStringLiteral("Launch ") + dir.file(QStringLiteral("b.txt")) +
                             QStringLiteral(" With Its Associated Application?"));

    files->clearSelection();
    QTest::mousePress(files->viewport(), Qt::RightButton, {}, onB);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(form->GetActiveFileName(), u"");
}

TEST_F(MatchActionsTest, FileListDoubleClickShowsTheFileInformation) {
    dir.write(QStringLiteral("a.txt"), "text");
    dir.write(QStringLiteral("b.txt"), "text");
    openOnFiles(dir.path(), {});
    showActive();
    auto *files = control<FileListBox>("File1");
    QString status, shown;
    closeNextInfoWindow(status, shown);
    doubleClick(files->viewport(), files->visualItemRect(files->item(1)).center());
    EXPECT_EQ(status, u"Retrieving File Properties...");
    EXPECT_EQ(shown, u"b.txt");
    EXPECT_EQ(FileInfoShared::FileInfoPath, dir.file(QStringLiteral("b.txt")));
    EXPECT_EQ(statusText(), u"Ready");
}

TEST_F(MatchActionsTest, OpenContainingFolderAndCopyPathActOnTheRowOnly) {
    openScanned();
    selectRow(2);
    FakeOpener opener;
    choose("mnuOpenFolder");
    ASSERT_TRUE(opener.waitForLaunches(1));
    EXPECT_TRUE(opener.launches().value(0).endsWith(u'|' + dir.path()))
        << qPrintable(opener.launches().value(0));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    choose("mnuCopyPath");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), b);
    // The marker row has no file.
    selectRow(3);
    choose("mnuCopyPath");
    choose("mnuOpenFolder");
    QTest::qWait(50);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), b);
    EXPECT_EQ(opener.launches().size(), 1);
}
