#include "dialogs/uiutilities.h"

#include "dialogs/messagebox.h"
#include "platform/shellopen.h"
#include "scan/functionmodule.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace FunctionModule {

QPointer<QObject> CentreHookHandle;
QPointer<QWidget> CentreOwnerWindow;

namespace {

/// Rounds half away from zero, so negative offsets round as positive ones do.
int nearest(double value) {
    return static_cast<int>(std::lround(value));
}

/// The application-wide stand-in for a window-activation hook.
class CentreHook : public QObject {
  public:
    CentreHook(CentreMode mode, QObject *parent) : QObject(parent), mode_(mode) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::WindowActivate)
            return false;
        auto *window = qobject_cast<QWidget *>(watched);
        if (!window || !window->isWindow() || !activatable(*window))
            return false;
        if (mode_ == CentreMode::Owner)
            CentreOnOwnerHook(window);
        else
            CentreOnScreenHook(window);
        return false;
    }

  private:
    /// Tool tips, menus and splash screens never become the active window.
    static bool activatable(const QWidget &window) {
        const Qt::WindowType type = window.windowType();
        return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet;
    }

    CentreMode mode_;
};

QRect screenArea(const QWidget &window) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

void moveAndUnhook(QWidget *window, const QPoint &topLeft) {
    window->move(topLeft);
    removeCentreHook();
}

} // namespace

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

int AskYesNo(const QString &question, QWidget *owner) {
    return showMessageBox(owner, question.trimmed() + QLatin1Char('?'),
                          MessageBoxStyle::YesNo | MessageBoxStyle::Question);
}

QString helpDocument(const QString &folder) {
    const QDir home(folder);
    for (const QString &name : {HelpFileName, ManualPage}) {
        const QFileInfo file(home.filePath(name));
        if (file.isFile())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

HelpOutcome ShowHelpFile(QWidget *window, const QString &folder) {
    Q_UNUSED(window);
    const QString home = AddTrailingBackslash(folder.isEmpty() ? programFolder() : folder);
    const QString helpFile = helpDocument(home);
    if (helpFile.isEmpty())
        return HelpOutcome::NotFound;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool started = platform::openWithAssociatedApplication(helpFile, home);
    QApplication::restoreOverrideCursor();
    return started ? HelpOutcome::Opened : HelpOutcome::NoViewer;
}

QPoint centreOnScreenPosition(const QSize &window, const QRect &screen) {
    return {screen.left() + nearest(screen.width() / 2.0 - window.width() / 2.0),
            screen.top() + nearest(screen.height() / 2.0 - window.height() / 2.0)};
}

QPoint centreOnOwnerPosition(const QSize &window, const QRect &owner) {
    return {nearest(owner.width() / 2.0 + owner.left() - window.width() / 2.0),
            nearest(owner.height() / 2.0 + owner.top() - window.height() / 2.0)};
}

void CentreOnScreenHook(QWidget *window) {
    moveAndUnhook(window,
                  centreOnScreenPosition(window->frameGeometry().size(), screenArea(*window)));
}

void CentreOnOwnerHook(QWidget *window) {
    QWidget *owner = CentreOwnerWindow.data();
    if (!owner || owner == window) {
        CentreOnScreenHook(window);
        return;
    }
    moveAndUnhook(window,
                  centreOnOwnerPosition(window->frameGeometry().size(), owner->frameGeometry()));
}

void installCentreHook(CentreMode mode, QWidget *owner) {
    removeCentreHook();
    CentreOwnerWindow = owner;
    auto *hook = new CentreHook(mode, qApp);
    qApp->installEventFilter(hook);
    CentreHookHandle = hook;
}

void removeCentreHook() {
    if (QObject *hook = CentreHookHandle.data()) {
        qApp->removeEventFilter(hook);
        // The hook may be inside its own event filter call.
        hook->deleteLater();
    }
    CentreHookHandle.clear();
}

} // namespace FunctionModule
