#pragma once

#include <QRectF>
#include <QString>

class QWidget;

/// Each control of the window carries a layout code in its Tag that says which
/// of its edges follow the window when it grows or shrinks. Geometry is held in
/// twips as real numbers, so half-twip steps add up exactly, and rounded to
/// pixels only when applied to the widget.
namespace TagLayout {

inline constexpr double TwipsPerPixel = 15.0;

/// Module state, in twips; LayoutWidth 0 means no pass has run yet. Only
/// ResizeByTags and the window's load handler change them.
extern int LayoutWidth;
extern int LayoutHeight;
extern int MinWindowWidth;
extern int MinWindowHeight;

void setTag(QWidget *control, const QString &tag);
QString tag(const QWidget *control);

/// Places control at a geometry given in twips, relative to its container.
void setTwipsGeometry(QWidget *control, const QRectF &twips);
/// The control's geometry in twips as the layout keeps it.
QRectF twipsGeometry(const QWidget *control);

/// The window's size in twips. The frame is left out: the window manager adds
/// it only after the first pass, and a frame that came later would otherwise
/// read as a resize. Changes of size are the same with or without it.
QSizeF windowTwips(const QWidget *window);

/// Shifts every control below window by the change of the window's size
/// since the last pass, as its Tag says. The first pass records the size only.
void ResizeByTags(QWidget *window);

} // namespace TagLayout
