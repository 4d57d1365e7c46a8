#pragma once

#include <QObject>
#include <QStringList>

class QPushButton;
class QWidget;

/// The words of the files and folders a run could not read.
namespace ReadFailureTexts {
/// "1 File Or Folder Could Not Be Read", "3 Files Or Folders Could Not Be Read".
QString summary(qsizetype count);
inline const QString ListTitle = QStringLiteral(" - Files And Folders Not Read");
} // namespace ReadFailureTexts

/// The files and folders a run could not read (a folder without permission,
/// a file that failed): kept as the run reports them, counted on the status
/// line at its end, listed in a small window from a button beside the
/// status, and named after the rows of the saved report. A run that read
/// everything shows and writes nothing of it.
class ReadFailures : public QObject {
    Q_OBJECT
  public:
    /// The button goes into the window's status bar; it shows only after a
    /// run that could not read something.
    explicit ReadFailures(QWidget &window);

    void clear();
    void add(const QString &errorText) { texts_ << errorText; }
    /// The run has ended: the button shows the count, or hides.
    void runEnded();
    qsizetype count() const { return texts_.size(); }
    QStringList texts() const { return texts_; }
    /// The report's lines after its rows: none when everything was read.
    QStringList reportLines() const;
    QPushButton *button() const { return button_; }
    /// The list of what was not read, modal over the window.
    void showList();

  private:
    QWidget &window_;
    QStringList texts_;
    QPushButton *button_;
};
