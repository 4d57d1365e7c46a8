#pragma once

#include <QStringList>

class QWidget;
class StatusSink;
struct FormControls;

/// The bottom strip's commands: the results report, help and the About window.
namespace FormCommands {
/// Saves the results list as a report named after the scan the controls show.
/// closingLines follow the rows.
void saveResults(QWidget &window, const FormControls &controls, StatusSink &status,
                 const QStringList &closingLines);
void showHelp(QWidget &window, StatusSink &status);
void showAbout(QWidget &window);
} // namespace FormCommands
