#pragma once

#include "scan/scaninterfaces.h"
#include "scan/searchoptions.h"

#include <QString>

class QWidget;

/// The words of the actions on a match or a selected file.
namespace MatchActionTexts {
inline const QString FullLineTitleSuffix = QStringLiteral(" - Full Line Display");
inline const QString LaunchQuestionStart = QStringLiteral("Launch ");
inline const QString LaunchQuestionEnd = QStringLiteral(" With Its Associated Application?");
inline const QString SelectFileFirst = QStringLiteral("Please Select A File To Launch First!");
inline const QString StartingApplication =
    QStringLiteral("Attempting To Start Associated Application...");
inline const QString RetrievingProperties = QStringLiteral("Retrieving File Properties...");

/// The full-line display's text: the file, the line number, the whole
/// matching text and the note that it went to the clipboard.
QString fullLineText(const MatchRecord &row);
/// "Launch " + path + " With Its Associated Application?"
QString launchQuestion(const QString &path);
} // namespace MatchActionTexts

/// The actions on a results row or a file of the file list, taken by value:
/// the full-line display, the popup menu's commands, launching a file and its
/// properties window. Each is modal over the window and says what it does on
/// the window's status line.
class MatchActions {
  public:
    MatchActions(QWidget &window, StatusSink &status) : window_(window), status_(status) {}

    /// Shows the whole matching line, then leaves its text on the clipboard;
    /// nothing for the marker row (no path).
    void showFullLine(const MatchRecord &row);
    /// The popup commands: nothing when the row's path is blank.
    void fileInformation(const MatchRecord &row);
    void launch(const MatchRecord &row);
    /// A results row opens at its own line, a file without one at the top.
    void edit(const MatchRecord &row, const QString &searchText, const SearchOptions &options = {});
    /// Opens the folder that holds the row's file, as the desktop opens folders.
    void openContainingFolder(const MatchRecord &row);
    /// Puts the row's full path on the clipboard.
    void copyPath(const MatchRecord &row);

    /// Asks, then starts the file with its associated application.
    void LaunchFile(const QString &path);
    /// Shows the file information window for path and waits until it closes.
    void ShowFileInfo(const QString &path);

  private:
    QString memberCopy(const MatchRecord &row);

    QWidget &window_;
    StatusSink &status_;
};
