#include "mainwindow/resultsroom.h"

#include "controls/foldertree/foldertreeview.h"
#include "mainwindow/filelistbox.h"
#include "mainwindow/formcontrols.h"
#include "mainwindow/previewpane.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/taglayout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>

namespace ResultsRoom {

namespace {

/// The gap kept under the options frame inside its mode frame, in pixels.
constexpr int Margin = 4;

/// The control's place as the tag layout keeps it, in pixels; a height the
/// layout took below zero stays negative here, where the widget keeps none.
QRect laidOut(const QWidget *control) {
    const QRectF twips = TagLayout::twipsGeometry(control);
    const auto px = [](double t) { return qRound(t / TagLayout::TwipsPerPixel); };
    return {px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())};
}

/// Places control as the layout does, its top and height changed by the given amounts.
void reshape(QWidget *control, int topBy, int heightBy) {
    QRect g = laidOut(control);
    g.translate(0, topBy);
    g.setHeight(std::max(0, g.height() + heightBy));
    control->setGeometry(g);
}

} // namespace

int listHeightFor(const FormControls &c, int rows) {
    const ResultsView *list = c.MatchLV;
    // The Match column is wider than the list on a small screen, so its
    // horizontal scroll bar takes a row's height of its own.
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    return list->horizontalHeader()->sizeHint().height() +
           rows * list->verticalHeader()->defaultSectionSize() + 2 * list->frameWidth() + scrollBar;
}

void keepRowsInSight(const FormControls &c) {
    const int shortfall = listHeightFor(c, LeastRows) - laidOut(c.MatchLV).height();
    // The mode frames keep the type options whole: their frame, closed up
    // under its last option, rises to the trees' top.
    const int optionsTop = laidOut(c.FTV2).y();
    const QRect options = laidOut(c.Frame3);
    const int optionsHeight =
        std::min(options.height(), laidOut(c.BinaryAsText).bottom() + 1 + Margin);
    const int modeFrame = laidOut(c.DSFrame).height();
    const int give = std::min(shortfall, modeFrame - (optionsTop + optionsHeight + Margin));
    if (give <= 0)
        return;
    for (QWidget *control : std::initializer_list<QWidget *>{c.ModeTabs, c.FileFrame, c.DSFrame,
                                                             c.FTV1, c.FTV2, c.File1})
        reshape(control, 0, -give);
    const int optionsRoom = modeFrame - give - Margin - options.height();
    if (options.y() > optionsRoom) {
        const int top = std::max(optionsTop, optionsRoom);
        reshape(c.Frame3, top - options.y(),
                std::min(0, modeFrame - give - Margin - top - options.height()));
    }
    reshape(c.Frame1, -give, 0);
    reshape(c.ScanFrame, -give, give);
    reshape(c.MatchLV, 0, give);
}

void placePreview(const FormControls &c) {
    const QSize box = c.ShowPreview->sizeHint();
    c.ShowPreview->setGeometry(c.ScanFrame->width() - box.width() - 2 * Margin, 0, box.width(),
                               box.height());
    QRect list = c.MatchLV->geometry();
    const int lineHeight = c.Preview->fontMetrics().lineSpacing();
    // The pane shows at least the match and a few lines around it.
    const int least = (PreviewText::Around + 1) * lineHeight + 2 * c.Preview->frameWidth();
    const int pane = std::max(
        least, std::min(list.height() * 2 / 5, (2 * PreviewText::Around + 2) * lineHeight));
    const bool shown =
        c.ShowPreview->isChecked() && list.height() - pane - Margin >= listHeightFor(c, LeastRows);
    c.Preview->setVisible(shown);
    if (!shown)
        return;
    list.setHeight(list.height() - pane - Margin);
    c.MatchLV->setGeometry(list);
    c.Preview->setGeometry(list.x(), list.bottom() + 1 + Margin, list.width(), pane);
}

} // namespace ResultsRoom
