#pragma once

#include <QIcon>
#include <QString>

/// The program's icon: a magnifier over lines of text. Its name in the
/// desktop's icon theme.
inline const QString ProgramIconName = QStringLiteral("quarrix-pro");

/// The theme's copy of the program icon when one is installed, else the copy
/// built into the program, so the window and its dialogs always carry it.
QIcon programIcon();
