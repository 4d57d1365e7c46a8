#include "mainwindow/resultsview.h"

#include "mainwindow/endfollower.h"
#include "mainwindow/resultscells.h"
#include "mainwindow/resultssort.h"
#include "mainwindow/taglayout.h"
#include "scan/resultsmodel.h"
#include "scan/resultsreport.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

namespace {

/// The share of the width beyond the design size that the path column takes.
constexpr double PathShareOfExtra = 0.4;
/// The results list's width at the design size, in twips.
constexpr double DesignListWidth = 7215;

int pixels(double twips) {
    return qRound(twips / TagLayout::TwipsPerPixel);
}

} // namespace

bool isMenuKey(const QKeyEvent *event) {
    return event->key() == Qt::Key_Menu ||
           (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
}

ResultsView::ResultsView(QWidget *parent) : QTableView(parent) {
    userWidths_ = QList<int>(ResultsModel::ColumnCount, 0);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab leaves the list; the arrows move within it
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new ResultsCellDelegate(ResultsModel::PathColumn, this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &ResultsView::noteDrag);
}

void ResultsView::setResults(const ResultsModel *results) {
    results_ = results;
    order_ = new ResultsSort(*results, this);
    setModel(order_);
    follower_ = new EndFollower(*this);
    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, order_, &ResultsSort::clickHeader);
    connect(order_, &ResultsSort::orderChanged, this, [header](int column, Qt::SortOrder order) {
        header->setSortIndicatorShown(column >= 0);
        header->setSortIndicator(column, order);
    });
}

int ResultsView::sourceRow(int viewRow) const {
    return order_ ? order_->sourceRow(viewRow) : viewRow;
}

void ResultsView::noteDrag(int column, int, int newWidth) {
    if (applyingRule_ || column < 0 || column >= userWidths_.size())
        return;
    userWidths_[column] = newWidth;
}

void ResultsView::setUserWidths(const QList<int> &widths) {
    for (int column = 0; column < userWidths_.size(); ++column)
        userWidths_[column] = std::max(0, widths.value(column));
}

void ResultsView::applyColumnRule(double listWidthTwips) {
    // At the design size the columns are 2000, 1000 and the rest less 3050
    // twips; a wider list gives part of its extra width to the paths, so
    // that they stay readable in a large window.
    const double extra = std::max(0.0, listWidthTwips - DesignListWidth);
    const double path = ResultsColumns::PathWidth + extra * PathShareOfExtra;
    // The Match column ends at the vertical scroll bar, so that no
    // horizontal one takes a row's height while no column was dragged.
    const double scrollBar =
        (style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 2 * frameWidth()) *
        TagLayout::TwipsPerPixel;
    const double rest =
        listWidthTwips - ResultsColumns::MatchWidthAllowance - extra * PathShareOfExtra - scrollBar;
    const double rule[] = {path, double(ResultsColumns::LineWidth),
                           std::max<double>(rest, ResultsColumns::LineWidth)};
    applyingRule_ = true;
    for (int column = 0; column < ResultsModel::ColumnCount; ++column) {
        const int width = userWidths_[column] > 0 ? userWidths_[column] : pixels(rule[column]);
        horizontalHeader()->resizeSection(column, width);
    }
    applyingRule_ = false;
}

QString ResultsView::selectedReportLines() const {
    if (!results_ || !selectionModel())
        return {};
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex &index : rows)
        lines << ResultsReport::rowLine(results_->row(sourceRow(index.row())));
    return lines.join(u'\n');
}

QString ResultsView::shownText(const QModelIndex &cell) const {
    // A cell of the results model is found where the order shows it.
    const QModelIndex index =
        order_ && cell.model() == order_->sourceModel() ? order_->mapFromSource(cell) : cell;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return static_cast<const ResultsCellDelegate *>(itemDelegate())->shownText(option, index);
}

QPoint ResultsView::keyboardMenuPosition() const {
    const QRect row = visualRect(currentIndex());
    const QPoint local = row.isValid() && viewport()->rect().intersects(row)
                             ? QPoint(viewport()->width() / 4, row.center().y())
                             : QPoint(0, 0);
    return viewport()->mapToGlobal(local);
}

void ResultsView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter acts on the focused row; it must not reach the window, where
        // it would start a new scan and clear the list.
        if (currentIndex().isValid())
            Q_EMIT rowShowRequested(sourceRow(currentIndex().row()));
        event->accept();
        return;
    }
    if (isMenuKey(event)) {
        Q_EMIT popupRequested(keyboardMenuPosition());
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        const QString lines = selectedReportLines();
        if (!lines.isEmpty())
            QGuiApplication::clipboard()->setText(lines);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    if (event->key() == Qt::Key_End && follower_)
        follower_->resume();
}

void ResultsView::contextMenuEvent(QContextMenuEvent *event) {
    // The mouse opens the menu on its button press; a context-menu event from
    // the keyboard (the platform's Menu key) opens it at the focused row.
    if (event->reason() == QContextMenuEvent::Keyboard)
        Q_EMIT popupRequested(keyboardMenuPosition());
    event->accept();
}
