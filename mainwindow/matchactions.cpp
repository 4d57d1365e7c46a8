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
#include "scan/membercopy.h"
#include "scan/rowpath.h"
#include "scan/scantexts.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLocale>

namespace MatchActionTexts {

QString fullLineText(const MatchRecord &row) {
    const QString paragraph = QStringLiteral("\r\n\r\n");
    const QString path = row.inner.isEmpty() ? row.path : RowPath::shown(row.path, row.inner);
    return QStringLiteral("File: ") + path + QStringLiteral(" (Line: ") + row.line.text() +
           QLatin1Char(')') + paragraph + QStringLiteral("Text Line:\r\n") + row.text + paragraph +
           QStringLiteral("The Matching Text Has Been Copied To The Clipboard.");
}

QString launchQuestion(const QString &path) {
    return LaunchQuestionStart + path + LaunchQuestionEnd;
}

QString readOnlyCopyNote(const MatchRecord &row) {
    return QStringLiteral(" (a read-only copy of ") + RowPath::shown(row.path, row.inner) + u')';
}

QString memberInformation(const MatchRecord &row, const MemberFile &member) {
    QString text = row.inner.join(RowPath::Separator) + QStringLiteral(", ") +
                   QLocale().toString(member.size) + QStringLiteral(" bytes");
    if (member.modified.isValid())
        text += QStringLiteral(", modified ") +
                QLocale().toString(member.modified, QLocale::ShortFormat);
    return text;
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
    if (row.path.trimmed().isEmpty())
        return;
    QString error;
    const std::optional<MemberFile> member =
        row.inner.isEmpty() ? std::nullopt : readMember(row.path, row.inner, error);
    FileInfoShared::FileInfoMember = member ? memberInformation(row, *member) : QString();
    ShowFileInfo(row.path);
    FileInfoShared::FileInfoMember.clear();
}

void MatchActions::launch(const MatchRecord &row) {
    if (row.path.trimmed().isEmpty())
        return;
    const QString path = row.inner.isEmpty() ? row.path : memberCopy(row);
    if (!path.isEmpty())
        LaunchFile(path);
}

void MatchActions::edit(const MatchRecord &row, const QString &searchText,
                        const SearchOptions &options) {
    if (row.path.trimmed().isEmpty())
        return;
    if (row.inner.isEmpty()) {
        OpenInEditor(row.path, &window_, searchText, {row.line, row.text}, options);
    } else if (const QString copy = memberCopy(row); !copy.isEmpty()) {
        OpenInEditor(copy, &window_, searchText, {row.line, row.text}, options,
                     readOnlyCopyNote(row));
    }
}

// A member opens as a read-only copy; one that cannot be read is said so.
QString MatchActions::memberCopy(const MatchRecord &row) {
    QString error;
    QString copy = MemberCopies::instance().copyOf(row.path, row.inner, error);
    if (copy.isEmpty())
        FunctionModule::showMessageBox(
            &window_, ScanTexts::fileError(error, RowPath::shown(row.path, row.inner)),
            MessageBoxStyle::OkOnly | MessageBoxStyle::Exclamation);
    return copy;
}

void MatchActions::openContainingFolder(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        platform::openWithAssociatedApplication(QFileInfo(row.path).absolutePath());
}

void MatchActions::copyPath(const MatchRecord &row) {
    if (!row.path.trimmed().isEmpty())
        QGuiApplication::clipboard()->setText(RowPath::shown(row.path, row.inner));
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
