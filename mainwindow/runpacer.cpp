#include "mainwindow/runpacer.h"

#include "scan/resultsmodel.h"

#include <QCoreApplication>

namespace {
/// How often the event loop turns during a run, the turn's own work included.
constexpr qint64 SliceMilliseconds = 15;
/// The least work between two turns, however long a turn took: on a slow or
/// busy machine the run still goes on.
constexpr qint64 LeastWorkMilliseconds = 5;
/// How often new rows reach the list during a run. Taking rows into a long
/// list costs the view a pass over all its rows, so it is done on every few
/// turns only; the count, status and progress follow every turn.
constexpr qint64 RowsMilliseconds = 50;
} // namespace

RunPacer::RunPacer(ResultsModel &results, QObject *parent)
    : QObject(parent), results_(results), run_(std::make_unique<ScanRun>(results, *this, *this)) {}

RunPacer::~RunPacer() = default;

ScanOutcome RunPacer::run(const ScanQuery &query, const FileSelection *files) {
    running_ = true;
    stopAsked_ = false;
    pending_.running = true;
    pending_.filesDone = 0;
    pending_.filesTotal = -1;
    nextTurn_.setRemainingTime(SliceMilliseconds, Qt::PreciseTimer);
    sinceRows_.start();
    const ScanOutcome outcome = run_->run(query, files);
    running_ = false;
    pending_.running = false;
    deliver();
    return outcome;
}

void RunPacer::cancel() {
    stopAsked_ = true;
}

void RunPacer::editSearchText(const QString &text) {
    if (running_ && text != run_->query().searchText)
        run_->editSearchText(text);
}

// The stop outlasts the walk's end, where the run sets itself going again.
void RunPacer::requestClose() {
    closePending_ = true;
    stopAsked_ = true;
}

bool RunPacer::takeClosePending() {
    const bool pending = closePending_;
    closePending_ = false;
    return pending;
}

void RunPacer::deliver(bool withRows) {
    const qsizetype before = results_.rowCount();
    if (withRows)
        results_.flush();
    pending_.newRows = results_.rowCount() != before;
    Q_EMIT batchReady(pending_);
}

void RunPacer::turnEventLoopIfDue() {
    if (!nextTurn_.hasExpired())
        return;
    // The slice starts before the batch is shown, so that a costly batch
    // shortens the work that follows rather than the window's turns.
    nextTurn_.setRemainingTime(SliceMilliseconds, Qt::PreciseTimer);
    deliver(false);
    // The walk takes clicks too: Cancel and close stop it as they stop a file.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // New rows are taken in after the turn, so that their cost falls in the
    // run's share of the slice; they are painted on the next turn.
    if (sinceRows_.hasExpired(RowsMilliseconds)) {
        sinceRows_.restart();
        deliver(true);
    }
    if (nextTurn_.remainingTime() < LeastWorkMilliseconds)
        nextTurn_.setRemainingTime(LeastWorkMilliseconds, Qt::PreciseTimer);
}

void RunPacer::SBar(const QString &text) {
    pending_.status = text;
    if (running_)
        turnEventLoopIfDue();
    else
        deliver();
}

void RunPacer::fileError(const QString &text) {
    Q_EMIT fileFailed(text);
    SBar(text);
}

void RunPacer::showMatchCount(qint64 count) {
    pending_.count = count;
    if (count == 0 || !running_)
        deliver();
}

void RunPacer::showMessage(const QString &text) {
    Q_EMIT messageRequested(text);
}

bool RunPacer::yield() {
    turnEventLoopIfDue();
    return !stopAsked_;
}

void RunPacer::fileProgress(qint64 done, qint64 total) {
    pending_.filesDone = done;
    pending_.filesTotal = total;
}

void RunPacer::phaseChanged(Phase phase) {
    if (phase == Phase::Finished)
        deliver();
    Q_EMIT phaseEntered(phase);
}
