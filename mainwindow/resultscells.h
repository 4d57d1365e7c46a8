#pragma once

#include <QHash>
#include <QStyledItemDelegate>

/// Paints the cells of the results list. The style draws each cell's
/// background, selection and focus; the text is laid out once, where the
/// stock delegate laid it out up to three times (to size it, to elide it, to
/// draw it), which made a long list's repaint during a run costly. Paths are
/// elided in the middle so that the file name stays in sight, and their
/// elided form is kept: the rows of one file share it.
class ResultsCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    ResultsCellDelegate(int pathColumn, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    /// The text a cell shows in a list of option's geometry and font.
    QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const;

  protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

  private:
    QString elided(const QStyleOptionViewItem &cell, int width) const;

    int pathColumn_;
    /// Elided paths for one width and font; dropped when either changes.
    mutable QHash<QString, QString> paths_;
    mutable int pathsWidth_ = -1;
    mutable QFont pathsFont_;
};
