// The bottom strip's commands: the results report, help and the About window.

#include "mainwindow/formcommands.h"

#include "about/shareware_about.h"
#include "dialogs/uiutilities.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/formcontrols.h"
#include "mainwindow/reportsave.h"
#include "scan/scaninterfaces.h"

namespace FormCommands {

void saveResults(QWidget &window, const FormControls &controls, StatusSink &status,
                 const QStringList &closingLines) {
    // Dated when written, after the save dialog; the report names the file
    // list's folder in either mode.
    ResultsReport::Header header = ResultsReport::headerOf(controls.query(), QDateTime());
    header.directory = controls.File1->path();
    ResultsReport::SaveResults(
        &window, controls.shownFolder(), header, *controls.results,
        [&status](const QString &text) { status.SBar(text); }, closingLines);
}

void showHelp(QWidget &window, StatusSink &status) {
    using FunctionModule::HelpOutcome;
    const HelpOutcome outcome = FunctionModule::ShowHelpFile(&window);
    if (outcome == HelpOutcome::NotFound)
        status.SBar(FunctionModule::HelpNotFound);
    else if (outcome == HelpOutcome::NoViewer)
        status.SBar(FunctionModule::HelpNotOpened);
}

void showAbout(QWidget &window) {
    shareware_about about(&window);
    about.exec();
}

} // namespace FormCommands
