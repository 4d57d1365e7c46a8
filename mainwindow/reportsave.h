#pragma once

#include "dialogs/commondialog.h"
#include "scan/resultsreport.h"

#include <functional>

class ResultsModel;
class QWidget;

/// The Save command of the results: the save dialog, then the report file.
namespace ResultsReport {

/// The command's own words.
inline const QString DialogTitle = QStringLiteral("Save Quarrix Results As...");
inline const QString DialogFilter =
    QStringLiteral("Text Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0");
inline const QString DefaultExtension = QStringLiteral("txt");
inline const QString SavingMatch = QStringLiteral("Saving Match #");
inline const QString SaveComplete = QStringLiteral("Save Complete");

using StatusCallback = std::function<void(const QString &)>;

enum class SaveOutcome { NothingChosen, Saved, Failed };

/// Sets the dialog record up for the report: text and all-files filters, the
/// question before replacing a file, the title, the folder to open in and the "txt" extension.
void prepareSaveDialog(const QString &initialFolder);

/// The report's full name from the dialog's choice; empty after cancel.
QString reportFileName(const RIROR_CommonDialog::FileDialogResult &choice);

/// Writes the report of every row to the chosen file, replacing any file of
/// that name only once the whole report is written. The status counts
/// "Saving Match #1" up and ends with "Save Complete", or with the error's
/// description, any old file of that name staying as it was. A cancelled choice writes nothing and
/// says nothing. A header without a time gets the current one. closingLines
/// follow the rows.
SaveOutcome saveReport(const RIROR_CommonDialog::FileDialogResult &choice, Header header,
                       const ResultsModel &rows, const StatusCallback &status,
                       const QLocale &locale = QLocale(), const QStringList &closingLines = {});

/// The whole command: the dialog centred on owner, opening in initialFolder,
/// then saveReport.
SaveOutcome SaveResults(QWidget *owner, const QString &initialFolder, const Header &header,
                        const ResultsModel &rows, const StatusCallback &status,
                        const QStringList &closingLines = {});

} // namespace ResultsReport
