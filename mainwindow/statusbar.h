#pragma once

#include <QStatusBar>

class QLabel;
class QTimer;

/// The window's status bar: the status text in the first panel, and a time
/// and a date panel that keep themselves current.
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget *parent = nullptr);

    void setPanelText(const QString &text);
    QString panelText() const;
    /// Paints the status text now, for a caller that keeps the event loop busy.
    void paintNow();
    QString timeText() const;
    QString dateText() const;

  private:
    void showClock();

    QLabel *status_;
    QLabel *time_;
    QLabel *date_;
    QTimer *clock_;
};
