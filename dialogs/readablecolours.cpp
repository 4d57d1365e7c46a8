#include "dialogs/readablecolours.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QWidget>
#include <cmath>

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

QColor mix(const QColor &from, const QColor &to, double share) {
    const auto channel = [share](double a, double b) { return a + (b - a) * share; };
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(channel(a.redF(), b.redF())),
                            float(channel(a.greenF(), b.greenF())),
                            float(channel(a.blueF(), b.blueF())));
}

/// A one-colour picture painted in the application palette's button text
/// colour of the moment, so that it follows a change of theme.
class ButtonTextIconEngine : public QIconEngine {
  public:
    explicit ButtonTextIconEngine(QIcon shape) : shape_(std::move(shape)) {}

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap picture = shape_.pixmap(size, mode, state);
        const QPalette::ColorGroup group =
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        QPainter paint(&picture);
        paint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        paint.fillRect(picture.rect(),
                       QGuiApplication::palette().color(group, QPalette::ButtonText));
        return picture;
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return shape_.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return shape_.availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new ButtonTextIconEngine(shape_); }

  private:
    QIcon shape_;
};

} // namespace

namespace ReadableColours {

double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &background, const QColor &wanted, const QColor &fallback) {
    constexpr int Steps = 10;
    for (int step = 0; step <= Steps; ++step) {
        const QColor candidate = mix(wanted, fallback, double(step) / Steps);
        if (contrast(candidate, background) >= MinimumContrast)
            return candidate;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(black, background) >= contrast(white, background) ? black : white;
}

void setTextColour(QWidget *widget, QPalette::ColorRole textRole,
                   QPalette::ColorRole backgroundRole, const QColor &wanted) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, textRole,
                         readableOn(palette.color(group, backgroundRole), wanted,
                                    palette.color(group, textRole)));
    widget->setPalette(palette);
}

} // namespace ReadableColours

void ReadableStyle::install() {
    if (!dynamic_cast<ReadableStyle *>(QApplication::style()))
        QApplication::setStyle(new ReadableStyle(QApplication::style()));
}

QIcon ReadableStyle::standardIcon(StandardPixmap picture, const QStyleOption *option,
                                  const QWidget *widget) const {
    QIcon icon = QProxyStyle::standardIcon(picture, option, widget);
    if (picture != SP_DialogCloseButton)
        return icon;
    return QIcon(new ButtonTextIconEngine(std::move(icon)));
}
