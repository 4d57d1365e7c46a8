#pragma once

#include "support/tempdir.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

/// Runs action on the next modal window of type T, from a timer, while the
/// test's own call waits in that window's event loop. Gives up after a while,
/// so a window that never opens fails the test rather than hanging it. A
/// watcher no longer wanted is stopped by deleting the timer returned.
template <typename T>
QPointer<QTimer> onNextModal(std::function<void(T *)> action, QWidget *skip = nullptr) {
    auto *timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action, skip] {
        T *window = qobject_cast<T *>(QApplication::activeModalWidget());
        const bool found = window && window != skip && window->isVisible();
        if (found || ++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
            if (found)
                action(window);
        }
    });
    timer->start();
    return timer;
}

/// Types a name into a file dialog's name box as a user would. selectFile()
/// alone leaves the box as it is while the box has the focus, which it may or
/// may not have yet when a test acts; the dialog would then not take the name.
inline void chooseFileName(QFileDialog *dialog, const QString &name) {
    dialog->selectFile(name);
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(name);
}

/// Presses a dialog's accepting button, whatever the dialog's own access rules.
inline void acceptDialog(QDialog *dialog) {
    dialog->accept();
}

/// Stands in for the desktop's opener: an "xdg-open" first on the PATH that
/// notes its working folder and argument. The PATH is restored afterwards.
class FakeOpener {
  public:
    FakeOpener();
    ~FakeOpener();
    /// "working folder|argument" for every launch so far.
    QStringList launches() const;
    /// Waits for count launches; true when they came.
    bool waitForLaunches(int count) const;

  private:
    TempDir dir_;
    QByteArray oldPath_;
};
