// The scan run as the window drives it: the Scan and Cancel command, the
// status sink and the time-sliced yield that keeps the window live.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/statusbar.h"
#include "scan/resultsmodel.h"
#include "scan/scanrun.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableView>

namespace {
/// How long a run works between two turns of the event loop.
constexpr qint64 YieldMilliseconds = 15;
} // namespace

void QuarrixForm::ScanButton_Click() {
    if (ScanButton->text() == FormTexts::CancelCaption) {
        cancelScan();
        return;
    }
    if (scanning_)
        return; // a cancelled run is still finishing its file
    SaveButton->setEnabled(false);
    ResetResultsList(true);
    ScanRequest request;
    request.mode =
        ModeTabs->currentIndex() == 0 ? ScanMode::SelectedFiles : ScanMode::DirectoryTree;
    request.files = selection_.get();
    request.treeFolder = FTV2->selectedFolder();
    request.specifiedType = SpecifiedFiles->isChecked();
    request.type = SpecifiedType->text();
    scanning_ = true;
    sinceEvents_.start();
    const ScanOutcome outcome = run_->run(request);
    scanning_ = false;
    deliverBatch();
    if (outcome != ScanOutcome::Refused && results_->totalRows() > 1)
        SaveButton->setEnabled(true);
    ModeTabs->setEnabled(true);
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

void QuarrixForm::cancelScan() {
    run_->cancel();
    if (results_->totalRows() > 2)
        SaveButton->setEnabled(true);
    setIdleCaption();
    ModeTabs->setEnabled(true);
}

void QuarrixForm::setIdleCaption() {
    ScanButton->setText(FormTexts::ScanAgainCaption);
    ScanButton->setToolTip(FormTexts::ScanTip);
}

void QuarrixForm::phaseChanged(Phase phase) {
    switch (phase) {
    case Phase::Started:
        ModeTabs->setEnabled(false);
        ScanButton->setText(FormTexts::CancelCaption);
        ScanButton->setToolTip(FormTexts::CancelTip);
        TextList->addToHistory(TextList->currentText());
        break;
    case Phase::BuildingList:
        walking_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    case Phase::ListBuilt:
        walking_ = false;
        QApplication::restoreOverrideCursor();
        foundFiles_->setStringList(run_->FoundFilesList);
        break;
    case Phase::Finished:
        deliverBatch();
        setIdleCaption();
        break;
    }
}

void QuarrixForm::stopIfClosing() {
    // A close that came during the walk: the mode loop has set the run going again.
    if (closePending_ && run_->ContinueScan)
        run_->cancel();
}

void QuarrixForm::yield() {
    stopIfClosing();
    if (sinceEvents_.hasExpired(YieldMilliseconds))
        runEventLoop(QEventLoop::AllEvents);
}

void QuarrixForm::runEventLoop(QEventLoop::ProcessEventsFlags flags) {
    deliverBatch();
    QCoreApplication::processEvents(flags);
    sinceEvents_.restart();
}

void QuarrixForm::deliverBatch() {
    const qsizetype before = results_->rowCount();
    results_->flush();
    if (results_->rowCount() != before)
        MatchLV->scrollToBottom();
    if (StatBar->panelText() != statusText_)
        StatBar->setPanelText(statusText_);
    if (shownCount_ != pendingCount_) {
        shownCount_ = pendingCount_;
        MatchCountLabel->setText(QString::number(shownCount_));
    }
}

void QuarrixForm::SBar(const QString &text) {
    statusText_ = text;
    if (!scanning_) {
        StatBar->setPanelText(text);
        StatBar->paintNow();
        return;
    }
    // During a run the text reaches the status bar with the next batch, at
    // most a yield's time later: setting it for every file would cost more
    // than the scan of a small file.
    stopIfClosing();
    // The walk does not take clicks (it cannot be cancelled), but the window
    // still paints and the clock still runs.
    if (sinceEvents_.hasExpired(YieldMilliseconds))
        runEventLoop(walking_ ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}

void QuarrixForm::showMatchCount(qint64 count) {
    pendingCount_ = count;
    if (count == 0 || !scanning_)
        deliverBatch();
}

void QuarrixForm::showMessage(const QString &text) {
    QMessageBox box(QMessageBox::Warning, FormTexts::ProductName, text, QMessageBox::Ok, this);
    box.exec();
}
