#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

class QObject;
class QWidget;

/// The windows' shared helpers: the yes/no question, the help command and the
/// one-shot hooks that centre the next window to become active.
namespace FunctionModule {

/// The help file, opened from the program's folder.
inline const QString HelpFileName = QStringLiteral("Quarx.chm");
/// The user manual's first page, relative to the program's folder: the install
/// puts it under share/ beside bin/, and the build tree mirrors that layout.
inline const QString ManualPage = QStringLiteral("../share/quarrix-pro/manual/index.html");

/// The folder the program runs from.
QString programFolder();

/// Asks the question, trimmed and followed by "?", with Yes and No (Yes the
/// default); returns 6 for Yes, 7 for No.
int AskYesNo(const QString &question, QWidget *owner = nullptr);

/// The help to open from folder: "Quarx.chm" there when present, else the
/// user manual; empty when there is neither.
QString helpDocument(const QString &folder);

enum class HelpOutcome { Opened, NotFound, NoViewer };
/// The status texts of help that could not be shown.
inline const QString HelpNotFound = QStringLiteral("Help Not Found: The Manual Is Not Installed");
inline const QString HelpNotOpened = QStringLiteral("Help Not Opened: No Desktop Opener Found");
/// Opens the help with its associated viewer (the manual in the desktop's
/// browser) and says whether there was help to open and a viewer to start.
/// folder defaults to the program's.
HelpOutcome ShowHelpFile(QWidget *window, const QString &folder = {});

/// Where a window of the given outer size lands when centred on the screen's
/// area or on the owner's outer rectangle, rounded to whole pixels.
QPoint centreOnScreenPosition(const QSize &window, const QRect &screen);
QPoint centreOnOwnerPosition(const QSize &window, const QRect &owner);

/// The installed centring hook, if any; it removes itself after one use.
extern QPointer<QObject> CentreHookHandle;
/// The window that the owner hook centres on.
extern QPointer<QWidget> CentreOwnerWindow;

/// The hooks' work on the window being activated: move it to the centre of
/// its screen, or of CentreOwnerWindow (the screen when there is none), keeping
/// its size and stacking; then remove the installed hook.
void CentreOnScreenHook(QWidget *window);
void CentreOnOwnerHook(QWidget *window);

enum class CentreMode { Screen, Owner };
/// Installs a hook, application-wide, that centres the next top-level window
/// shown or activated in the program, once. A hook already installed is
/// replaced.
void installCentreHook(CentreMode mode, QWidget *owner = nullptr);
/// Removes the installed hook, if it has not acted yet.
void removeCentreHook();

} // namespace FunctionModule
