// The actions on a match or a selected file: the popup menu's commands, the
// full-line display, launching a file and its properties window.

#include "mainwindow/matchactions.h"

#include "dialogs/messagebox.h"
#include "dialogs/uiutilities.h"
#include "fileprops/cfiform.h"
#include "fileprops/fileinfopath.h"
#include "mainwindow/formtexts.h"
#include "mainwindow/fulllinebox.h"
#include "mainwindow/openineditor.h"
#include "platform/pathname.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>

namespace MatchActionTexts {

QString fullLineText(const MatchRecord &row) {
    const QString paragraph = QStringLiteral("\r\n\r\n");
    return QStringLiteral("File: ") + row.path + QStringLiteral(" (Line: ") + row.line.text() +
           QLatin1Char(')') + paragraph + QStringLiteral("Text Line:\r\n") + row.text + paragraph +
           QStringLiteral("The Matching Text Has Been Copied To The Clipboard.");
}

QString launchQuestion(const QString &path) {
    return LaunchQuestionStart + path + LaunchQuestionEnd;
}

} // namespace MatchActionTexts

using namespace MatchActionTexts;

void MatchActions::showFullLine(const MatchRecord &row) {
    if (row.path.isEmpty())
        return;
    FullLineBox box(FormTexts::ProductName + FullLineTitleSuffix, fullLineText(row), &window_);
    box.exec();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(row.text);
}

void MatchActions::fileInformation(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        ShowFileInfo(row.path);
}

void MatchActions::launch(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        LaunchFile(row.path);
}

void MatchActions::edit(const MatchRecord &row, const QString &searchText,
                        const SearchOptions &options) {
    if (!row.path.trimmed().isEmpty())
        OpenInEditor(row.path, &window_, searchText, {row.line, row.text}, options);
}

void MatchActions::openContainingFolder(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        platform::openWithAssociatedApplication(QFileInfo(row.path).absolutePath());
}

void MatchActions::copyPath(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        QGuiApplication::clipboard()->setText(platform::displayPath(row.path));
}

void MatchActions::LaunchFile(const QString &path) {
    using namespace MessageBoxStyle;
    if (FunctionModule::showMessageBox(&window_, launchQuestion(path), YesNo | Question) ==
        AnswerNo)
        return;
    if (path.trimmed().isEmpty()) {
        FunctionModule::showMessageBox(&window_, SelectFileFirst, OkOnly | Exclamation);
        return;
    }
    status_.SBar(StartingApplication);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A file without an application, or one that will not start, says nothing.
    platform::openWithAssociatedApplication(path, FunctionModule::programFolder());
    QApplication::restoreOverrideCursor();
    status_.SBar(FormTexts::Ready);
}

void MatchActions::ShowFileInfo(const QString &path) {
    status_.SBar(RetrievingProperties);
    FileInfoShared::FileInfoPath = path;
    CFIForm window(&window_);
    window.exec();
    status_.SBar(FormTexts::Ready);
}
