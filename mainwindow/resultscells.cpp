#include "mainwindow/resultscells.h"

#include "platform/bidicontrols.h"

#include <QApplication>
#include <QPainter>

namespace {

/// Enough for the files in view many times over; a run of many files past it
/// starts the store afresh.
constexpr qsizetype MostPathsKept = 4096;

const QStyle *styleOf(const QStyleOptionViewItem &cell) {
    return cell.widget ? cell.widget->style() : QApplication::style();
}

/// The room for a cell's text: the cell less the style's margin on each side.
QRect textArea(const QStyleOptionViewItem &cell) {
    const int margin =
        styleOf(cell)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    return cell.rect.adjusted(margin, 0, -margin, 0);
}

/// A path elided so that its file name stays whole: the folders give way in
/// their middle first, then, when the name alone is too wide, the name does.
QString elidePath(const QFontMetrics &metrics, const QString &path, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    const QString name = path.mid(slash);
    const QString folders = metrics.elidedText(path.left(slash), Qt::ElideMiddle,
                                               width - metrics.horizontalAdvance(name));
    if (folders.isEmpty())
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    return folders + name;
}

QColor textColor(const QStyleOptionViewItem &cell) {
    QPalette::ColorGroup group = QPalette::Disabled;
    if (cell.state & QStyle::State_Enabled)
        group = cell.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    return cell.palette.color(group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text);
}

} // namespace

ResultsCellDelegate::ResultsCellDelegate(int pathColumn, QObject *parent)
    : QStyledItemDelegate(parent), pathColumn_(pathColumn) {}

void ResultsCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == pathColumn_)
        option->textElideMode = Qt::ElideMiddle;
}

void ResultsCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QRect area = textArea(cell);
    const QString text = elided(cell, area.width());
    cell.text.clear();
    styleOf(cell)->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    if (text.isEmpty())
        return;
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(textColor(cell));
    painter->drawText(area,
                      int(QStyle::visualAlignment(cell.direction, cell.displayAlignment)) |
                          Qt::TextSingleLine,
                      text);
    painter->restore();
}

QString ResultsCellDelegate::shownText(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    return elided(cell, textArea(cell).width());
}

QString ResultsCellDelegate::elided(const QStyleOptionViewItem &cell, int width) const {
    const QFontMetrics metrics(cell.font);
    if (cell.index.column() != pathColumn_)
        return metrics.elidedText(cell.text, cell.textElideMode, width);
    if (width != pathsWidth_ || cell.font != pathsFont_ || paths_.size() > MostPathsKept) {
        paths_.clear();
        pathsWidth_ = width;
        pathsFont_ = cell.font;
    }
    auto found = paths_.constFind(cell.text);
    // A direction control would show the name reordered: it is shown as a
    // marker here, while a copy or report of the row keeps it.
    if (found == paths_.cend())
        found = paths_.insert(cell.text,
                              elidePath(metrics, platform::markBidiControls(cell.text), width));
    return *found;
}
