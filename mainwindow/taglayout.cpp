#include "mainwindow/taglayout.h"

#include <QVariant>
#include <QWidget>
#include <cmath>

namespace TagLayout {

int LayoutWidth = 0;
int LayoutHeight = 0;
int MinWindowWidth = 0;
int MinWindowHeight = 0;

namespace {

const char *const TagProperty = "Tag";
const char *const TwipsProperty = "twipsGeometry";

QRect toPixels(const QRectF &twips) {
    return {qRound(twips.x() / TwipsPerPixel), qRound(twips.y() / TwipsPerPixel),
            qRound(twips.width() / TwipsPerPixel), qRound(twips.height() / TwipsPerPixel)};
}

/// Applies one code; false when the tag is none of the eight.
bool shift(QRectF &g, const QString &tag, double dW, double dH) {
    if (tag == u"R") {
        g.setWidth(g.width() + dW);
        g.setHeight(g.height() + dH);
    } else if (tag == u"M") {
        g.moveLeft(g.left() + dW);
        g.moveTop(g.top() + dH);
    } else if (tag == u"W") {
        g.setWidth(g.width() + dW);
    } else if (tag == u"L") {
        g.moveLeft(g.left() + dW);
    } else if (tag == u"WT") {
        g.setWidth(g.width() + dW);
        g.moveTop(g.top() + dH);
    } else if (tag == u"T") {
        g.moveTop(g.top() + dH);
    } else if (tag == u"W2") {
        g.setWidth(g.width() + dW / 2);
    } else if (tag == u"WL2") {
        g.setWidth(g.width() + dW / 2);
        g.moveLeft(g.left() + dW / 2);
    } else {
        return false;
    }
    return true;
}

} // namespace

void setTag(QWidget *control, const QString &tag) {
    control->setProperty(TagProperty, tag);
}

QString tag(const QWidget *control) {
    return control->property(TagProperty).toString();
}

void setTwipsGeometry(QWidget *control, const QRectF &twips) {
    control->setProperty(TwipsProperty, twips);
    control->setGeometry(toPixels(twips));
}

QRectF twipsGeometry(const QWidget *control) {
    const QVariant kept = control->property(TwipsProperty);
    if (kept.isValid())
        return kept.toRectF();
    const QRect g = control->geometry();
    return {g.x() * TwipsPerPixel, g.y() * TwipsPerPixel, g.width() * TwipsPerPixel,
            g.height() * TwipsPerPixel};
}

QSizeF windowTwips(const QWidget *window) {
    return {window->width() * TwipsPerPixel, window->height() * TwipsPerPixel};
}

void ResizeByTags(QWidget *window) {
    const QSizeF outer = windowTwips(window);
    const int width = static_cast<int>(std::lround(outer.width()));
    const int height = static_cast<int>(std::lround(outer.height()));
    if (LayoutWidth == 0) {
        MinWindowWidth = LayoutWidth = width;
        MinWindowHeight = LayoutHeight = height;
        return;
    }
    const double dW = outer.width() - LayoutWidth;
    const double dH = outer.height() - LayoutHeight;
    const auto controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        QRectF g = twipsGeometry(control);
        if (shift(g, tag(control), dW, dH))
            setTwipsGeometry(control, g);
    }
    LayoutWidth = width;
    LayoutHeight = height;
}

} // namespace TagLayout
