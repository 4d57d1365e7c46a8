// The actions on a match or a selected file: the popup menu's commands, the
// full-line display, launching a file and its properties window.

#include "mainwindow/matchactions.h"

#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "fileprops/cfiform.h"
#include "fileprops/fileinfopath.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/fulllinebox.h"
#include "mainwindow/openineditor.h"
#include "mainwindow/quarrixform.h"
#include "mainwindow/resultsview.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"
#include "scan/resultsmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>

namespace MatchActionTexts {

QString fullLineText(const MatchRecord &row) {
    const QString paragraph = QStringLiteral("\r\n\r\n");
    return QStringLiteral("File: ") + row.path + QStringLiteral(" (Line: ") + row.line +
           QLatin1Char(')') + paragraph + QStringLiteral("Text Line:\r\n") + row.text + paragraph +
           QStringLiteral("The Matching Text Has Been Copied To The Clipboard.");
}

QString launchQuestion(const QString &path) {
    return LaunchQuestionStart + path + LaunchQuestionEnd;
}

} // namespace MatchActionTexts

using namespace MatchActionTexts;

MatchRecord QuarrixForm::activeRow() const {
    if (CurrentControl == QLatin1String("MatchLV")) {
        // The last selected row in list order wins.
        int last = -1;
        for (const QModelIndex &index : MatchLV->selectionModel()->selectedRows())
            last = std::max(last, index.row());
        if (last >= 0)
            return results_->row(last);
    } else if (CurrentControl == QLatin1String("File1") &&
               ScanRun::CountSelectedFiles(*selection_) > 0) {
        return {File1EntryPath(), QString(), QString()};
    }
    return {};
}

QString QuarrixForm::GetActiveFileName() const {
    return activeRow().path;
}

QString QuarrixForm::File1EntryPath() const {
    // The entry with the focus, which need not be a selected one.
    const QListWidgetItem *current = File1->currentItem();
    if (!current)
        return {};
    return FunctionModule::AddTrailingBackslash(File1->path()) + current->text();
}

void QuarrixForm::File1_DblClick() {
    const QString path = File1EntryPath();
    if (!path.isEmpty())
        ShowFileInfo(path);
}

void QuarrixForm::mnuFileInfo_Click() {
    const MatchRecord row = activeRow();
    if (!row.path.trimmed().isEmpty())
        ShowFileInfo(row.path);
}

void QuarrixForm::mnuLaunch_Click() {
    const MatchRecord row = activeRow();
    if (!row.path.trimmed().isEmpty())
        LaunchFile(row.path);
}

void QuarrixForm::mnuEdit_Click() {
    const MatchRecord row = activeRow();
    if (row.path.trimmed().isEmpty())
        return;
    // A results row opens at its own line; the file list (no line) at the top.
    OpenInEditor(row.path, this, currentQuery().searchText, {row.line, row.text});
}

int QuarrixForm::selectedMatchRow() const {
    const QItemSelectionModel *selection = MatchLV->selectionModel();
    const QModelIndex current = MatchLV->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void QuarrixForm::MatchLV_DblClick() {
    showFullLineOf(selectedMatchRow());
}

void QuarrixForm::showFullLineOf(int row) {
    if (results_->rowCount() <= 1 || row < 0 || row >= results_->rowCount())
        return;
    const MatchRecord record = results_->row(row);
    if (!record.path.isEmpty()) // not the marker row
        showFullLine(record);
}

void QuarrixForm::showFullLine(const MatchRecord &row) {
    FullLineBox box(FormTexts::ProductName + FullLineTitleSuffix, fullLineText(row), this);
    box.exec();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(row.text);
}

void QuarrixForm::LaunchFile(const QString &path) {
    using namespace MessageBoxStyle;
    if (FunctionModule::showMessageBox(this, launchQuestion(path), YesNo | Question) == AnswerNo)
        return;
    if (path.trimmed().isEmpty()) {
        FunctionModule::showMessageBox(this, SelectFileFirst, OkOnly | Exclamation);
        return;
    }
    SBar(StartingApplication);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A file without an application, or one that will not start, says nothing.
    platform::openWithAssociatedApplication(path, FunctionModule::programFolder());
    QApplication::restoreOverrideCursor();
    SBar(FormTexts::Ready);
}

void QuarrixForm::ShowFileInfo(const QString &path) {
    SBar(RetrievingProperties);
    FileInfoShared::FileInfoPath = path;
    CFIForm window(this);
    window.exec();
    SBar(FormTexts::Ready);
}
