#include "mainwindow/statusbar.h"

#include "mainwindow/formtexts.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>

namespace {

/// A label that leaves out the middle of a text too long for it.
class ElidedLabel : public QLabel {
  public:
    using QLabel::QLabel;
    QString shownText() const {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
    }
    QSize minimumSizeHint() const override { return {1, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return minimumSizeHint(); }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                              shownText(), foregroundRole());
    }
};

/// The progress bar's range is an int: large counts are scaled down.
constexpr qint64 ProgressSteps = 1 << 20;

} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent), status_(new ElidedLabel(this)), progress_(new QProgressBar(this)),
      time_(new QLabel(this)), date_(new QLabel(this)), clock_(new QTimer(this)) {
    setSizeGripEnabled(false);
    status_->setObjectName(QStringLiteral("StatusPanel"));
    time_->setObjectName(QStringLiteral("TimePanel"));
    date_->setObjectName(QStringLiteral("DatePanel"));
    progress_->setObjectName(QStringLiteral("RunProgress"));
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(fontMetrics().averageCharWidth() * 32);
    progress_->setMaximumHeight(fontMetrics().height());
    progress_->hide();
    addWidget(status_, 1);
    addWidget(progress_);
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

QString StatusBar::shownText() const {
    return static_cast<const ElidedLabel *>(status_)->shownText();
}

void StatusBar::showProgress(bool running, qint64 done, qint64 total) {
    if (!running) {
        progress_->hide();
        return;
    }
    const qint64 scale = total > ProgressSteps ? total / ProgressSteps + 1 : 1;
    progress_->setRange(0, total < 0 ? 0 : int(total / scale));
    if (total >= 0)
        progress_->setValue(int(std::min(done, total) / scale));
    // The bar says the counts itself, the files read of the files found;
    // while the list is being built there is no total to say.
    const QString counts =
        total < 0 ? QString() : FormTexts::filesReadText(std::min(done, total), total);
    progress_->setFormat(counts);
    progress_->setTextVisible(total >= 0);
    progress_->setToolTip(counts);
    progress_->show();
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
