#pragma once

#include <QString>

/// The run's own words: its status texts, marker rows and input messages.
namespace ScanTexts {
inline const QString ScanningFile = QStringLiteral("Scanning File: ");
inline const QString NoMatchesFound = QStringLiteral("** No Matches Found **");
inline const QString EndOfMatches = QStringLiteral("** End Of Matches **");
inline const QString SelectFilesFirst = QStringLiteral("Please Select Some Files To Scan First!");
inline const QString SpecifyExtension = QStringLiteral(
    "You Must Specify An Extension To Search For When Using The Specified Type Option!");
inline const QString BuildingFileList = QStringLiteral("Building File List. Please Wait...");
inline const QString FileListBuilt = QStringLiteral("File List Built.");
inline const QString DirectoryScanningCanceled = QStringLiteral("Directory Scanning Canceled");
inline const QString ScanningComplete = QStringLiteral("Scanning Complete");
inline const QString ScanningCancelled = QStringLiteral("Scanning Cancelled");
/// Ends the text of a matching line that was too long to keep whole.
inline const QString LineCut = QStringLiteral(" [... line cut: only its first 1 MiB is kept]");

/// The one row of a binary file that matches, in place of its bytes.
inline const QString BinaryFileMatches = QStringLiteral("Binary file matches");

/// "Checking <folder>...", the status line of a folder the walk is about to read.
inline QString linesGivenUp(qint64 lines) {
    return QStringLiteral(" (%1 lines given up: the expression took too long on them)").arg(lines);
}
inline QString checkingFolder(const QString &path) {
    return QStringLiteral("Checking ") + path + QStringLiteral("...");
}
/// "Error: <description> (<path>)", the status line of a file that failed.
inline QString fileError(const QString &description, const QString &path) {
    return QStringLiteral("Error: ") + description + QStringLiteral(" (") + path + u')';
}
} // namespace ScanTexts
