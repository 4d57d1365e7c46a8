// The scan run as the window drives it: the Scan and Cancel command, and the
// pacer's batches applied to the controls.

#include "mainwindow/scancommand.h"

#include "mainwindow/searchoptionspanel.h"
#include "scan/searchexpression.h"

#include "mainwindow/formcontrols.h"
#include "mainwindow/readfailures.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/runpacer.h"
#include "mainwindow/searchbox.h"
#include "mainwindow/statusbar.h"
#include "platform/freememory.h"
#include "scan/resultsmodel.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>

ScanCommand::ScanCommand(QWidget &window, FormControls &controls, RunPacer &pacer,
                         const FileSelection &selection)
    : window_(window), c_(controls), pacer_(pacer), selection_(selection),
      failures_(new ReadFailures(window)) {
    c_.StatBar->addWidget(failures_->button());
    QObject::connect(&pacer_, &RunPacer::fileFailed, failures_, &ReadFailures::add);
}

void ScanCommand::click() {
    if (c_.ScanButton->text() == FormTexts::CancelCaption) {
        cancel();
        return;
    }
    if (pacer_.running())
        return; // a cancelled run is still finishing its file
    // An expression that cannot be used is shown by the search box; nothing is scanned.
    const ScanQuery query = c_.query();
    const QString error = SearchExpression(query.searchText, query.options).error();
    c_.Options->showError(error);
    if (!error.isEmpty())
        return;
    c_.SaveButton->setEnabled(false);
    c_.ResetResultsList(true);
    failures_->clear();
    const ScanOutcome outcome = pacer_.run(query, &selection_);
    failures_->runEnded();
    if (failures_->count() > 0)
        pacer_.SBar(c_.StatBar->panelText() + QStringLiteral(" - ") +
                    ReadFailureTexts::summary(failures_->count()));
    if (outcome != ScanOutcome::Refused && c_.results->totalRows() > 1)
        c_.SaveButton->setEnabled(true);
    c_.ModeTabs->setEnabled(true);
    // Only now is all of the run freed (its readers, walk and queues): give
    // the pages back, so that the window holds its rows and little more.
    platform::giveBackFreeMemory();
}

bool ScanCommand::holdClose() {
    if (!pacer_.running())
        return false;
    pacer_.requestClose();
    if (c_.ScanButton->text() == FormTexts::CancelCaption)
        cancel();
    return true;
}

void ScanCommand::cancel() {
    pacer_.cancel();
    if (c_.results->totalRows() > 2)
        c_.SaveButton->setEnabled(true);
    setIdleCaption();
    c_.ModeTabs->setEnabled(true);
}

void ScanCommand::setIdleCaption() {
    // The same caption as at start: Alt+S scans before and after every run.
    c_.ScanButton->setText(FormTexts::ScanCaption);
    c_.ScanButton->setToolTip(FormTexts::ScanTip);
}

void ScanCommand::enterPhase(RunHooks::Phase phase) {
    switch (phase) {
    case RunHooks::Phase::Started:
        c_.ModeTabs->setEnabled(false);
        c_.ScanButton->setText(FormTexts::CancelCaption);
        c_.ScanButton->setToolTip(FormTexts::CancelTip);
        c_.TextList->addToHistory(pacer_.scanRun().query().searchText);
        break;
    case RunHooks::Phase::BuildingList:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The last walk's list goes now, not when this walk ends: never two lists at once.
        c_.foundFiles->setStringList({});
        break;
    case RunHooks::Phase::ListBuilt:
        QApplication::restoreOverrideCursor();
        c_.foundFiles->setStringList(pacer_.scanRun().FoundFilesList);
        break;
    case RunHooks::Phase::Finished:
        setIdleCaption();
        break;
    }
}

void ScanCommand::showBatch(const RunBatch &batch) {
    if (c_.StatBar->panelText() != batch.status) {
        c_.StatBar->setPanelText(batch.status);
        if (!batch.running)
            c_.StatBar->paintNow(); // the caller may keep the event loop busy
    }
    c_.StatBar->showProgress(batch.running, batch.filesDone, batch.filesTotal);
    const QString count = QString::number(batch.count);
    if (c_.MatchCountLabel->text() != count) {
        c_.MatchCountLabel->setText(count);
        if (c_.MatchCountLabel->sizeHint().width() > c_.MatchCountLabel->width())
            c_.fitCountLabel();
    }
}

void ScanCommand::showMessage(const QString &text) {
    QMessageBox box(QMessageBox::Warning, FormTexts::ProductName, text, QMessageBox::Ok, &window_);
    box.exec();
}
