#include "mainwindow/runpacer.h"

#include "scan/resultsmodel.h"

#include <QCoreApplication>

namespace {
/// How long a run works between two turns of the event loop.
constexpr qint64 SliceMilliseconds = 15;
} // namespace

RunPacer::RunPacer(ResultsModel &results, const SearchTextSource &search, QObject *parent)
    : QObject(parent), results_(results),
      run_(std::make_unique<ScanRun>(results, *this, *this, search)) {}

RunPacer::~RunPacer() = default;

ScanOutcome RunPacer::run(const ScanQuery &query, const FileSelection *files) {
    running_ = true;
    pending_.running = true;
    pending_.filesDone = 0;
    pending_.filesTotal = -1;
    sinceEvents_.start();
    const ScanOutcome outcome = run_->run(query, files);
    running_ = false;
    pending_.running = false;
    deliver();
    return outcome;
}

void RunPacer::cancel() {
    run_->cancel();
}

void RunPacer::requestClose() {
    closePending_ = true;
    stopIfClosing();
}

bool RunPacer::takeClosePending() {
    const bool pending = closePending_;
    closePending_ = false;
    return pending;
}

void RunPacer::stopIfClosing() {
    // A close that came during the walk: the mode loop has set the run going again.
    if (closePending_ && running_ && run_->ContinueScan)
        run_->cancel();
}

void RunPacer::deliver() {
    const qsizetype before = results_.rowCount();
    results_.flush();
    pending_.newRows = results_.rowCount() != before;
    Q_EMIT batchReady(pending_);
}

void RunPacer::turnEventLoopIfDue() {
    stopIfClosing();
    if (!sinceEvents_.hasExpired(SliceMilliseconds))
        return;
    deliver();
    // The walk takes clicks too: Cancel and close stop it as they stop a file.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.restart();
}

void RunPacer::SBar(const QString &text) {
    pending_.status = text;
    if (running_)
        turnEventLoopIfDue();
    else
        deliver();
}

void RunPacer::showMatchCount(qint64 count) {
    pending_.count = count;
    if (count == 0 || !running_)
        deliver();
}

void RunPacer::showMessage(const QString &text) {
    Q_EMIT messageRequested(text);
}

void RunPacer::yield() {
    turnEventLoopIfDue();
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
