#pragma once

#include <QColor>
#include <QPalette>
#include <QProxyStyle>

class QWidget;

/// Colours of text that stay readable on the palette in use, light or dark.
namespace ReadableColours {

/// The least contrast at which text reads easily (WCAG level AA).
constexpr double MinimumContrast = 4.5;

/// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrast(const QColor &a, const QColor &b);

/// wanted when it reads on background; else wanted moved towards fallback
/// just far enough to read, and black or white when even fallback does not.
QColor readableOn(const QColor &background, const QColor &wanted, const QColor &fallback);

/// Gives the widget's text role the colour wanted, made readable on its
/// background role with the palette's text colour for that background as
/// the fallback.
void setTextColour(QWidget *widget, QPalette::ColorRole textRole,
                   QPalette::ColorRole backgroundRole, const QColor &wanted);

} // namespace ReadableColours

/// The application's style with its one-colour pictures (the close cross)
/// drawn in the palette's button text colour when they are painted, so they
/// show on dark themes as on light ones.
class ReadableStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    /// Wraps the application's current style, once.
    static void install();

    QIcon standardIcon(StandardPixmap picture, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
