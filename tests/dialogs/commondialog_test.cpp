#include "dialogs/commondialog.h"
#include "dialogs/dialogtesting.h"
#include "dialogs/uiutilities.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

using namespace RIROR_CommonDialog;

namespace {

struct SeenDialog {
    QString title, folder;
    QStringList filters;
    bool confirmsOverwrite = true;
    QPoint position;
};

/// Types name into the next save dialog and accepts it, noting how it looked.
void chooseIn(SeenDialog &seen, const QString &name) {
    onNextModal<QFileDialog>([&seen, name](QFileDialog *dialog) {
        seen.title = dialog->windowTitle();
        seen.folder = dialog->directory().absolutePath();
        seen.filters = dialog->nameFilters();
        seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        seen.position = dialog->frameGeometry().topLeft();
        chooseFileName(dialog, name);
        acceptDialog(dialog);
    });
}

class SaveDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FileDialogRecord = {};
        FileDialogRecord.lpstrFilter =
            QStringLiteral("Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0");
        FileDialogRecord.lpstrTitle = QStringLiteral("Save It As...");
        FileDialogRecord.lpstrInitialDir = dir.path();
        FileDialogRecord.lpstrDefExt = QStringLiteral("txt");
    }
    TempDir dir;
};

} // namespace

TEST_F(SaveDialogTest, ChoiceSplitsIntoFolderAndNameWithTheDefaultExtension) {
    SeenDialog seen;
    chooseIn(seen, QStringLiteral("report"));
    const FileDialogResult result = ShowSaveDialog(nullptr, 0);
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(result.FileCount, 1);
    ASSERT_EQ(result.FileNames.size(), 2);
    EXPECT_EQ(result.FileNames[1], QStringLiteral("report.txt"));
    EXPECT_EQ(result.FolderPath, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(result.fullPath(), dir.file(QStringLiteral("report.txt")));
    EXPECT_EQ(seen.title, QStringLiteral("Save It As..."));
    EXPECT_EQ(seen.folder, dir.path());
    EXPECT_EQ(seen.filters.size(), 2);
    EXPECT_EQ(FileDialogRecord.lStructSize, 76u);
    EXPECT_EQ(FileDialogRecord.lpstrFile, dir.file(QStringLiteral("report.txt")));
    EXPECT_FALSE(FileDialogRecord.Flags & OFN_EXTENSIONDIFFERENT);
}

TEST_F(SaveDialogTest, CancelGivesTheCancelledResult) {
    onNextModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    const FileDialogResult result = ShowSaveDialog(nullptr, 0);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.FileCount, 0);
    EXPECT_TRUE(result.FolderPath.isEmpty());
    EXPECT_TRUE(result.fullPath().isEmpty());
}

TEST_F(SaveDialogTest, FlagsDefaultOnlyWhenZeroAndOverwritePromptFollowsThem) {
    SeenDialog seen;
    onNextModal<QFileDialog>([&seen](QFileDialog *dialog) {
        seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->reject();
    });
    ShowSaveDialog(nullptr, 0);
    EXPECT_EQ(FileDialogRecord.Flags, 2621446u);
    EXPECT_TRUE(seen.confirmsOverwrite);

    FileDialogRecord.Flags = OFN_HIDEREADONLY;
    const QString existing = dir.write(QStringLiteral("old.txt"), "old");
    chooseIn(seen, QStringLiteral("old.txt"));
    const FileDialogResult result = ShowSaveDialog(nullptr, 0);
    EXPECT_EQ(FileDialogRecord.Flags, OFN_HIDEREADONLY);
    EXPECT_FALSE(seen.confirmsOverwrite);
    EXPECT_EQ(result.fullPath(), existing);
}

TEST_F(SaveDialogTest, AnotherExtensionIsKeptAndFlagged) {
    SeenDialog seen;
    chooseIn(seen, QStringLiteral("notes.log"));
    EXPECT_EQ(ShowSaveDialog(nullptr, 0).FileNames[1], QStringLiteral("notes.log"));
    EXPECT_TRUE(FileDialogRecord.Flags & OFN_EXTENSIONDIFFERENT);
}

TEST_F(SaveDialogTest, ChoiceInTheRootKeepsOneSeparator) {
    FileDialogRecord.lpstrInitialDir = QStringLiteral("/");
    SeenDialog seen;
    chooseIn(seen, QStringLiteral("quarrix-never-written"));
    const FileDialogResult result = ShowSaveDialog(nullptr, 0);
    EXPECT_EQ(result.FolderPath, QStringLiteral("/"));
    EXPECT_EQ(result.FileNames[1], QStringLiteral("quarrix-never-written.txt"));
}

TEST_F(SaveDialogTest, MissingFolderIsRefusedWhenThePathMustExist) {
    FileDialogRecord.Flags = OFN_PATHMUSTEXIST;
    QString warning;
    onNextModal<QFileDialog>([&warning](QFileDialog *dialog) {
        chooseFileName(dialog, QStringLiteral("nowhere/report.txt"));
        onNextModal<QMessageBox>(
            [&warning, dialog](QMessageBox *box) {
                warning = box->text();
                box->accept();
                onNextModal<QFileDialog>([](QFileDialog *again) { again->reject(); });
            },
            nullptr);
        acceptDialog(dialog);
    });
    EXPECT_TRUE(ShowSaveDialog(nullptr, 0).Cancelled);
    EXPECT_TRUE(warning.contains(QStringLiteral("does not exist"))) << warning.toStdString();
}

TEST_F(SaveDialogTest, CentredOnTheOwnerInOwnerMode) {
    QWidget owner;
    owner.setGeometry(50, 40, 900, 700);
    owner.show();
    SeenDialog seen;
    QSize dialogSize;
    onNextModal<QFileDialog>([&seen, &dialogSize](QFileDialog *dialog) {
        seen.position = dialog->frameGeometry().topLeft();
        dialogSize = dialog->frameGeometry().size();
        dialog->reject();
    });
    ShowSaveDialog(&owner, CentreOnOwner);
    EXPECT_EQ(seen.position,
              FunctionModule::centreOnOwnerPosition(dialogSize, owner.frameGeometry()));
    EXPECT_TRUE(FunctionModule::CentreHookHandle.isNull());
    EXPECT_EQ(FileDialogRecord.hwndOwner, &owner);
}

TEST(NameFilters, PairsBecomeDialogFilters) {
    EXPECT_EQ(nameFilters(QStringLiteral("Text Files (*.txt)\0*.txt\0Logs\0*.log;*.out\0")),
              (QStringList{QStringLiteral("Text Files (*.txt) (*.txt)"),
                           QStringLiteral("Logs (*.log *.out)")}));
    EXPECT_TRUE(nameFilters(QString()).isEmpty());
    // A description without its pattern is dropped.
    EXPECT_TRUE(nameFilters(QStringLiteral("Lonely")).isEmpty());
}
