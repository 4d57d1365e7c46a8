#pragma once

#include <QSortFilterProxyModel>
#include <vector>

class ResultsModel;

/// The results list's order: walk order by default, or one column ascending
/// or descending, chosen by clicking its header (a third click on the same
/// header brings walk order back). Rows keep their place in the results
/// model; the row actions take the source row (sourceRow). Keys are read
/// once per row for the sorted column, so a sort of many rows compares
/// plain values, not cells built for every comparison.
class ResultsSort : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit ResultsSort(const ResultsModel &results, QObject *parent = nullptr);

    /// The next order for a click on column's header: ascending on a new
    /// column, then descending, then walk order.
    void clickHeader(int column);
    /// Walk order again.
    void showWalkOrder();
    /// The results model's row shown at view row, or -1.
    int sourceRow(int viewRow) const;

  Q_SIGNALS:
    /// The order changed: column -1 is walk order.
    void orderChanged(int column, Qt::SortOrder order);

  protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

  private:
    struct Key {
        QString text;
        qint64 number = 0;
        int kind = 0;
    };
    const Key &key(int sourceRow) const;
    void dropKeys();

    const ResultsModel &results_;
    /// Keys of the sorted column by source row, filled as rows are compared.
    mutable std::vector<Key> keys_;
};
