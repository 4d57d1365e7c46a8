#include "mainwindow/reportsave.h"

#include "platform/outputfile.h"
#include "scan/resultsmodel.h"

#include <QElapsedTimer>

#include <utility>

namespace ResultsReport {
namespace {

using RIROR_CommonDialog::FileDialogResult;

/// The count is shown at most this often, and for the first and last row: a
/// status repaint per row would make a long list slow to save.
constexpr qint64 StatusIntervalMs = 20;

/// Rows in the list's order; with context lines, each run of one file's rows
/// goes out together so the lines around them are read once.
bool writeRows(Writer &writer, const Header &header, const ResultsModel &rows,
               const StatusCallback &status) {
    const bool context = header.contextBefore > 0 || header.contextAfter > 0;
    QList<MatchRecord> fileRows;
    const auto flush = [&] {
        return writer.writeRowsWithContext(std::exchange(fileRows, {}), header.contextBefore,
                                           header.contextAfter);
    };
    QElapsedTimer sinceShown;
    sinceShown.start();
    const qsizetype count = rows.totalRows();
    for (qsizetype n = 1; n <= count; ++n) {
        if (n == 1 || n == count || sinceShown.elapsed() >= StatusIntervalMs) {
            status(SavingMatch + QString::number(n));
            sinceShown.restart();
        }
        MatchRecord row = rows.row(n - 1);
        if (!context) {
            if (!writer.writeRow(row))
                return false;
            continue;
        }
        if (!fileRows.isEmpty() && fileRows.front().path != row.path && !flush())
            return false;
        fileRows.append(std::move(row));
    }
    return fileRows.isEmpty() || flush();
}

/// Writes the report through output, which keeps it under a temporary name
/// until complete; false with the cause in error on any failure.
bool writeReport(platform::OutputFile &output, const Header &header, const ResultsModel &rows,
                 const StatusCallback &status, const QLocale &locale,
                 const QStringList &closingLines, QString &error) {
    Writer writer(output.device());
    bool written = writer.writeHeader(header, locale) && writeRows(writer, header, rows, status);
    for (const QString &line : closingLines)
        written = written && writer.writeLine(line);
    if (!written || !output.commit()) {
        error = output.errorString();
        return false;
    }
    return true;
}

} // namespace

void prepareSaveDialog(const QString &initialFolder) {
    RIROR_CommonDialog::OpenFileName &record = RIROR_CommonDialog::FileDialogRecord;
    record.lpstrFilter = DialogFilter;
    record.Flags = RIROR_CommonDialog::OFN_HIDEREADONLY | RIROR_CommonDialog::OFN_OVERWRITEPROMPT;
    record.lpstrTitle = DialogTitle;
    record.lpstrInitialDir = initialFolder;
    record.lpstrDefExt = DefaultExtension;
}

QString reportFileName(const FileDialogResult &choice) {
    return choice.Cancelled ? QString() : choice.fullPath();
}

SaveOutcome saveReport(const FileDialogResult &choice, Header header, const ResultsModel &rows,
                       const StatusCallback &status, const QLocale &locale,
                       const QStringList &closingLines) {
    const QString fileName = reportFileName(choice);
    if (fileName.trimmed().isEmpty())
        return SaveOutcome::NothingChosen;
    if (!header.when.isValid())
        header.when = QDateTime::currentDateTime();
    platform::OutputFile output;
    QString error;
    if (!output.open(fileName) ||
        !writeReport(output, header, rows, status, locale, closingLines, error)) {
        status(error.isEmpty() ? output.errorString() : error);
        return SaveOutcome::Failed;
    }
    status(SaveComplete);
    return SaveOutcome::Saved;
}

SaveOutcome SaveResults(QWidget *owner, const QString &initialFolder, const Header &header,
                        const ResultsModel &rows, const StatusCallback &status,
                        const QStringList &closingLines) {
    prepareSaveDialog(initialFolder);
    const FileDialogResult choice =
        RIROR_CommonDialog::ShowSaveDialog(owner, RIROR_CommonDialog::CentreOnOwner);
    return saveReport(choice, header, rows, status, QLocale(), closingLines);
}

} // namespace ResultsReport
