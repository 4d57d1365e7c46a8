#pragma once

#include <QString>

class QWidget;

/// Opens path in the text file editor, modally, colouring the main window's
/// current search text. owner is the main window or one of its controls.
void OpenInEditor(const QString &path, QWidget *owner);
