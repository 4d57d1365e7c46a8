#pragma once

#include "scan/scaninterfaces.h"

#include <QString>

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
