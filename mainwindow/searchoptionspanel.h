#pragma once

#include "scan/searchoptions.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;

/// The search options of the window: a toggle in the search frame's title row
/// opens a compact panel over the top of the results, so no control of the
/// form moves. The regular-expression error shows in the same title row, next
/// to the search box.
class SearchOptionsPanel : public QWidget {
  public:
    /// frame: the search frame, whose title row takes the toggle and the error.
    SearchOptionsPanel(QWidget &form, QWidget &frame);

    SearchOptions options() const;
    void setOptions(const SearchOptions &options);
    /// Shows why the search text cannot be used; empty hides it.
    void showError(const QString &text);
    /// Places the toggle and the error in the frame's title row and the panel
    /// below the frame, after the form is laid out.
    void place();

    QToolButton *toggle = nullptr;
    QLabel *error = nullptr;
    QCheckBox *matchCase = nullptr;
    QCheckBox *wholeWord = nullptr;
    QCheckBox *regex = nullptr;
    QLineEdit *excludes = nullptr;
    QSpinBox *changedWithin = nullptr;
    QCheckBox *changedAfterSet = nullptr;
    QDateEdit *changedAfter = nullptr;
    QSpinBox *largerThan = nullptr;
    QSpinBox *smallerThan = nullptr;
    QSpinBox *contextLines = nullptr;

  private:
    void showState();

    QWidget &frame_;
};
