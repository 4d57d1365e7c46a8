// The bottom strip's commands: the results report through the save dialog,
// help and the About window.

#include "about/shareware_about.h"
#include "dialogs/dialogtesting.h"
#include "dialogs/uiutilities.h"
#include "mainwindow/searchbox.h"
#include "scan/resultsmodel.h"
#include "windowtestsupport.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

namespace {

struct SeenDialog {
    QString title, folder;
    int shown = 0;
    int replaceQuestions = 0;
};

class FormCommandsTest : public WindowTest {
  protected:
    /// A window after a scan of a.txt and b.txt for "alpha", three matches,
    /// with " alpha " left in the search box.
    void openScanned() {
        a = dir.write(QStringLiteral("a.txt"), "one alpha\r\ntwo\r\n  ALPHA three  \r\n");
        b = dir.write(QStringLiteral("b.txt"), "x\nbeta alpha\n");
        openOnFiles(dir.path(), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        scanFor(QStringLiteral("alpha"));
        ASSERT_EQ(form->results().totalRows(), 4);
        control<SearchBox>("TextList")->setEditText(QStringLiteral(" alpha "));
    }
    /// Clicks Save and types name into the dialog; a prompt to replace a file
    /// would be answered No and so fail the test.
    void saveAs(const QString &name) {
        QPointer<QTimer> prompt;
        onNextModal<QFileDialog>([&](QFileDialog *dialog) {
            seen.title = dialog->windowTitle();
            seen.folder = dialog->directory().absolutePath();
            ++seen.shown;
            chooseFileName(dialog, name);
            prompt = onNextModal<QMessageBox>([this](QMessageBox *box) {
                ++seen.replaceQuestions;
                box->button(QMessageBox::Yes)->click();
            });
            acceptDialog(dialog);
        });
        control<QPushButton>("SaveButton")->click();
        delete prompt.data();
    }
    QStringList reportLines(const QString &path) {
        return QString::fromUtf8(readAll(path)).split(QStringLiteral("\r\n"));
    }

    TempDir out;
    SeenDialog seen;
    QString a, b;
};

} // namespace

TEST_F(FormCommandsTest, SaveAsksThenWritesEveryRowOverAnExistingFile) {
    openScanned();
    const QString report = out.write(QStringLiteral("report.txt"), QByteArray(9000, 'x'));
    saveAs(report);
    EXPECT_EQ(seen.replaceQuestions, 1);
    EXPECT_EQ(seen.title, u"Save Quarrix Results As...");
    EXPECT_EQ(seen.folder, dir.path()); // the selected-file mode opens on FTV1's folder
    const QStringList lines = reportLines(report);
    ASSERT_EQ(lines.size(), 12) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines[0], u"Results From Selected File Scan");
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral(R"(^Date/Time: \S+, \S+, \d\d, \d{4} \(\d\d:\d\d:\d\d\)$)"))
                    .match(lines[1])
                    .hasMatch())
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], u"Searched For:  alpha ");
    EXPECT_EQ(lines[3], QStringLiteral("Directory: ") + dir.path());
    EXPECT_EQ(lines.mid(4, 3), (QStringList{QString(), QString(), QStringLiteral("Matches...")}));
    EXPECT_EQ(lines[7],
              QStringLiteral("FILE: ") + a + QStringLiteral(";  LINE: 1;  MATCH: one alpha"));
    EXPECT_EQ(lines[8],
              QStringLiteral("FILE: ") + a + QStringLiteral(";  LINE: 3;  MATCH: ALPHA three"));
    EXPECT_EQ(lines[9],
              QStringLiteral("FILE: ") + b + QStringLiteral(";  LINE: 2;  MATCH: beta alpha"));
    EXPECT_EQ(lines[10], u"** End Of Matches **");
    EXPECT_EQ(lines[11], u""); // the last line ends with CR LF too
    EXPECT_EQ(statusText(), u"Save Complete");
}

TEST_F(FormCommandsTest, DirectoryTreeModeNamesItsScan) {
    openScanned();
    control<QTabWidget>("ModeTabs")->setCurrentIndex(1);
    scanFor(QStringLiteral("alpha"));
    const QString report = out.file(QStringLiteral("tree.txt"));
    saveAs(report);
    EXPECT_EQ(seen.folder, dir.path());
    const QStringList lines = reportLines(report);
    EXPECT_EQ(lines.value(0), u"Results From Directory Tree Scan");
    EXPECT_EQ(lines.value(lines.size() - 2), u"** End Of Matches **");
}

TEST_F(FormCommandsTest, FolderThatCannotBeWrittenShowsTheErrorInTheStatusBar) {
    openScanned();
    saveAs(out.file(QStringLiteral("gone/report.txt")));
    EXPECT_EQ(seen.shown, 1);
    EXPECT_EQ(statusText(), u"No such file or directory");
    EXPECT_FALSE(QFileInfo::exists(out.file(QStringLiteral("gone"))));
}

TEST_F(FormCommandsTest, CancellingTheDialogWritesNothing) {
    openScanned();
    onNextModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    control<QPushButton>("SaveButton")->click();
    EXPECT_EQ(statusText(), u"Scanning Complete");
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(FormCommandsTest, HelpOpensTheHelpFileBesideTheProgram) {
    openWindow();
    FakeOpener opener;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString help = folder + QStringLiteral("/Quarx.chm");
    ASSERT_FALSE(QFileInfo::exists(help));
    control<QPushButton>("HelpButton")->click(); // no help file and no manual: said so
    QTest::qWait(50);
    EXPECT_TRUE(opener.launches().isEmpty());
    EXPECT_EQ(statusText(), FunctionModule::HelpNotFound);
    QFile(help).open(QIODevice::WriteOnly);
    control<QPushButton>("HelpButton")->click();
    const bool launched = opener.waitForLaunches(1);
    QFile::remove(help);
    ASSERT_TRUE(launched);
    EXPECT_EQ(opener.launches().value(0), folder + QLatin1Char('|') + help);
}

TEST_F(FormCommandsTest, AboutOpensModallyOverTheWindow) {
    openWindow();
    QString title;
    QWidget *parent = nullptr;
    onNextModal<shareware_about>([&](shareware_about *about) {
        title = about->windowTitle();
        parent = about->parentWidget();
        about->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    });
    control<QPushButton>("AboutButton")->click();
    EXPECT_EQ(title, u"About Quarrix Pro");
    EXPECT_EQ(parent, form.get());
}

TEST_F(FormCommandsTest, WhatCouldNotBeReadIsCountedListedAndReported) {
    a = dir.write(QStringLiteral("a.txt"), "one alpha\n");
    const QString gone = dir.write(QStringLiteral("gone.txt"), "alpha\n");
    const QString lost = dir.write(QStringLiteral("lost.txt"), "alpha\n");
    openOnFiles(dir.path(), {u"a.txt"_qs, u"gone.txt"_qs, u"lost.txt"_qs});
    QFile::remove(gone); // listed, then gone before the scan
    QFile::remove(lost);
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(statusText(), u"Scanning Complete - 2 Files Or Folders Could Not Be Read");
    auto *button = control<QPushButton>("NotReadButton");
    ASSERT_TRUE(button->isVisibleTo(form.get()));
    QString listed;
    onNextModal<QDialog>([&listed](QDialog *list) {
        listed = list->findChild<QPlainTextEdit *>()->toPlainText();
        list->reject();
    });
    button->click();
    EXPECT_TRUE(listed.contains(gone) && listed.contains(lost)) << qPrintable(listed);
    EXPECT_EQ(listed.count(u'\n'), 1);

    const QString report = out.file(QStringLiteral("report.txt"));
    saveAs(report);
    QStringList lines = reportLines(report);
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QStringList{u"** End Of Matches **"_qs,
                           u"** 2 Files Or Folders Could Not Be Read **"_qs, QString()}));

    // A run that read everything says nothing of it, in the window or the report.
    dir.write(QStringLiteral("gone.txt"), "alpha\n");
    dir.write(QStringLiteral("lost.txt"), "alpha\n");
    scanFor(QStringLiteral("alpha"));
    EXPECT_EQ(statusText(), u"Scanning Complete");
    EXPECT_FALSE(button->isVisibleTo(form.get()));
    saveAs(report);
    lines = reportLines(report);
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{u"** End Of Matches **"_qs, QString()}));
}
