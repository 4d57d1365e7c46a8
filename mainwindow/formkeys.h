#pragma once

#include <QObject>

class QWidget;
struct FormControls;

/// The window's keys: one fixed key for each command of the window, the
/// same before, during and after a run (Alt+S scans, Alt+C and Escape
/// cancel, Ctrl+S saves the results, F1 opens help, Ctrl+Q exits), and a
/// key with Alt never typed into a text box, so a key that has no command
/// at the moment changes no search text.
class FormKeys : public QObject {
    Q_OBJECT
  public:
    FormKeys(QWidget &form, const FormControls &controls);

    /// Enter where no control takes it: the Scan button is the default button.
    void pressDefaultButton();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    const FormControls &c_;
};
