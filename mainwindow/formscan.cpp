// The scan run as the window drives it: the Scan and Cancel command, and the
// pacer's batches applied to the controls.

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/runpacer.h"
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

ScanQuery QuarrixForm::currentQuery() const {
    ScanQuery query;
    query.mode = ModeTabs->currentIndex() == 0 ? ScanMode::SelectedFiles : ScanMode::DirectoryTree;
    query.folder = query.mode == ScanMode::SelectedFiles ? File1->path() : FTV2->selectedFolder();
    for (int i = 0; i < File1->count(); ++i)
        if (File1->item(i)->isSelected())
            query.selectedFiles << File1->item(i)->text();
    query.specifiedType = SpecifiedFiles->isChecked();
    query.type = SpecifiedType->text();
    query.searchText = TextList->currentText();
    return query;
}

void QuarrixForm::ScanButton_Click() {
    if (ScanButton->text() == FormTexts::CancelCaption) {
        cancelScan();
        return;
    }
    if (pacer_->running())
        return; // a cancelled run is still finishing its file
    SaveButton->setEnabled(false);
    ResetResultsList(true);
    const ScanOutcome outcome = pacer_->run(currentQuery(), selection_.get());
    if (outcome != ScanOutcome::Refused && results_->totalRows() > 1)
        SaveButton->setEnabled(true);
    ModeTabs->setEnabled(true);
    if (pacer_->takeClosePending())
        close();
}

void QuarrixForm::cancelScan() {
    pacer_->cancel();
    if (results_->totalRows() > 2)
        SaveButton->setEnabled(true);
    setIdleCaption();
    ModeTabs->setEnabled(true);
}

void QuarrixForm::setIdleCaption() {
    ScanButton->setText(FormTexts::ScanAgainCaption);
    ScanButton->setToolTip(FormTexts::ScanTip);
}

void QuarrixForm::enterPhase(RunHooks::Phase phase) {
    switch (phase) {
    case RunHooks::Phase::Started:
        ModeTabs->setEnabled(false);
        ScanButton->setText(FormTexts::CancelCaption);
        ScanButton->setToolTip(FormTexts::CancelTip);
        TextList->addToHistory(TextList->currentText());
        break;
    case RunHooks::Phase::BuildingList:
        QApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    case RunHooks::Phase::ListBuilt:
        QApplication::restoreOverrideCursor();
        foundFiles_->setStringList(pacer_->scanRun().FoundFilesList);
        break;
    case RunHooks::Phase::Finished:
        setIdleCaption();
        break;
    }
}

void QuarrixForm::showBatch(const RunBatch &batch) {
    if (batch.newRows)
        MatchLV->scrollToBottom();
    if (StatBar->panelText() != batch.status) {
        StatBar->setPanelText(batch.status);
        if (!batch.running)
            StatBar->paintNow(); // the caller may keep the event loop busy
    }
    StatBar->showProgress(batch.running, batch.filesDone, batch.filesTotal);
    const QString count = QString::number(batch.count);
    if (MatchCountLabel->text() != count) {
        MatchCountLabel->setText(count);
        if (MatchCountLabel->sizeHint().width() > MatchCountLabel->width())
            fitCountLabel();
    }
}

void QuarrixForm::SBar(const QString &text) {
    pacer_->SBar(text);
}

void QuarrixForm::showMessage(const QString &text) {
    QMessageBox box(QMessageBox::Warning, FormTexts::ProductName, text, QMessageBox::Ok, this);
    box.exec();
}
