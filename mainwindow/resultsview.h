#pragma once

#include <QTableView>

class EndFollower;
class ResultsModel;
class ResultsSort;

/// The results list: a table dressed as a report list. Long paths are elided
/// in the middle so the file name shows; the keyboard reaches what the mouse
/// does (Enter shows the full line, the Menu key and Shift+F10 open the row
/// menu, Ctrl+C copies the selected rows as report lines). Column widths
/// follow the window until the user drags one; a dragged width is kept. New
/// rows are followed while the user stays at the end.
class ResultsView : public QTableView {
    Q_OBJECT
  public:
    explicit ResultsView(QWidget *parent = nullptr);

    void setResults(const ResultsModel *results);
    /// The order the rows show in: walk order until a header is clicked.
    ResultsSort *order() const { return order_; }
    /// The results model's row shown at view row, or -1.
    int sourceRow(int viewRow) const;
    /// Sets the columns the user has not dragged for a list width in twips.
    void applyColumnRule(double listWidthTwips);
    /// The user's width of each column in pixels, 0 where none was dragged.
    QList<int> userWidths() const { return userWidths_; }
    void setUserWidths(const QList<int> &widths);
    /// The report lines of the selected rows, in list order, one a line.
    QString selectedReportLines() const;
    /// The text the cell shows at its width, elided as painted; cell is the
    /// view's or the results model's.
    QString shownText(const QModelIndex &cell) const;
    /// Where a menu opened from the keyboard appears: at the focused row.
    QPoint keyboardMenuPosition() const;
    /// What keeps the newest row in sight during a run.
    const EndFollower *follower() const { return follower_; }

  Q_SIGNALS:
    /// Enter on the focused row, as the results model's row.
    void rowShowRequested(int row);
    /// The Menu key or Shift+F10.
    void popupRequested(const QPoint &globalPos);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    void noteDrag(int column, int oldWidth, int newWidth);

    const ResultsModel *results_ = nullptr;
    ResultsSort *order_ = nullptr;
    EndFollower *follower_ = nullptr;
    QList<int> userWidths_;
    bool applyingRule_ = false;
};

/// Whether a key event asks for a context menu: the Menu key or Shift+F10.
bool isMenuKey(const QKeyEvent *event);
