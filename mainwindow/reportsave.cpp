#include "mainwindow/reportsave.h"

#include "scan/resultsmodel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>

namespace ResultsReport {
namespace {

using RIROR_CommonDialog::FileDialogResult;

/// The count is shown at most this often, and for the first and last row: a
/// status repaint per row would make a long list slow to save.
constexpr qint64 StatusIntervalMs = 20;

bool writeRows(Writer &writer, const ResultsModel &rows, const StatusCallback &status) {
    QElapsedTimer sinceShown;
    sinceShown.start();
    const qsizetype count = rows.totalRows();
    for (qsizetype n = 1; n <= count; ++n) {
        if (n == 1 || n == count || sinceShown.elapsed() >= StatusIntervalMs) {
            status(SavingMatch + QString::number(n));
            sinceShown.restart();
        }
        const MatchRecord row = rows.row(n - 1);
        if (!writer.writeLine(rowLine(row)))
            return false;
    }
    return true;
}

/// A file is written under a temporary name beside it, which takes its name
/// only when complete: a failed save leaves neither a cut report nor a lost
/// old file. A device or pipe the user picks is written directly.
std::unique_ptr<QFileDevice> reportDevice(const QString &fileName) {
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return std::make_unique<QFile>(fileName);
    return std::make_unique<QSaveFile>(fileName);
}

/// Ends the writing; true only when every byte reached the file. A failed
/// flush names its cause, a failed write or commit may not.
bool finish(QFileDevice &file) {
    if (!file.flush())
        return false;
    if (auto *beside = qobject_cast<QSaveFile *>(&file))
        return beside->commit();
    file.close();
    return file.error() == QFileDevice::NoError;
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
                       const StatusCallback &status, const QLocale &locale) {
    const QString fileName = reportFileName(choice);
    if (fileName.trimmed().isEmpty())
        return SaveOutcome::NothingChosen;
    if (!header.when.isValid())
        header.when = QDateTime::currentDateTime();
    const std::unique_ptr<QFileDevice> file = reportDevice(fileName);
    Writer writer(*file);
    bool written = file->open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (written) {
        written = writer.writeHeader(header, locale) && writeRows(writer, rows, status);
        // Finishing after a failed write still flushes, which names the cause.
        written = finish(*file) && written;
    }
    if (!written) {
        status(file->errorString());
        return SaveOutcome::Failed;
    }
    status(SaveComplete);
    return SaveOutcome::Saved;
}

SaveOutcome SaveResults(QWidget *owner, const QString &initialFolder, const Header &header,
                        const ResultsModel &rows, const StatusCallback &status) {
    prepareSaveDialog(initialFolder);
    const FileDialogResult choice =
        RIROR_CommonDialog::ShowSaveDialog(owner, RIROR_CommonDialog::CentreOnOwner);
    return saveReport(choice, header, rows, status);
}

} // namespace ResultsReport
