#include "dialogs/dialogtesting.h"
#include "mainwindow/reportsave.h"
#include "scan/resultsmodel.h"
#include "scan/scanrun.h"
#include "scan/scantexts.h"
#include "support/recordingsinks.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using RIROR_CommonDialog::FileDialogResult;
using namespace ResultsReport;

namespace {

class ReportSaveTest : public ::testing::Test {
  protected:
    /// Scans two files for "alpha" into the model, as the Scan command does.
    void scan() {
        dir.write(QStringLiteral("a.txt"), "alpha one\r\nbeta\r\n  ALPHA two  \r\n");
        dir.write(QStringLiteral("b.txt"), "no\nalpha three\n");
        RecordingSinks sinks;
        ScanRun run(model, sinks, sinks);
        ScanQuery query;
        query.searchText = QStringLiteral("alpha");
        query.folder = dir.path();
        query.selectedFiles = {QStringLiteral("a.txt"), QStringLiteral("b.txt")};
        ASSERT_EQ(run.run(query), ScanOutcome::Completed);
    }
    FileDialogResult chosen(const QString &folder, const QString &name) const {
        FileDialogResult result;
        result.FileCount = 1;
        result.FileNames = {QString(), name};
        result.FolderPath = folder + QLatin1Char('/');
        result.Cancelled = false;
        return result;
    }
    Header header() const {
        return {true, QDateTime(QDate(2001, 7, 17), QTime(11, 33, 5)), QStringLiteral(" alpha "),
                dir.path()};
    }
    StatusCallback recorder() {
        return [this](const QString &text) { status << text; };
    }

    TempDir dir;
    TempDir out;
    ResultsModel model;
    QStringList status;
};

} // namespace

TEST_F(ReportSaveTest, WritesEveryRowAfterARealScan) {
    scan();
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const FileDialogResult choice = chosen(out.path(), QStringLiteral("report.txt"));
    EXPECT_EQ(saveReport(choice, header(), model, recorder(), english), SaveOutcome::Saved);

    const QString a = dir.file(QStringLiteral("a.txt"));
    const QString b = dir.file(QStringLiteral("b.txt"));
    const QByteArray expected = "Results From Selected File Scan\r\n"
                                "Date/Time: Tuesday, July, 17, 2001 (11:33:05)\r\n"
                                "Searched For:  alpha \r\n"
                                "Directory: " +
                                dir.path().toUtf8() +
                                "\r\n"
                                "\r\n\r\n"
                                "Matches...\r\n"
                                "FILE: " +
                                a.toUtf8() +
                                ";  LINE: 1;  MATCH: alpha one\r\n"
                                "FILE: " +
                                a.toUtf8() +
                                ";  LINE: 3;  MATCH: ALPHA two\r\n"
                                "FILE: " +
                                b.toUtf8() +
                                ";  LINE: 2;  MATCH: alpha three\r\n"
                                "** End Of Matches **\r\n";
    EXPECT_EQ(readAll(choice.fullPath()), expected);
    EXPECT_EQ(status,
              (QStringList{QStringLiteral("Saving Match #1"), QStringLiteral("Saving Match #4"),
                           QStringLiteral("Save Complete")}));
}

// Context lines set in the window reach the saved report, read from each file
// once for its run of rows.
TEST_F(ReportSaveTest, ContextLinesSurroundEachFilesRows) {
    scan();
    Header withContext = header();
    withContext.contextBefore = withContext.contextAfter = 1;
    const FileDialogResult choice = chosen(out.path(), QStringLiteral("context.txt"));
    ASSERT_EQ(saveReport(choice, withContext, model, recorder(), QLocale::c()), SaveOutcome::Saved);
    const QString a = QStringLiteral("FILE: ") + dir.file(QStringLiteral("a.txt"));
    const QString b = QStringLiteral("FILE: ") + dir.file(QStringLiteral("b.txt"));
    const QStringList expected{a + QStringLiteral(";  LINE: 1;  MATCH: alpha one"),
                               a + QStringLiteral(";  LINE: 2;  CONTEXT: beta"),
                               a + QStringLiteral(";  LINE: 3;  MATCH: ALPHA two"),
                               QStringLiteral("--"),
                               b + QStringLiteral(";  LINE: 1;  CONTEXT: no"),
                               b + QStringLiteral(";  LINE: 2;  MATCH: alpha three"),
                               QStringLiteral("** End Of Matches **")};
    const QStringList lines =
        QString::fromUtf8(readAll(choice.fullPath())).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral("Matches...")) + 1, expected.size()),
              expected);
}

TEST_F(ReportSaveTest, DirectoryTreeModeAndTheCurrentTime) {
    scan();
    Header tree = header();
    tree.selectedFileMode = false;
    tree.when = QDateTime();
    const FileDialogResult choice = chosen(out.path(), QStringLiteral("tree.txt"));
    ASSERT_EQ(saveReport(choice, tree, model, recorder(), QLocale::c()), SaveOutcome::Saved);
    const QList<QByteArray> lines = readAll(choice.fullPath()).split('\n');
    EXPECT_EQ(lines[0], "Results From Directory Tree Scan\r");
    const QRegularExpression pattern(QStringLiteral(
        R"(^Date/Time: [A-Z][a-z]+day, [A-Z][a-z]+, \d\d, \d{4} \(\d\d:\d\d:\d\d\)\r$)"));
    EXPECT_TRUE(pattern.match(QString::fromUtf8(lines[1])).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QByteArray::number(QDate::currentDate().year())));
}

TEST_F(ReportSaveTest, FolderThatCannotBeWrittenShowsTheError) {
    scan();
    const FileDialogResult choice =
        chosen(out.file(QStringLiteral("gone")), QStringLiteral("r.txt"));
    EXPECT_EQ(saveReport(choice, header(), model, recorder()), SaveOutcome::Failed);
    EXPECT_EQ(status, QStringList{QStringLiteral("No such file or directory")});
}

TEST_F(ReportSaveTest, FullDeviceShowsTheError) {
    scan();
    FileDialogResult full;
    full.FileCount = 1;
    full.FileNames = {QString(), QStringLiteral("full")};
    full.FolderPath = QStringLiteral("/dev/");
    full.Cancelled = false;
    EXPECT_EQ(saveReport(full, header(), model, recorder()), SaveOutcome::Failed);
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last(), QStringLiteral("No space left on device"));
}

TEST_F(ReportSaveTest, MoreRowsThanASixteenBitCounterHolds) {
    for (int i = 1; i <= 40000; ++i)
        model.AddMatch({QStringLiteral("/f"), LineCell::line(i), QStringLiteral("m")});
    model.AddMatch({QString(), LineCell(), ScanTexts::EndOfMatches});
    const FileDialogResult choice = chosen(out.path(), QStringLiteral("big.txt"));
    ASSERT_EQ(saveReport(choice, header(), model, recorder()), SaveOutcome::Saved);
    const QByteArray report = readAll(choice.fullPath());
    EXPECT_EQ(report.count("\r\n"), 7 + 40001);
    EXPECT_TRUE(report.endsWith("FILE: /f;  LINE: 40000;  MATCH: m\r\n** End Of Matches **\r\n"));
    EXPECT_TRUE(status.contains(QStringLiteral("Saving Match #40001")));
}

TEST_F(ReportSaveTest, SaveCommandAsksBeforeReplacingAFile) {
    scan();
    const QString existing = out.write(QStringLiteral("old.txt"), QByteArray(5000, 'x'));
    QWidget owner;
    owner.setGeometry(40, 30, 800, 600);
    owner.show();

    QString question;
    onNextModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Quarrix Results As..."));
        EXPECT_EQ(dialog->directory().absolutePath(), out.path());
        chooseFileName(dialog, QStringLiteral("old.txt"));
        onNextModal<QMessageBox>([&question](QMessageBox *box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
            // The save dialog stays open after No; cancel it then.
            onNextModal<QFileDialog>([](QFileDialog *again) { again->reject(); });
        });
        acceptDialog(dialog);
    });
    EXPECT_EQ(SaveResults(&owner, out.path(), header(), model, recorder()),
              SaveOutcome::NothingChosen);
    EXPECT_TRUE(question.contains(QStringLiteral("old.txt"))) << question.toStdString();
    EXPECT_EQ(readAll(existing), QByteArray(5000, 'x'));
    EXPECT_TRUE(status.isEmpty());

    onNextModal<QFileDialog>([](QFileDialog *dialog) {
        chooseFileName(dialog, QStringLiteral("old.txt"));
        onNextModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
        acceptDialog(dialog);
    });
    EXPECT_EQ(SaveResults(&owner, out.path(), header(), model, recorder()), SaveOutcome::Saved);
    const QByteArray report = readAll(existing);
    EXPECT_TRUE(report.startsWith("Results From Selected File Scan\r\n"));
    EXPECT_TRUE(report.endsWith("** End Of Matches **\r\n"));
    EXPECT_EQ(status.last(), QStringLiteral("Save Complete"));
}

/// Limits the size of any file this process writes, as a full disk would.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

  private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

TEST_F(ReportSaveTest, FailedWriteLeavesTheOldFileAndNoPieces) {
    for (int i = 1; i <= 5000; ++i)
        model.AddMatch({QStringLiteral("/f"), LineCell::line(i), QStringLiteral("m")});
    const QString existing = out.write(QStringLiteral("old.txt"), "the old report\r\n");
    const FileDialogResult choice = chosen(out.path(), QStringLiteral("old.txt"));
    SaveOutcome outcome;
    {
        const FileSizeLimit limit(4096);
        outcome = saveReport(choice, header(), model, recorder());
    }
    EXPECT_EQ(outcome, SaveOutcome::Failed);
    EXPECT_EQ(status.last(), QStringLiteral("File too large"));
    EXPECT_EQ(readAll(existing), "the old report\r\n");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});

    status.clear();
    const FileDialogResult fresh = chosen(out.path(), QStringLiteral("new.txt"));
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(saveReport(fresh, header(), model, recorder()), SaveOutcome::Failed);
    }
    EXPECT_FALSE(QFileInfo::exists(fresh.fullPath()));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
}

TEST_F(ReportSaveTest, CancellingTheDialogLeavesEverythingAlone) {
    scan();
    onNextModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(SaveResults(nullptr, out.path(), header(), model, recorder()),
              SaveOutcome::NothingChosen);
    FileDialogResult blank = chosen(QString(), QStringLiteral("  "));
    blank.FolderPath.clear();
    EXPECT_EQ(saveReport(blank, header(), model, recorder()), SaveOutcome::NothingChosen);
    EXPECT_TRUE(status.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}
