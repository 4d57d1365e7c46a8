// The bottom strip's commands: the results report, help and the About window.

#include "about/shareware_about.h"
#include "controls/foldertree/foldertreeview.h"
#include "dialogs/uiutilities.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/reportsave.h"
#include "mainwindow/searchbox.h"

#include <QTabWidget>

void QuarrixForm::SaveButton_Click() {
    const bool selectedFileMode = ModeTabs->currentIndex() == 0;
    ResultsReport::Header header;
    header.selectedFileMode = selectedFileMode;
    header.searchedFor = TextList->currentText();
    header.directory = File1->path();
    const QString folder = (selectedFileMode ? FTV1 : FTV2)->selectedFolder();
    ResultsReport::SaveResults(this, folder, header, *results_,
                               [this](const QString &text) { SBar(text); });
}

void QuarrixForm::HelpButton_Click() {
    using FunctionModule::HelpOutcome;
    const HelpOutcome outcome = FunctionModule::ShowHelpFile(this);
    if (outcome == HelpOutcome::NotFound)
        SBar(FunctionModule::HelpNotFound);
    else if (outcome == HelpOutcome::NoViewer)
        SBar(FunctionModule::HelpNotOpened);
}

void QuarrixForm::AboutButton_Click() {
    shareware_about about(this);
    about.exec();
}
