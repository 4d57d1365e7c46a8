#pragma once

#include "scan/scaninterfaces.h"
#include "scan/scanrun.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <memory>

class ResultsModel;

/// What the window shows of a run, handed over once a time slice.
struct RunBatch {
    QString status;         ///< the latest status text
    qint64 count = 0;       ///< matches recorded so far
    qint64 filesDone = 0;   ///< files of the run's list dealt with
    qint64 filesTotal = -1; ///< files in the run's list; -1 while it is being built
    bool running = false;
    bool newRows = false; ///< rows reached the view with this batch
};

/// The window's side of a scan run. It owns the engine's run and implements
/// its status sink and hooks: the engine works, and about every 15 ms the
/// pacer lets the event loop turn (Cancel and the user's clicks are taken
/// then) and hands the window one batch of what changed; new rows go with
/// every few batches. A close request during a run cancels it; the window
/// closes when the run has ended. The pacer touches no widget: the window
/// applies each batch.
class RunPacer : public QObject, public StatusSink, public RunHooks {
    Q_OBJECT
  public:
    explicit RunPacer(ResultsModel &results, QObject *parent = nullptr);
    ~RunPacer() override;

    /// Runs a whole scan; files is the window's live file list, read afresh
    /// for every entry (none: the query's selected files).
    ScanOutcome run(const ScanQuery &query, const FileSelection *files);
    /// Cancel: the run's next yield answers stop.
    void cancel();
    /// An edit of the search box: during a run, a new revision of its query.
    void editSearchText(const QString &text);
    bool running() const { return running_; }
    /// A close during a run: the run is cancelled and ends first.
    void requestClose();
    /// Set by requestClose(); cleared when the window has taken it up.
    bool takeClosePending();
    ScanRun &scanRun() { return *run_; }

    // StatusSink: during a run the text reaches the window with the next
    // batch; setting it for every file would cost more than a small file's scan.
    void SBar(const QString &text) override;
    void fileError(const QString &text) override;
    void showMatchCount(qint64 count) override;
    void showMessage(const QString &text) override;
    // RunHooks
    /// Turns the event loop when due; false once Cancel or a close came.
    bool yield() override;
    void phaseChanged(Phase phase) override;
    void fileProgress(qint64 done, qint64 total) override;

  Q_SIGNALS:
    void batchReady(const RunBatch &batch);
    /// A file or folder of the run could not be read.
    void fileFailed(const QString &errorText);
    void phaseEntered(RunHooks::Phase phase);
    /// An input check refused the run: the window shows the message.
    void messageRequested(const QString &text);

  private:
    /// Hands the window a batch; withRows also takes the new rows into the list.
    void deliver(bool withRows = true);
    void turnEventLoopIfDue();

    ResultsModel &results_;
    std::unique_ptr<ScanRun> run_;
    RunBatch pending_;
    bool running_ = false;
    bool closePending_ = false; ///< set by requestClose(), taken by the window
    bool stopAsked_ = false;    ///< Cancel or a close during the run under way
    QDeadlineTimer nextTurn_;   ///< when the event loop turns next during a run
    QElapsedTimer sinceRows_;   ///< since rows last reached the list
};
