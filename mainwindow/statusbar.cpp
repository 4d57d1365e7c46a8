#include "mainwindow/statusbar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent), status_(new QLabel(this)), time_(new QLabel(this)),
      date_(new QLabel(this)), clock_(new QTimer(this)) {
    setSizeGripEnabled(false);
    status_->setObjectName(QStringLiteral("StatusPanel"));
    time_->setObjectName(QStringLiteral("TimePanel"));
    date_->setObjectName(QStringLiteral("DatePanel"));
    status_->setMinimumWidth(1);
    addWidget(status_, 1);
    addPermanentWidget(time_);
    addPermanentWidget(date_);
    showClock();
    connect(clock_, &QTimer::timeout, this, &StatusBar::showClock);
    clock_->start(1000);
}

void StatusBar::setPanelText(const QString &text) {
    status_->setText(text);
}

QString StatusBar::panelText() const {
    return status_->text();
}

void StatusBar::paintNow() {
    status_->repaint();
}

QString StatusBar::timeText() const {
    return time_->text();
}

QString StatusBar::dateText() const {
    return date_->text();
}

void StatusBar::showClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    const QString time = locale.toString(now.time(), QLocale::ShortFormat);
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    if (time_->text() != time)
        time_->setText(time);
    if (date_->text() != date)
        date_->setText(date);
}
