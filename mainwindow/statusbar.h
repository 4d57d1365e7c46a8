#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QTimer;

/// The window's status bar: the status text in the first panel (a long path
/// loses its middle, never its file name), a progress bar beside it during a
/// run, and a time and a date panel that keep themselves current.
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget *parent = nullptr);

    void setPanelText(const QString &text);
    QString panelText() const;
    /// The status text as it fits the panel now.
    QString shownText() const;
    /// Shows files done of total during a run (a busy bar while the total is
    /// not known, total < 0); hidden outside runs.
    void showProgress(bool running, qint64 done, qint64 total);
    QProgressBar *progressBar() const { return progress_; }
    /// Paints the status text now, for a caller that keeps the event loop busy.
    void paintNow();
    QString timeText() const;
    QString dateText() const;

  private:
    void showClock();

    QLabel *status_;
    QProgressBar *progress_;
    QLabel *time_;
    QLabel *date_;
    QTimer *clock_;
};
