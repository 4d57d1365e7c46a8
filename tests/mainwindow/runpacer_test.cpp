// The window's pacer of a run: the event loop turns in slices while the
// engine works, what changed reaches the window in batches, and Cancel and a
// close during a run end it.

#include "mainwindow/runpacer.h"
#include "scan/resultsmodel.h"
#include "scan/scantexts.h"
#include "windowtestsupport.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace {

constexpr int TreeFiles = 200;
constexpr int HitsPerFile = 1500;
constexpr qint64 AllHits = qint64{TreeFiles} * HitsPerFile;

/// A batch as the window got it: when, and how many rows the view had then.
struct Seen {
    RunBatch batch;
    qint64 at;
    int shownRows;
};

class RunPacerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        // Enough lines that a run lasts many slices on a fast machine.
        const QByteArray body = QByteArray("a line without the word\n").repeated(4000) +
                                QByteArray("a zebra line\n").repeated(HitsPerFile);
        for (int i = 0; i < TreeFiles; ++i)
            dir.write(QStringLiteral("tree/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), body);
        QObject::connect(&pacer, &RunPacer::batchReady, [this](const RunBatch &batch) {
            batches.push_back({batch, clock.elapsed(), results.rowCount()});
        });
        QObject::connect(&pacer, &RunPacer::phaseEntered, [this](RunHooks::Phase phase) {
            if (onPhase)
                onPhase(phase);
        });
    }

    /// Runs a scan of the tree for "zebra", noting when the event loop turned.
    ScanOutcome runTree() {
        ScanQuery query;
        query.mode = ScanMode::DirectoryTree;
        query.folder = dir.file(QStringLiteral("tree"));
        query.searchText = QStringLiteral("zebra");
        batches.clear();
        turns.clear();
        QTimer turn; // fires once on every turn of the event loop
        turn.setInterval(0);
        QObject::connect(&turn, &QTimer::timeout, [this] {
            if (!pacer.running())
                return;
            turns.push_back(clock.elapsed());
            if (onTurn)
                onTurn();
        });
        turn.start();
        clock.start();
        const ScanOutcome outcome = pacer.run(query, nullptr);
        EXPECT_FALSE(pacer.running());
        return outcome;
    }

    const RunBatch &last() const { return batches.back().batch; }

    TempDir dir;
    ResultsModel results;
    RunPacer pacer{results};
    QElapsedTimer clock;
    std::vector<Seen> batches;
    std::vector<qint64> turns;
    std::function<void()> onTurn;
    std::function<void(RunHooks::Phase)> onPhase;
};

} // namespace

TEST_F(RunPacerTest, TheEventLoopTurnsInSlicesAndTheWindowGetsBatches) {
    ASSERT_EQ(runTree(), ScanOutcome::Completed);
    ASSERT_GE(turns.size(), 3u) << "the run was too short to show its slices";
    // Work goes on between two turns, however many yields the engine makes.
    for (size_t i = 1; i < turns.size(); ++i)
        EXPECT_GE(turns[i] - turns[i - 1], 4) << "turn " << i;
    // The batches of the run, its last one aside (the run's end hands on all).
    size_t lastOfRun = 0;
    for (size_t i = 0; i < batches.size(); ++i)
        lastOfRun = batches[i].batch.running ? i : lastOfRun;
    const qint64 lasted = batches[lastOfRun].at;
    qint64 during = 0, withRows = 0, count = 0;
    for (size_t i = 0; i < lastOfRun; ++i) {
        EXPECT_GE(batches[i].batch.count, count);
        count = batches[i].batch.count;
        during += 1;
        withRows += batches[i].batch.newRows ? 1 : 0;
    }
    // A batch or two a turn, not one for every file or status text; new rows
    // at most every 50 ms, since taking them in costs the view a pass over
    // its rows.
    EXPECT_LE(during, 2 * (lasted / 5 + 1) + 1) << "in " << lasted << " ms";
    EXPECT_LE(withRows, lasted / 50 + 1) << "in " << lasted << " ms";
    // The last batch has it all: every row in the view, the count and the status.
    EXPECT_FALSE(last().running);
    EXPECT_EQ(last().count, AllHits);
    EXPECT_EQ(last().status, ScanTexts::ScanningComplete);
    EXPECT_EQ(batches.back().shownRows, AllHits + 1); // the marker row too
}

TEST_F(RunPacerTest, CancelInATurnEndsTheRunAndTheNextRunIsWhole) {
    onTurn = [this] {
        if (results.totalRows() > 0 && pacer.scanRun().ContinueScan)
            pacer.cancel();
    };
    ASSERT_EQ(runTree(), ScanOutcome::Cancelled);
    EXPECT_LT(results.totalRows(), AllHits);
    EXPECT_FALSE(last().running);
    EXPECT_EQ(last().status, ScanTexts::ScanningCancelled);
    EXPECT_EQ(batches.back().shownRows, results.totalRows());

    onTurn = nullptr;
    ASSERT_EQ(runTree(), ScanOutcome::Completed);
    EXPECT_EQ(last().count, AllHits);
    EXPECT_EQ(results.totalRows(), AllHits + 1);
    EXPECT_FALSE(pacer.takeClosePending());
}

TEST_F(RunPacerTest, ACloseDuringARunEndsItFirstAndIsTakenOnce) {
    struct Case {
        const char *when;
        bool inTurn; ///< else the moment the walk has ended, before any file is read
    };
    for (const Case &c : {Case{"in a turn", true}, Case{"as the walk ends", false}}) {
        SCOPED_TRACE(c.when);
        bool asked = false;
        onTurn = [&] {
            if (c.inTurn && !asked && results.totalRows() > 0) {
                asked = true;
                pacer.requestClose();
            }
        };
        // The run sets itself going again when the walk has ended: the close
        // must outlast that.
        onPhase = [this, c](RunHooks::Phase phase) {
            if (!c.inTurn && phase == RunHooks::Phase::ListBuilt)
                pacer.requestClose();
        };
        EXPECT_EQ(runTree(), ScanOutcome::Cancelled);
        EXPECT_LT(pacer.scanRun().LinesMatched, AllHits / 2);
        EXPECT_FALSE(last().running);
        EXPECT_TRUE(pacer.takeClosePending());
        EXPECT_FALSE(pacer.takeClosePending());
    }
}

TEST_F(RunPacerTest, OutsideARunTextsReachTheWindowAtOnceAndARefusalIsShown) {
    pacer.SBar(QStringLiteral("Ready"));
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(last().status, u"Ready");
    EXPECT_FALSE(last().running);

    QStringList messages;
    QObject::connect(&pacer, &RunPacer::messageRequested,
                     [&messages](const QString &text) { messages << text; });
    ScanQuery query; // the selected-file mode with no file selected
    query.folder = dir.path();
    EXPECT_EQ(pacer.run(query, nullptr), ScanOutcome::Refused);
    EXPECT_EQ(messages, QStringList{ScanTexts::SelectFilesFirst});
    EXPECT_FALSE(pacer.running());
    EXPECT_FALSE(last().running);
}
